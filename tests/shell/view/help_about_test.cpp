// The Help menu: the manual of the current language through the desktop's
// launcher (a stub xdg-open on PATH records what it was asked to open), and
// the About window. Only a desktop platform hands a document to xdg-open (the
// offscreen one has no launcher), so this test runs on an X server of its own.

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <cstdlib>
#include <optional>
#include <string>

#include "base/Lang.h"
#include "shell/view/TFormAbout.h"
#include "support/RuntimeDir.h"
#include "support/WindowUnderTest.h"

namespace {

// Xvfb on the first free display, chosen by the server itself; the program's
// windows go there through the xcb platform.
class OwnXServer {
 public:
  OwnXServer() {
    int fds[2];
    if (pipe(fds) != 0) return;
    m_pid = fork();
    if (m_pid == 0) {
      close(fds[0]);
      const std::string fd = std::to_string(fds[1]);
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1400x1150x24", "-nolisten", "tcp",
             static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    std::string display;
    pollfd p{fds[0], POLLIN, 0};
    char c;
    while (poll(&p, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') display += c;
    close(fds[0]);
    if (display.empty()) return;
    setenv("DISPLAY", (":" + display).c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    m_running = true;
  }
  ~OwnXServer() {
    if (m_pid <= 0) return;
    kill(m_pid, SIGTERM);
    waitpid(m_pid, nullptr, 0);
  }
  bool Running() const { return m_running; }

 private:
  pid_t m_pid = -1;
  bool m_running = false;
};

void Touch(const QString& path) {
  QDir().mkpath(QFileInfo(path).path());
  QFile f(path);
  if (f.open(QIODevice::WriteOnly)) f.write("%PDF-1.4\n");
}

}  // namespace

class HelpAboutTest : public QObject {
  Q_OBJECT

  testsupport::RuntimeDir m_runtimeDir;
  QTemporaryDir m_tmp;
  QByteArray m_path = qgetenv("PATH");
  std::optional<testsupport::WindowUnderTest> m_w;

  QString Launched() const {
    QFile log(m_tmp.filePath("launched.txt"));
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()).trimmed() : QString();
  }
  // The launcher runs detached: its line comes a moment later.
  bool WaitForLaunch() {
    return QTest::qWaitFor([this] { return !Launched().isEmpty(); }, 5000);
  }
  void SelectLanguage(int language) {
    TFormHlav& w = *m_w->window;
    switch (language) {
      case kGerman:
        return w.MenuGermanClick();
      case kFrench:
        return w.MenuFrenchClick();
      case kCzech:
        return w.MenuCzechClick();
      default:
        return w.MenuEnglishClick();
    }
  }

 private slots:
  void initTestCase() {
    QVERIFY(m_runtimeDir.IsValid());
    QVERIFY(m_tmp.isValid());
    // The stub launcher: writes the path it was given, nothing else.
    QDir().mkpath(m_tmp.filePath("stub"));
    QFile stub(m_tmp.filePath("stub/xdg-open"));
    QVERIFY(stub.open(QIODevice::WriteOnly));
    stub.write(QString("#!/bin/sh\nprintf '%s\\n' \"$1\" >> '%1'\n").arg(m_tmp.filePath("launched.txt")).toUtf8());
    stub.close();
    stub.setPermissions(stub.permissions() | QFile::ExeOwner);
    qputenv("PATH", QFile::encodeName(m_tmp.filePath("stub")) + ":" + m_path);
  }
  void init() {
    QFile::remove(m_tmp.filePath("launched.txt"));
    m_w.emplace();
  }
  void cleanup() {
    m_w.reset();
    if (QFile::exists(m_tmp.filePath("stub/xdg-open.off")))
      QFile::rename(m_tmp.filePath("stub/xdg-open.off"), m_tmp.filePath("stub/xdg-open"));
    qputenv("PATH", QFile::encodeName(m_tmp.filePath("stub")) + ":" + m_path);
  }

  // F1 and the menu item open the manual of the language, beside the
  // program or where an installed program keeps it.
  void opensTheManualOfTheLanguage_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("folder");  // where both manuals lie, below the prefix
    QTest::addColumn<QString>("opened");
    QTest::newRow("English") << int(kEnglish) << "bin"
                             << "manual_ventrix_2007_en.pdf";
    QTest::newRow("German") << int(kGerman) << "bin"
                            << "manual_ventrix_2007_en.pdf";
    QTest::newRow("French") << int(kFrench) << "bin"
                            << "manual_ventrix_2007_en.pdf";
    QTest::newRow("Czech") << int(kCzech) << "bin"
                           << "manual_ventrix_2007_cz.pdf";
    QTest::newRow("Czech, installed") << int(kCzech) << "share/ventrix"
                                      << "manual_ventrix_2007_cz.pdf";
  }
  void opensTheManualOfTheLanguage() {
    QFETCH(int, language);
    QFETCH(QString, folder);
    QFETCH(QString, opened);
    QTemporaryDir root(m_tmp.filePath("prefix-XXXXXX"));
    QDir().mkpath(root.filePath("bin"));
    for (const char* name : {"manual_ventrix_2007_en.pdf", "manual_ventrix_2007_cz.pdf"})
      Touch(root.filePath(folder + "/" + name));
    TFormHlav& w = *m_w->window;
    w.SetProgramDir(root.filePath("bin"));
    SelectLanguage(language);
    m_w->Show();

    if (language == kEnglish)
      QTest::keyClick(&w, Qt::Key_F1);
    else
      w.findChild<QAction*>("MenuContens")->trigger();
    QVERIFY(WaitForLaunch());
    QCOMPARE(Launched(), "file://" + root.filePath(folder + "/" + opened));
    QVERIFY(w.findChildren<QMessageBox*>().isEmpty());
  }

  // The launcher starts for a missing file too and says it worked, so the
  // file is looked for first; without a launcher there is no viewer, which
  // is said with the manual's full path instead of blaming the file.
  void aMissingManualOrLauncherIsSaid_data() {
    QTest::addColumn<bool>("czechFilePresent");
    QTest::addColumn<bool>("launcherPresent");
    QTest::newRow("no file") << false << true;
    QTest::newRow("no launcher") << true << false;
  }
  void aMissingManualOrLauncherIsSaid() {
    QFETCH(bool, czechFilePresent);
    QFETCH(bool, launcherPresent);
    QTemporaryDir bin(m_tmp.filePath("bin-XXXXXX"));
    Touch(bin.filePath("manual_ventrix_2007_en.pdf"));
    if (czechFilePresent) Touch(bin.filePath("manual_ventrix_2007_cz.pdf"));
    // Qt keeps the launcher it found first: the stub itself goes.
    if (!launcherPresent) {
      QVERIFY(QFile::rename(m_tmp.filePath("stub/xdg-open"), m_tmp.filePath("stub/xdg-open.off")));
      qputenv("PATH", QFile::encodeName(m_tmp.filePath("empty")));
    }
    TFormHlav& w = *m_w->window;
    w.SetProgramDir(bin.path());
    w.MenuCzechClick();
    w.MenuContensClick();
    const auto boxes = w.findChildren<QMessageBox*>();
    QCOMPARE(boxes.size(), 1);
    const QString manual = QDir::cleanPath(bin.filePath("manual_ventrix_2007_cz.pdf"));
    QCOMPARE(boxes[0]->text(), czechFilePresent
                                   ? QString::fromUtf8("Nebyl nalezen prohlížeč PDF pro zobrazení příručky ") + manual
                                   : QString::fromUtf8("Chyba při otevírání souboru manual_ventrix_2007_cz.pdf !"));
    QTest::qWait(200);
    QCOMPARE(Launched(), QString());
  }

  // The build puts both manuals beside the program under the names Help asks for.
  void theBuildPutsTheManualsBesideTheProgram() {
    const QString programDir = QFileInfo(VENTRIX_EXE).path();
    for (const char* name : {"manual_ventrix_2007_en.pdf", "manual_ventrix_2007_cz.pdf"}) {
      QFile f(QDir(programDir).filePath(name));
      QVERIFY2(f.open(QIODevice::ReadOnly), name);
      QVERIFY(f.read(5) == "%PDF-");
      QVERIFY2(f.size() > 5000, name);
    }
  }

  void aboutWindow() {
    TFormHlav& w = *m_w->window;
    w.MenuEnglishClick();
    m_w->Show();
    w.findChild<QAction*>("MenuAbout")->trigger();
    auto* about = w.findChild<TFormAbout*>();
    QVERIFY(about);
    QVERIFY(QTest::qWaitForWindowExposed(about));
    QCOMPARE(about->windowModality(), Qt::WindowModal);
    const double scale = about->logicalDpiX() / 96.0;
    QCOMPARE(about->size(), QSize(qRound(295 * scale), qRound(329 * scale)));
    QCOMPARE(about->minimumSize(), about->maximumSize());
    QVERIFY(!(about->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(about->palette().color(QPalette::Window), QColor(Qt::white));
    QCOMPARE(about->windowTitle(), "About Ventrix_2007");

    const auto text = [&](const char* name) { return about->findChild<QLabel*>(name)->text(); };
    QCOMPARE(text("LabelRsKey"), "Version - 83");
    QCOMPARE(text("LabelExit"), "OK");
    QVERIFY(!text("Label1").isEmpty());
    QVERIFY2(QRegularExpression("^[A-Z][a-z]{2} \\d{1,2} \\d{4}$").match(text("LabelDate")).hasMatch(),
             qPrintable(text("LabelDate")));
    QVERIFY2(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d$").match(text("LabelTime")).hasMatch(),
             qPrintable(text("LabelTime")));
    const QPixmap logo = about->findChild<QLabel*>("Image1")->pixmap();
    QCOMPARE(logo.deviceIndependentSize().toSize(), QSize(qRound(195 * scale), qRound(100 * scale)));
    if (const QByteArray dir = qgetenv("VENTRIX_SCREENSHOT_DIR"); !dir.isEmpty())
      QVERIFY(about->grab().save(QString::fromUtf8(dir) + "/ventrix_about.png"));

    QTest::keyClick(about, Qt::Key_Escape);
    QTRY_VERIFY(!about->isVisible());

    // A language chosen while it is closed is its caption at the next showing.
    const std::pair<void (TFormHlav::*)(), const char*> captions[] = {
        {&TFormHlav::MenuCzechClick, "O programu Ventrix_2007"},
        {&TFormHlav::MenuGermanClick, "Über Programm Ventrix_2007"},
        {&TFormHlav::MenuFrenchClick, "Information Ventrix_2007"},
    };
    for (const auto& [select, caption] : captions) {
      (w.*select)();
      w.MenuAboutClick();
      QVERIFY(QTest::qWaitForWindowExposed(about));
      QCOMPARE(about->windowTitle(), QString::fromUtf8(caption));
      QCOMPARE(w.findChildren<TFormAbout*>().size(), 1);
      // "OK" closes it.
      auto* ok = about->findChild<QLabel*>("LabelExit");
      QTest::mouseClick(ok, Qt::LeftButton, {}, ok->rect().center());
      QTRY_VERIFY(!about->isVisible());
    }
  }
};

int main(int argc, char** argv) {
  const OwnXServer x;
  if (!x.Running()) {
    std::fprintf(stderr, "help_about_test: Xvfb does not start\n");
    return 1;
  }
  QApplication app(argc, argv);
  HelpAboutTest test;
  return QTest::qExec(&test, argc, argv);
}
#include "help_about_test.moc"
