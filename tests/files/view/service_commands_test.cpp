// The Service menu in the real main window offscreen, and the same tools as
// command-line processes with no display at all.

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QMenu>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "core/AppCore.h"
#include "files/view/FileCommands.h"
#include "link/Frame.h"
#include "shell/view/TFormHlav.h"
#include "support/FileBytes.h"
#include "support/RuntimeDir.h"
#include "support/WindowUnderTest.h"

namespace {

using testsupport::ReadAll;
using testsupport::WriteAll;

// Restated on purpose: the marker file and its code word, and a list text
// with its trailing blanks.
constexpr const char* kMarkerFile = "xdg_config_home/ventrix/test_ovalis.txt";
const QString kHondaVfr = "Honda VFR 800                   .ign";

struct Form : testsupport::WindowUnderTest {
  QStringList answers;  // what the file dialogs return, in turn
  Form() {
    window->FileCommands().SetChooser([this](CFileCommands::Dialog, const QString&) -> std::optional<QString> {
      if (answers.isEmpty()) return std::nullopt;
      return answers.takeFirst();
    });
    Show();
  }
  QAction* Action(const char* name) { return window->findChild<QAction*>(name); }
};

// Block frames without the read flag write a block of the image into the unit.
bool AnyWriteFrame(const std::vector<Frame>& frames) {
  for (const Frame& f : frames)
    if (f[0] >= 1 && f[0] <= 19) return true;
  return false;
}

}  // namespace

class ServiceCommandsTest : public QObject {
  Q_OBJECT

  testsupport::RuntimeDir m_runtimeDir;
  QTemporaryDir m_work;  // the current directory of the window's tools
  QString m_cwd;

  void SetServiceMarker(bool on) {
    const QString path = QDir(m_runtimeDir.Path()).filePath(kMarkerFile);
    if (on)
      QVERIFY(WriteAll(path, "MODE_ACCESS\r\n"));
    else
      QFile::remove(path);
  }

  // The program with no display: no DISPLAY, no platform, its own folders.
  int RunCli(const QStringList& args, QByteArray* err = nullptr) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(m_work.path());
    p.start(VENTRIX_EXE, args);
    if (!p.waitForFinished(60000)) return -1;
    if (err) *err = p.readAllStandardError();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  }

 private slots:
  void initTestCase() {
    QVERIFY(m_runtimeDir.IsValid());
    QVERIFY(m_work.isValid());
    m_cwd = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_work.path()));
  }
  void cleanupTestCase() { QDir::setCurrent(m_cwd); }

  void theMenuIsThereOnlyInServiceModeAndWaitsDuringARun() {
    SetServiceMarker(false);
    {
      Form f;
      QVERIFY(!f.window->findChild<QMenu*>("MenuServis")->menuAction()->isVisible());
    }
    SetServiceMarker(true);
    Form f;
    QVERIFY(f.window->findChild<QMenu*>("MenuServis")->menuAction()->isVisible());
    QCOMPARE(f.window->findChild<QMenu*>("MenuServis")->title(), QString("&Service"));
    const char* items[] = {"MenuSaveAllNew", "MenuCompareAll", "OpenOldMaps", "MenuServisUlozProcenta"};
    for (const char* name : items) QVERIFY2(f.Action(name) && f.Action(name)->isEnabled(), name);
    f.Core().mode = LinkMode::Reading;
    f.window->Timer1Timer();
    for (const char* name : items) QVERIFY2(!f.Action(name)->isEnabled(), name);
    f.Core().mode = LinkMode::Idle;
    f.window->Timer1Timer();
    for (const char* name : items) QVERIFY2(f.Action(name)->isEnabled(), name);
  }

  // With "Programming after change" checked, going through the commit
  // sequence would program bike 63's defaults into the unit.
  void saveAllNewLeavesTheImageHistoryAndUnitAlone() {
    SetServiceMarker(true);
    Form f;
    f.window->findChild<QCheckBox*>("CheckBoxProgHned")->click();
    QVERIFY(f.Core().programAfterChange);
    f.Core().actualPage = true;     // as "Open for actual page" leaves it: the files must still be whole
    f.Core().imageMatchesUnit = 1;  // the unit's identification belongs to no default file
    const ConfigImage image = f.Core().image;
    const int current = f.Core().history.Current(), newest = f.Core().history.Newest();
    const int page = f.window->ActivePageIndex();
    f.port->written.clear();

    f.Action("MenuSaveAllNew")->trigger();
    for (int i = 0; i < 20; ++i) f.Core().Tick();

    QCOMPARE(QDir(m_work.filePath("new_ign")).entryList(QDir::Files).size(), 64);
    QVERIFY(f.Core().image == image);
    QCOMPARE(f.Core().history.Current(), current);
    QCOMPARE(f.Core().history.Newest(), newest);
    QCOMPARE(f.window->ActivePageIndex(), page);
    QVERIFY(f.Core().actualPage);
    QVERIFY(!AnyWriteFrame(f.port->written));
    QVERIFY(f.TakeMessages().isEmpty());
    const QByteArray file = ReadAll(m_work.filePath("new_ign/" + kHondaVfr));
    QVERIFY(file.startsWith("CORVALIS_KEY    83 \r\n"));
    QVERIFY(file.contains("\r\nBIKE         "));
    QVERIFY(!file.contains("\r\nHEX "));
  }

  void compareAllNewNamesTheReportOrSaysItCannotBeWritten() {
    SetServiceMarker(true);
    Form f;
    QDir(m_work.filePath("new_ign")).removeRecursively();
    // No folder: no report, and no claim that there is one.
    f.Action("MenuCompareAll")->trigger();
    QStringList messages = f.TakeMessages();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].startsWith("Open file error!"), qPrintable(messages[0]));

    f.Action("MenuSaveAllNew")->trigger();
    f.Action("MenuCompareAll")->trigger();
    messages = f.TakeMessages();
    const QString report = m_work.filePath("new_ign/compare_all_new.txt");
    QCOMPARE(messages, QStringList{"Results in file \"" + report + "\""});
    QVERIFY(ReadAll(report).startsWith("------------------------------------------------------   Aprilia RSV MILLE"));
  }

  void openOldMapsImportsAndSaveMapPercentExports() {
    SetServiceMarker(true);
    Form f;
    const QString old = m_work.filePath("old.txt");
    QVERIFY(WriteAll(old,
                     "CORVALIS_KEY 60\nRPM_IGN 1000 2000 3000 4000 5000 6000 7000 8000 9000 10000 11000 12000 "
                     "13000 14000 15000\n"));
    f.answers << old;
    f.Action("OpenOldMaps")->trigger();
    QCOMPARE(f.Core().image[465], std::uint8_t(10));
    QCOMPARE(f.Core().image[479], std::uint8_t(150));
    QVERIFY(f.window->windowTitle().endsWith(old));

    const QString percent = m_work.filePath("maps.txt");
    f.answers << percent;
    f.Action("MenuServisUlozProcenta")->trigger();
    QVERIFY(f.TakeMessages().isEmpty());
    const QByteArray bytes = ReadAll(percent);
    QVERIFY(bytes.startsWith("\r\nRPM_JET_1A   "));
    QVERIFY(bytes.contains("\r\nIAP          "));
    QVERIFY(!bytes.contains("CORVALIS_KEY"));

    f.answers << m_work.filePath("missing.txt");
    f.Action("OpenOldMaps")->trigger();
    const QStringList messages = f.TakeMessages();
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages[0].startsWith("Open file error!"));
  }

  void theCommandsRunWithoutADisplay() {
    QTemporaryDir dir;
    const QString defaults = dir.filePath("defaults"), base = defaults + "/" + kHondaVfr;
    QCOMPARE(RunCli({"--write-defaults", defaults}), 0);
    QCOMPARE(QDir(defaults).entryList(QDir::Files).size(), 64);
    QCOMPARE(RunCli({"--compare-defaults", defaults, defaults}), 0);
    QVERIFY(ReadAll(defaults + "/compare_all_new.txt")
                .startsWith("------------------------------------------------------"));

    QVERIFY(WriteAll(dir.filePath("old.txt"), "CORVALIS_KEY 60\nJET_14A " + QByteArray("100 ").repeated(150) + "\n"));
    QCOMPARE(RunCli({"--import-old-maps", dir.filePath("old.txt"), base, dir.filePath("out.ign")}), 0);
    QVERIFY(ReadAll(dir.filePath("out.ign")).startsWith("CORVALIS_KEY    83 \r\n"));
    QCOMPARE(RunCli({"--save-map-percent", dir.filePath("out.ign"), dir.filePath("percent.txt")}), 0);
    QVERIFY(ReadAll(dir.filePath("percent.txt")).contains("\r\nJET_1A         100   100 "));
  }

  void badArgumentsSayWhyAndWriteNothing() {
    QTemporaryDir dir;
    struct Case {
      QStringList args;
      int exit;
      const char* out;  // must not exist afterwards
    };
    const QString missing = dir.filePath("missing.ign"), notConfig = dir.filePath("note.txt");
    QVERIFY(WriteAll(notConfig, "no key here\n"));
    const Case cases[] = {
        {{"--save-map-percent", dir.filePath("out.txt")}, 2, "out.txt"},
        {{"--import-old-maps", notConfig, missing}, 2, "missing.ign"},
        {{"--write-defaults", "a", "CESKY"}, 2, "a"},
        {{"--save-map-percent", missing, dir.filePath("out.txt")}, 1, "out.txt"},
        {{"--save-map-percent", notConfig, dir.filePath("out.txt")}, 1, "out.txt"},
        {{"--import-old-maps", missing, notConfig, dir.filePath("out.ign")}, 1, "out.ign"},
        {{"--write-defaults", notConfig + "/inside"}, 1, "inside"},
        {{"--compare-defaults", dir.filePath("nowhere"), dir.path()}, 1, "nowhere"},
    };
    for (const Case& c : cases) {
      QByteArray err;
      QCOMPARE(RunCli(c.args, &err), c.exit);
      QVERIFY2(!err.trimmed().isEmpty(), qPrintable(c.args.join(' ')));
      QVERIFY2(!QFile::exists(dir.filePath(c.out)), qPrintable(c.args.join(' ')));
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);  // only the note: no temporary left
  }
};

QTEST_MAIN(ServiceCommandsTest)
#include "service_commands_test.moc"
