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
    QFile::setPermissions(m_home.filePath("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
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
        // A bad argument is one line that points at --help, not the whole usage.
        {{"--nonsense"}, 2, "", "ventrix: unknown option '--nonsense' (see ventrix --help)\n"},
        // A bad option is not excused by --help after it.
        {{"--demo", "--nonsense", "--help"}, 2, "", "unknown option '--nonsense' (see ventrix --help)\n"},
        {{"--write-defaults"}, 2, "", "ventrix: --write-defaults needs DIR (see ventrix --help)\n"},
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
      if (c.exitCode == 2) QVERIFY2(err.count('\n') == 1 && !err.contains("Usage"), qPrintable(what + ": " + err));
    }
  }

  // With a display, the arguments Qt leaves over are checked the same way.
  void badArgumentsAreOneLine() {
    const struct {
      QStringList args;
      const char* stderrIs;
    } cases[] = {
        {{"-nonsense"}, "ventrix: unknown option '-nonsense' (see ventrix --help)\n"},
        {{"a.ign", "b.ign"}, "ventrix: one file at a time (see ventrix --help)\n"},
    };
    for (const auto& c : cases) {
      QProcess p;
      p.setProcessEnvironment(Environment(true));
      p.start(VENTRIX_EXE, c.args);
      QVERIFY(p.waitForFinished(10000));
      QCOMPARE(p.exitCode(), 2);
      QCOMPARE(QString::fromLocal8Bit(p.readAllStandardError()), QString::fromUtf8(c.stderrIs));
    }
  }

  // Without a display Qt used to abort (status 134) and suggest reinstalling.
  // The program says what is missing and what runs without it, in the
  // language the window would have had.
  void noDisplayIsSaidAndEndsWithStatusOne() {
    // A display number nobody serves.
    int unserved = 87;
    while (QFile::exists(QString("/tmp/.X11-unix/X%1").arg(unserved))) ++unserved;
    const struct {
      QStringList args;
      const char* display;  // null: none named
      const char* says;
    } cases[] = {
        {{}, nullptr, "ventrix: no display found"},
        {{"DEUTSCH"}, nullptr, "ventrix: keine Anzeige gefunden"},
        {{"CESKY", "--demo"}, nullptr, "ventrix: nenalezen žádný displej"},
        {{}, "unserved", "ventrix: no display found"},
    };
    for (const auto& c : cases) {
      QProcessEnvironment env = Environment(false);
      if (c.display) env.insert("DISPLAY", QString(":%1").arg(unserved));
      QProcess p;
      p.setProcessEnvironment(env);
      p.start(VENTRIX_EXE, c.args);
      QVERIFY(p.waitForFinished(10000));
      const QString what = c.args.join(' ') + (c.display ? " DISPLAY=:n" : "");
      const QString err = QString::fromUtf8(p.readAllStandardError());
      QVERIFY2(p.exitStatus() == QProcess::NormalExit, qPrintable(what + ": " + err));
      QVERIFY2(p.exitCode() == 1, qPrintable(what + ": exit " + QString::number(p.exitCode()) + ": " + err));
      QVERIFY2(err.contains(QString::fromUtf8(c.says)), qPrintable(what + ": " + err));
      QVERIFY2(err.contains("QT_QPA_PLATFORM=offscreen ventrix --demo"), qPrintable(what + ": " + err));
      QVERIFY2(err.contains("--write-defaults"), qPrintable(what + ": " + err));
      QVERIFY2(!err.contains("Reinstalling"), qPrintable(what + ": " + err));
      // Nothing of the window's was written: it never started.
      QVERIFY(!QFile::exists(m_home.filePath("config/ventrix/Ventrix_2007_v83.ini")));
    }
  }

  // A service command that cannot do what it says ends with status 1, says
  // why on stderr and leaves nothing behind.
  void serviceFailuresSayWhyAndWriteNothing() {
    QTemporaryDir work;
    const QDir dir(work.path());
    QVERIFY(dir.mkpath("new") && dir.mkpath("old"));
    auto run = [&](const QStringList& args, QString& err) {
      QProcess p;
      p.setProcessEnvironment(Environment(false));
      p.setWorkingDirectory(work.path());
      p.start(VENTRIX_EXE, args);
      if (!p.waitForFinished(30000)) return -1;
      err = QString::fromLocal8Bit(p.readAllStandardError());
      return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    };
    QString err;
    QCOMPARE(run({"--write-defaults", dir.filePath("base")}, err), 0);
    const QString base = QDir(dir.filePath("base")).entryList({"*.ign"}).value(0);
    QVERIFY(!base.isEmpty());
    QVERIFY(QFile::copy(dir.filePath("base/" + base), dir.filePath("base.ign")));
    for (const char* name : {"empty", "empty.ign"}) {
      QFile f(dir.filePath(name));
      QVERIFY(f.open(QIODevice::WriteOnly));
    }

    const struct {
      QStringList args;
      const char* stderrHas;
      const char* mustNotExist;
    } cases[] = {
        {{"--compare-defaults", "new", "nonexistent"}, "nonexistent: no such folder", "new/compare_all_new.txt"},
        {{"--compare-defaults", "nonexistent", "old"}, "nonexistent: no such folder", "nonexistent"},
        {{"--compare-defaults", "new", "base.ign"}, "base.ign: not a folder", "new/compare_all_new.txt"},
        {{"--import-old-maps", "empty", "base.ign", "out.ign"}, "empty: no map of an older map file", "out.ign"},
        {{"--import-old-maps", "missing", "base.ign", "out.ign"}, "missing: No such file or directory", "out.ign"},
        {{"--import-old-maps", "base.ign", "empty.ign", "out.ign"}, "empty.ign: no configuration file", "out.ign"},
        {{"--save-map-percent", "empty.ign", "out.txt"}, "empty.ign: no configuration file", "out.txt"},
    };
    for (const auto& c : cases) {
      const QString what = c.args.join(' ');
      QCOMPARE(run(c.args, err), 1);
      QVERIFY2(err.contains(c.stderrHas), qPrintable(what + ": " + err));
      QVERIFY2(!QFileInfo::exists(dir.filePath(c.mustNotExist)), qPrintable(what + ": " + c.mustNotExist));
    }
    // What works still works: two existing folders compare, a tune's maps import over itself.
    QCOMPARE(run({"--compare-defaults", "base", "base"}, err), 0);
    QVERIFY(QFileInfo::exists(dir.filePath("base/compare_all_new.txt")));
    QCOMPARE(run({"--import-old-maps", "base.ign", "base.ign", "out.ign"}, err), 0);
    QVERIFY(QFileInfo(dir.filePath("out.ign")).size() > 0);
  }

  // A running program takes only what it can open; the second start refuses
  // the rest itself, with status 1, and the running one never hears of it.
  void aBadFileIsNotHandedToTheRunningProgram() {
    QTemporaryDir work;
    const QDir dir(work.path());
    auto put = [&](const QString& name, const QByteArray& bytes) {
      QFile f(dir.filePath(name));
      return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    };
    QVERIFY(put("junk.cem", "junk") && put("junk.vxlog", "junk") && put("junk.ign", "junk"));
    QProcess first;
    first.setProcessEnvironment(Environment(true));
    first.start(VENTRIX_EXE);
    QVERIFY(first.waitForStarted(5000));
    QVERIFY(WaitUntil([&] { return QFile::exists(m_home.filePath("run/ventrix/instance.sock")); }, 10000));
    const struct {
      QString file;
      const char* stderrHas;
    } cases[] = {
        {"missing.ign", "missing.ign: No such file or directory"},
        {"missing.cem", "missing.cem: No such file or directory"},
        {"junk.ign", "junk.ign: not a tune"},
        {"junk.cem", "junk.cem: not a monitor set"},
        {"junk.vxlog", "junk.vxlog: not a live-data log"},
    };
    for (const auto& c : cases) {
      QProcess second;
      second.setProcessEnvironment(Environment(true));
      second.setWorkingDirectory(work.path());
      second.start(VENTRIX_EXE, {c.file});
      QVERIFY(second.waitForFinished(10000));
      const QString err = QString::fromLocal8Bit(second.readAllStandardError());
      QVERIFY2(second.exitCode() == 1, qPrintable(c.file + ": " + err));
      QVERIFY2(err.contains(dir.filePath(c.stderrHas)), qPrintable(c.file + ": " + err));
    }
    QCOMPARE(first.state(), QProcess::Running);
    ::kill(pid_t(first.processId()), SIGTERM);
    QVERIFY(first.waitForFinished(5000));
    QCOMPARE(first.exitCode(), 0);
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
