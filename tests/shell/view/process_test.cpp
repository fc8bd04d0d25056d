// The real ventrix program as a process: its options without a display, and
// how it ends on a signal.

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

#include "support/Pty.h"

namespace {

// A process that has ended and waits to be reaped counts as gone.
bool ProcessGone(qint64 pid) {
  QFile stat(QString("/proc/%1/stat").arg(pid));
  if (!stat.open(QIODevice::ReadOnly)) return true;
  const QByteArray line = stat.readAll();
  const qsizetype close = line.lastIndexOf(')');
  return close < 0 || line.mid(close + 2, 1) == "Z";
}

// Children of `pid` as the kernel lists them.
QList<qint64> ChildrenOf(qint64 pid) {
  QList<qint64> children;
  QDir tasks(QString("/proc/%1/task").arg(pid));
  for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    QFile f(tasks.filePath(task + "/children"));
    if (!f.open(QIODevice::ReadOnly)) continue;
    for (const QByteArray& word : f.readAll().split(' '))
      if (bool ok = false; word.trimmed().toLongLong(&ok), ok) children << word.trimmed().toLongLong();
  }
  return children;
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
  QDeadlineTimer deadline(timeoutMs);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QTest::qWait(10);
  }
  return true;
}

}  // namespace

class ProcessTest : public QObject {
  Q_OBJECT

  QTemporaryDir m_home;

  // The program's environment: XDG below a temporary folder, and either no
  // display at all or the offscreen platform.
  QProcessEnvironment Environment(bool withPlatform) const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
    for (int com = 1; com <= 21; ++com) env.remove(QString("VENTRIX_COM%1").arg(com));
    if (withPlatform) env.insert("QT_QPA_PLATFORM", "offscreen");
    for (const char* sub : {"config", "state", "run"}) QDir(m_home.path()).mkpath(sub);
    env.insert("XDG_CONFIG_HOME", m_home.filePath("config"));
    env.insert("XDG_STATE_HOME", m_home.filePath("state"));
    env.insert("XDG_RUNTIME_DIR", m_home.filePath("run"));
    env.insert("VENTRIX_UNITSIM", VENTRIX_UNITSIM_EXE);
    return env;
  }

  // Starts `ventrix --demo` and returns the pid of its simulator.
  qint64 StartDemo(QProcess& ventrix) const {
    ventrix.setProcessEnvironment(Environment(true));
    ventrix.start(VENTRIX_EXE, {"--demo"});
    if (!ventrix.waitForStarted(5000)) return -1;
    if (!WaitUntil([&] { return ventrix.readAllStandardError().contains("simulated unit on"); }, 10000)) return -1;
    const auto children = ChildrenOf(ventrix.processId());
    return children.size() == 1 ? children.front() : -1;
  }

 private slots:
  void initTestCase() {
    QVERIFY(m_home.isValid());
    ::signal(SIGPIPE, SIG_IGN);
  }

  void optionsWorkWithoutADisplay() {
    struct Case {
      QStringList args;
      int exitCode;
      const char* stdoutHas;
      const char* stderrHas;
    };
    const Case cases[] = {
        {{"--help"}, 0, "VENTRIX_COM<n>", ""},
        {{"-h"}, 0, "CESKY", ""},
        {{"--version"}, 0, "ventrix ", ""},
        {{"--nonsense"}, 2, "", "unknown option '--nonsense'\nUsage:"},
        // A bad option is not excused by --help after it.
        {{"--demo", "--nonsense", "--help"}, 2, "", "unknown option '--nonsense'"},
    };
    for (const Case& c : cases) {
      QProcess p;
      p.setProcessEnvironment(Environment(false));
      p.start(VENTRIX_EXE, c.args);
      QVERIFY(p.waitForFinished(10000));
      const QString what = c.args.join(' ');
      QVERIFY2(p.exitStatus() == QProcess::NormalExit, qPrintable(what));
      QVERIFY2(p.exitCode() == c.exitCode, qPrintable(what + ": exit " + QString::number(p.exitCode())));
      const QByteArray out = p.readAllStandardOutput(), err = p.readAllStandardError();
      QVERIFY2(out.contains(c.stdoutHas), qPrintable(what + ": " + out));
      QVERIFY2(err.contains(c.stderrHas), qPrintable(what + ": " + err));
      if (c.exitCode == 0) QVERIFY2(err.isEmpty(), qPrintable(what + ": " + err));
      if (c.exitCode != 0) QVERIFY2(out.isEmpty(), qPrintable(what + ": " + out));
    }
  }

  // Killed by a signal, the program used to leave TIOCEXCL on the device, and
  // the next start could not open it. A signal now closes it like the close
  // button: the port is let go in order and the exit status is 0.
  void terminationSignalsCloseTheWindowInOrder() {
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
      testsupport::Pty cable;
      QVERIFY(cable.Ok());
      QProcess ventrix;
      QProcessEnvironment env = Environment(true);
      for (int com = 1; com <= 21; ++com)
        env.insert(QString("VENTRIX_COM%1").arg(com), QString::fromStdString(cable.SlavePath()));
      ventrix.setProcessEnvironment(env);
      ventrix.start(VENTRIX_EXE);
      QVERIFY(ventrix.waitForStarted(5000));
      // The program holds the port once its status requests arrive.
      std::vector<std::uint8_t> heard;
      const bool heardFrame = WaitUntil(
          [&] {
            const auto got = cable.Receive(152 - heard.size(), std::chrono::milliseconds(50));
            heard.insert(heard.end(), got.begin(), got.end());
            return heard.size() >= 152;
          },
          10000);
      QVERIFY2(heardFrame, "no frame from the program");

      ::kill(pid_t(ventrix.processId()), sig);
      QVERIFY(ventrix.waitForFinished(5000));
      QCOMPARE(ventrix.exitStatus(), QProcess::NormalExit);
      QCOMPARE(ventrix.exitCode(), 0);

      const int fd = ::open(cable.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
      QVERIFY2(fd >= 0, "the port is still held exclusively");
      int exclusive = -1;
      QCOMPARE(::ioctl(fd, TIOCGEXCL, &exclusive), 0);
      ::close(fd);
      QCOMPARE(exclusive, 0);
    }
  }

  // SIGTERM closes the program in order, which stops its simulator; SIGKILL
  // gives it no chance to, and the kernel ends the child instead.
  void demoSimulatorEndsWithTheProgram() {
    for (int sig : {SIGTERM, SIGKILL}) {
      QProcess ventrix;
      const qint64 sim = StartDemo(ventrix);
      QVERIFY(sim > 0);
      ::kill(pid_t(ventrix.processId()), sig);
      QVERIFY(ventrix.waitForFinished(5000));
      if (sig == SIGTERM) {
        QCOMPARE(ventrix.exitStatus(), QProcess::NormalExit);
        QCOMPARE(ventrix.exitCode(), 0);
      }
      QVERIFY2(WaitUntil([&] { return ProcessGone(sim); }, 1000),
               qPrintable(QString("simulator outlived signal %1").arg(sig)));
    }
  }
};

QTEST_GUILESS_MAIN(ProcessTest)
#include "process_test.moc"
