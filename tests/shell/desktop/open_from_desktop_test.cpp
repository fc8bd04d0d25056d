// A double-click on the desktop: the file types and the menu entry installed
// into a private XDG home, "gio open" on a monitor set and on a live-data
// log, the real program started by the desktop and handed the second file.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

#include "files/AtomicFile.h"
#include "link/LiveLog.h"
#include "monitor/BuiltinSets.h"
#include "monitor/MonitorSetFile.h"

namespace {

// Output of a tool, empty when it failed.
QString Run(const QString& program, const QStringList& args, const QProcessEnvironment& env) {
  QProcess p;
  p.setProcessEnvironment(env);
  p.start(program, args);
  if (!p.waitForFinished(10000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) return {};
  return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

// Windows of the program's process whose title matches `name`.
QStringList Windows(const QString& name, const QProcessEnvironment& env) {
  return Run("xdotool", {"search", "--onlyvisible", "--name", name}, env).split('\n', Qt::SkipEmptyParts);
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
  QDeadlineTimer deadline(timeoutMs);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QTest::qWait(50);
  }
  return true;
}

bool Alive(qint64 pid) {
  QFile stat(QString("/proc/%1/stat").arg(pid));
  if (!stat.open(QIODevice::ReadOnly)) return false;
  const QByteArray line = stat.readAll();
  return line.mid(line.lastIndexOf(')') + 2, 1) != "Z";
}

}  // namespace

class OpenFromDesktopTest : public QObject {
  Q_OBJECT

  QTemporaryDir m_home;
  QProcessEnvironment m_env;

 private slots:
  void initTestCase() {
    QVERIFY(m_home.isValid());
    QVERIFY2(!qEnvironmentVariableIsEmpty("DISPLAY"), "run by desktop-session.sh");
    m_env = QProcessEnvironment::systemEnvironment();
    for (const char* sub : {"config", "state", "data", "run", "cache"}) QVERIFY(QDir(m_home.path()).mkpath(sub));
    QFile::setPermissions(m_home.filePath("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_env.insert("XDG_CONFIG_HOME", m_home.filePath("config"));
    m_env.insert("XDG_STATE_HOME", m_home.filePath("state"));
    m_env.insert("XDG_DATA_HOME", m_home.filePath("data"));
    m_env.insert("XDG_RUNTIME_DIR", m_home.filePath("run"));
    m_env.insert("XDG_CACHE_HOME", m_home.filePath("cache"));
    m_env.insert("XDG_DATA_DIRS", m_home.filePath("data"));  // only our types and our entry
    m_env.insert("VENTRIX_UNITSIM", VENTRIX_UNITSIM_EXE);
    for (int com = 1; com <= 21; ++com) m_env.remove(QString("VENTRIX_COM%1").arg(com));

    // The package's menu entry, pointing at the program under test, and its file types.
    const QDir data(m_home.filePath("data"));
    QVERIFY(data.mkpath("applications") && data.mkpath("mime/packages"));
    const QDir source(VENTRIX_SOURCE_DIR);
    QFile entry(source.filePath("packaging/ventrix.desktop"));
    QVERIFY(entry.open(QIODevice::ReadOnly));
    QByteArray text = entry.readAll();
    text.replace("Exec=ventrix %f", "Exec=" VENTRIX_EXE " %f");
    text.replace("TryExec=ventrix", "TryExec=" VENTRIX_EXE);
    QVERIFY(WriteFileAtomic(data.filePath("applications/ventrix.desktop").toStdString(), text.toStdString()).ok);
    QVERIFY(QFile::copy(source.filePath("packaging/ventrix-mime.xml"), data.filePath("mime/packages/ventrix.xml")));
    // What the package's triggers run after an install.
    for (const auto& [tool, folder] :
         {std::pair{"update-mime-database", "mime"}, {"update-desktop-database", "applications"}}) {
      QProcess update;
      update.setProcessEnvironment(m_env);
      update.start(tool, {data.filePath(folder)});
      QVERIFY2(update.waitForFinished(30000) && update.exitCode() == 0, tool);
    }
  }

  void doubleClickedSetOpensTheMonitorAndALogGoesToTheRunningWindow() {
    const QDir dir(m_home.path());
    const QString set = dir.filePath("dash board.cem");
    const QString log = dir.filePath("ride.vxlog");
    QVERIFY(WriteFileAtomic(set.toStdString(), WriteMonitorSet(BuiltinMonitorSet(kSet2))).ok);
    std::string bytes;
    AppendLiveLogHeader(bytes, LiveLogHeader{});
    QVERIFY(WriteFileAtomic(log.toStdString(), bytes).ok);
    QCOMPARE(Run("gio", {"info", "-a", "standard::content-type", set}, m_env).section(": ", -1),
             QString("application/x-ventrix-cem"));
    QCOMPARE(Run("gio", {"info", "-a", "standard::content-type", log}, m_env).section(": ", -1),
             QString("application/x-ventrix-vxlog"));

    // No program runs: the double-click starts one, whose monitor shows the set.
    QVERIFY(Run("gio", {"open", set}, m_env).isEmpty());
    QVERIFY2(WaitUntil([&] { return !Windows("external monitor", m_env).isEmpty(); }, 20000),
             "no monitor window after gio open");
    const QString monitor = Windows("external monitor", m_env).front();
    const qint64 pid = Run("xdotool", {"getwindowpid", monitor}, m_env).toLongLong();
    QVERIFY(pid > 0);
    QCOMPARE(QFileInfo(QString("/proc/%1/exe").arg(pid)).canonicalFilePath(),
             QFileInfo(VENTRIX_EXE).canonicalFilePath());

    // The log goes to the one running: no second program stays, no window of another comes.
    const auto foreignWindows = [&] {
      int n = 0;
      for (const QString& w :
           Run("xdotool", {"search", "--onlyvisible", "--class", "ventrix"}, m_env).split('\n', Qt::SkipEmptyParts))
        if (Run("xdotool", {"getwindowpid", w}, m_env).toLongLong() != pid) ++n;
      return n;
    };
    QVERIFY(Run("gio", {"open", log}, m_env).isEmpty());
    QTest::qWait(1500);
    QVERIFY(Alive(pid));
    QCOMPARE(foreignWindows(), 0);
    QVERIFY(!Windows("external monitor", m_env).isEmpty());

    ::kill(pid_t(pid), SIGTERM);
    QVERIFY(WaitUntil([&] { return !Alive(pid); }, 5000));
    // The monitor was in use: its set is kept for the next start.
    QVERIFY(QFile::exists(m_home.filePath("state/ventrix/_Ventrix_2007_v83.iniEMON.cem")));
  }
};

QTEST_GUILESS_MAIN(OpenFromDesktopTest)
#include "open_from_desktop_test.moc"
