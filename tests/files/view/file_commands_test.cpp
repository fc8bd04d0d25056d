// The File menu in the real main window offscreen: configuration files on
// disk in the test's own folder, the file dialogs answered by the test (one
// test drives the real one), the settings and image state written at close.

#include <sys/resource.h>

#include <QAction>
#include <QDir>
#include <QDropEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <csignal>
#include <random>
#include <thread>

#include "base/Lang.h"
#include "files/ConfigFile.h"
#include "files/view/FileCommands.h"
#include "image/Normalise.h"
#include "image/Pages.h"
#include "shell/InstanceChannel.h"
#include "shell/view/OpenRequests.h"
#include "shell/view/TFormHlav.h"
#include "support/FakePort.h"
#include "support/FileBytes.h"
#include "support/RuntimeDir.h"
#include "support/WindowUnderTest.h"

namespace {

using testsupport::ReadAll;
using testsupport::WriteAll;

using Dialog = CFileCommands::Dialog;

// Restated on purpose: the caption is the title, seven blanks and the path.
const QString kCaptionHead = "  Ventrix_2007       ";
constexpr int kDwell = 4, kFirstAdvance = 600, kCoupling = 47, kNote = 2730;
constexpr int kStateImageBytes = 2850, kStateNumbers = 2864;

QByteArray Bytes(const std::string& s) { return QByteArray(s.data(), qsizetype(s.size())); }

struct Form : testsupport::WindowUnderTest {
  QStringList answers;  // what the file dialogs return, in turn; none left: cancelled
  QList<std::pair<Dialog, QString>> asked;
  ConfigImage start{};

  Form() {
    Files().SetChooser([this](Dialog dialog, const QString& preselected) -> std::optional<QString> {
      asked.append({dialog, preselected});
      if (answers.isEmpty()) return std::nullopt;
      return answers.takeFirst();
    });
    Show();
    start = Core().image;
  }
  CFileCommands& Files() { return window->FileCommands(); }
  QAction* Action(const QString& name) {
    auto* a = window->findChild<QAction*>(name);
    if (!a) qWarning("missing action %s", qPrintable(name));
    return a;
  }
  QLineEdit* Edit(const char* name) { return window->findChild<QLineEdit*>(name); }
  void Trigger(const QString& action, const QString& answer) {
    answers << answer;
    Action(action)->trigger();
  }
  // The start image with the bike page's dwell, the first advance value and
  // the note changed by `variant`, within the image's limits.
  ConfigImage Tune(int variant) const { return Tune(start, variant); }
  static ConfigImage Tune(const ConfigImage& start, int variant) {
    ConfigImage image = start;
    image[kDwell] = std::uint8_t(image[kDwell] == 20 + variant ? 30 + variant : 20 + variant);
    image[kFirstAdvance] = std::uint8_t(image[kFirstAdvance] == 5 + variant ? 6 + variant : 5 + variant);
    std::fill(image.begin() + kNote, image.end(), 0);
    const std::string note = "Tune " + std::to_string(variant) + std::string("\0\0end", 5);  // an empty line between
    std::copy(note.begin(), note.end(), image.begin() + kNote);
    NormaliseImage(image);
    return image;
  }
  // Text typed into an edit and left there, not committed.
  void TypePending(const char* edit, const QString& text) {
    QLineEdit* e = Edit(edit);
    e->setFocus();
    if (!e->hasFocus()) qWarning("%s did not take the focus", edit);
    e->selectAll();
    QTest::keyClicks(e, text);
  }
  QStringList RecentPaths() {
    QStringList paths;
    for (int i = 0; i < Files().Recent().count; ++i)
      paths << QString::fromStdString(Files().Recent().paths[std::size_t(i)]);
    return paths;
  }
  QStringList HistoryMenu() {
    QStringList shown;
    for (int n = 1; n <= 9; ++n)
      if (QAction* a = Action(QString("MenuHistory%1").arg(n)); a->isVisible()) shown << a->text();
    return shown;
  }
  // The tick brings Undo's button up to date, as it does in the program.
  QToolButton* Undo() {
    window->Timer1Timer();
    return window->findChild<QToolButton*>("SpeedButtonZpet");
  }
};

// Bytes that hold no key and no line of a configuration file.
QByteArray Garbage(int size) {
  std::mt19937 rng(20070083);
  QByteArray bytes;
  for (int i = 0; i < size; ++i) bytes += char(rng());
  return bytes;
}

// A drag that enters `target` and drops there: Qt delivers the drop only to
// the widget the drag entered.
void Drop(QWidget& target, const QMimeData& mime) {
  const QPoint at = target.rect().center();
  QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&target, &enter);
  QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&target, &drop);
}

// The folder a test's files live in.
struct Folder {
  QTemporaryDir dir;
  QString operator/(const QString& name) const { return dir.filePath(name); }
  // A configuration file of `image` as the program writes it.
  QString Tune(const QString& name, const ConfigImage& image) const {
    const QString path = dir.filePath(name);
    if (!WriteAll(path, Bytes(WriteConfigFile(image, ConfigFileIdentity{}))))
      qWarning("cannot write %s", qPrintable(path));
    return path;
  }
  QStringList Entries() const {
    return QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
  }
};

}  // namespace

class FileCommandsTest : public QObject {
  Q_OBJECT

  testsupport::RuntimeDir m_runtimeDir;

  QString SettingsFile() const { return m_runtimeDir.Path() + "/xdg_config_home/ventrix/Ventrix_2007_v83.ini"; }
  QString StateFile() const { return m_runtimeDir.Path() + "/xdg_state_home/ventrix/_Ventrix_2007_v83.ini"; }

 private slots:
  void initTestCase() { QVERIFY(m_runtimeDir.IsValid()); }
  // Every window starts as a first start on COM2, whatever a test closed before.
  void init() {
    QVERIFY(WriteAll(SettingsFile(), "[BASIC]\r\nComPort=2\r\n"));
    QFile::remove(StateFile());
  }

  void openShowsTheFileAndIsOneStep() {
    Form f;
    Folder dir;
    const ConfigImage tune1 = f.Tune(1), tune2 = f.Tune(2);
    QVERIFY(tune1 != f.start && tune2 != tune1);
    const QString first = dir.Tune("R&D tune.ign", tune1), second = dir.Tune("second.ign", tune2);
    f.Core().imageMatchesUnit = 1;
    // Typed and left in its edit: the open takes it as a step of its own first.
    f.TypePending("EditDwell", "3500");

    f.Trigger("MenuOpen", first);
    QCOMPARE(f.asked.size(), 1);
    QCOMPARE(f.asked[0].first, Dialog::kOpen);
    QVERIFY(f.TakeMessages().isEmpty());
    QVERIFY(f.Core().image == tune1);
    QCOMPARE(f.window->windowTitle(), kCaptionHead + first);
    QCOMPARE(f.RecentPaths(), QStringList{first});
    QVERIFY(f.HistoryMenu().isEmpty());  // entry 0 is the current file, no item
    QVERIFY(!f.Action("MenuHistoryEnd")->isVisible());
    // The image is no longer what the unit holds.
    QCOMPARE(f.Core().imageMatchesUnit, 0);
    QCOMPARE(f.Edit("EditDwell")->text(), QLocale().toString(tune1[kDwell] * 100));

    f.Trigger("MenuOpen", second);
    // The dialogs start from the file last opened.
    QCOMPARE(f.asked[1].second, first);
    QCOMPARE(f.window->windowTitle(), kCaptionHead + second);
    QCOMPARE(f.RecentPaths(), (QStringList{second, first}));
    QCOMPARE(f.HistoryMenu(), QStringList{"1 R&&D tune"});  // "&" is a letter, not a mnemonic
    QVERIFY(f.Action("MenuHistoryEnd")->isVisible());

    // Each open is one step back.
    f.Undo()->click();
    QVERIFY(f.Core().image == tune1);
    f.Undo()->click();
    ConfigImage typed = f.start;
    typed[kDwell] = 35;
    QVERIFY(f.Core().image == typed);
    f.Undo()->click();
    QVERIFY(f.Core().image == f.start);
    QVERIFY(!f.Undo()->isEnabled());
  }

  // A file that cannot be read, is no tune file, carries an unknown version
  // or is damaged changes nothing: the tune byte for byte, the caption, the
  // recent files and the history stay, and one message names the file and
  // what is wrong. Only a file read in part offers to open that part, and
  // declining it changes nothing either. An older whole file still opens.
  void openThatFailsChangesNothing() {
    Folder dir;
    const QByteArray whole = Bytes(WriteConfigFile(Form::Tune(Form().start, 2), ConfigFileIdentity{}));
    const QByteArray garbage = Garbage(3000);
    const struct {
      const char* name;
      QByteArray bytes;  // empty: no such file
      QStringList says;  // parts of the message, in order
      bool offered;      // "Open anyway"
    } cases[] = {
        {"missing.ign", {}, {"Open file error!\n\n", "missing.ign"}, false},
        {"cut.ign",
         whole.left(2000),
         {"cut.ign could not be read completely:\n\nsection ADVANCE incomplete, line ",
          ": the file ends here\n\nYour tune has not been changed."},
         true},
        {"garbage after.ign",
         whole.left(2000) + garbage,
         {"garbage after.ign could not be read completely:\n\nsection ADVANCE incomplete, line ", "\" is not a number"},
         true},
        {"garbage.ign", garbage, {"garbage.ign is not a Ventrix tune file.\n\nYour tune has not been changed."}, false},
        {"nokey.ign", "BIKE 3\r\nDWELL 2000\r\n", {"nokey.ign is not a Ventrix tune file."}, false},
        {"v90.ign",
         "CORVALIS_KEY    90 \r\n\r\nBIKE 3\r\nDWELL 2000\r\n",
         {"v90.ign\n\nUnmatched version of *.ign file!\n\nYour tune has not been changed."},
         false},
    };
    for (const auto& c : cases) {
      Form f;
      const QString path = dir / c.name;
      if (!c.bytes.isEmpty()) QVERIFY(WriteAll(path, c.bytes));
      const QString good = dir.Tune("good.ign", f.Tune(1));
      f.Trigger("MenuOpen", good);
      const ConfigImage image = f.Core().image;
      const int step = f.Core().history.Current();
      const QString caption = f.window->windowTitle();

      f.Trigger("MenuOpen", path);
      const QList<QMessageBox*> boxes = f.window->findChildren<QMessageBox*>();
      QVERIFY2(boxes.size() == 1, c.name);
      QString text = boxes[0]->text();
      for (const QString& part : c.says) {
        const qsizetype at = text.indexOf(part);
        QVERIFY2(at >= 0, qPrintable(QString("%1: \"%2\" not in \"%3\"").arg(c.name, part, boxes[0]->text())));
        text = text.mid(at + part.size());
      }
      auto* openAnyway = boxes[0]->findChild<QPushButton*>("OpenAnyway");
      QCOMPARE(openAnyway != nullptr, c.offered);
      if (c.offered) boxes[0]->findChild<QPushButton*>("DoNotOpen")->click();
      f.TakeMessages();
      QVERIFY2(f.Core().image == image, c.name);
      QCOMPARE(f.window->windowTitle(), caption);
      QCOMPARE(f.RecentPaths(), QStringList{good});
      QCOMPARE(f.Core().history.Current(), step);
    }

    // An older file that is whole opens as it always did: the notice, then
    // the file is the current one.
    Form f;
    const QString older = dir / "older.ign";
    QVERIFY(WriteAll(older, "CORVALIS_KEY    82 \r\n\r\nBIKE         11 \r\nDWELL         3500 \r\n"));
    f.Trigger("MenuOpen", older);
    const QStringList messages = f.TakeMessages();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].startsWith("Older version of *.ign file!"), qPrintable(messages[0]));
    QCOMPARE(int(f.Core().image[kDwell]), 35);
    QCOMPARE(f.window->windowTitle(), kCaptionHead + older);
    QCOMPARE(f.RecentPaths(), QStringList{older});
  }

  // "Open anyway" takes what could be read as one step of the history; the
  // file does not become the current file (no caption, not in the recent
  // files) until the tune is saved, and one Undo brings the tune back.
  void openAnywayIsOneUndoAway() {
    Folder dir;
    for (const bool garbageAfter : {false, true}) {
      Form f;
      const ConfigImage tune = f.Tune(2);
      QByteArray damaged = Bytes(WriteConfigFile(tune, ConfigFileIdentity{})).left(2000);
      if (garbageAfter) damaged += Garbage(3000);
      const QString path = dir / "damaged.ign";
      QVERIFY(WriteAll(path, damaged));
      const QString good = dir.Tune("good.ign", f.Tune(1));
      f.Trigger("MenuOpen", good);
      const ConfigImage before = f.Core().image;
      const int step = f.Core().history.Current();

      f.Trigger("MenuOpen", path);
      QMessageBox* box = f.window->findChild<QMessageBox*>("FileProblems");
      QVERIFY(box);
      box->findChild<QPushButton*>("OpenAnyway")->click();
      QTRY_VERIFY(f.window->findChildren<QMessageBox*>().isEmpty());  // the box went, no other came
      QCOMPARE(int(f.Core().image[kDwell]), int(tune[kDwell]));       // read before the cut
      QVERIFY(f.Core().image != before);
      QCOMPARE(f.Core().history.Current(), (step + 1) % 200);
      QCOMPARE(f.window->windowTitle(), kCaptionHead);
      QCOMPARE(f.RecentPaths(), QStringList{good});
      QCOMPARE(f.Edit("EditDwell")->text(), QLocale().toString(tune[kDwell] * 100));

      f.Undo()->click();
      QVERIFY(f.Core().image == before);
    }
  }

  // Drop, the recent files, the command line and a second start's hand-over
  // all open through the same open: a damaged file changes nothing there either.
  void everyWayInChecksTheFileFirst() {
    const char* routes[] = {"menu", "drop", "recent file", "command line", "hand-over"};
    for (const char* route : routes) {
      Form f;
      Folder dir;
      const QString damaged = dir.Tune("damaged.ign", f.Tune(2));
      const QString good = dir.Tune("good.ign", f.Tune(1));
      f.Trigger("MenuOpen", damaged);
      f.Trigger("MenuOpen", good);  // the damaged one is recent entry 1
      QVERIFY(WriteAll(damaged, ReadAll(damaged).left(2000)));
      const ConfigImage image = f.Core().image;
      const QString caption = f.window->windowTitle();
      const QStringList recent = f.RecentPaths();
      auto* requests = new COpenRequests(*f.window);

      const QString r = route;
      std::thread handOver;
      if (r == "menu") {
        f.Trigger("MenuOpen", damaged);
      } else if (r == "drop") {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(damaged)});
        Drop(*f.Edit("EditDwell"), mime);
      } else if (r == "recent file") {
        f.Action("MenuHistory1")->trigger();
      } else if (r == "command line") {
        requests->Open(damaged);
      } else {
        QVERIFY2(requests->Listen(), requests->Listener().LastError().c_str());
        handOver = std::thread([&] { HandFileToRunningInstance(damaged.toStdString(), 5000); });
      }
      QTRY_VERIFY2(!f.window->findChildren<QMessageBox*>().isEmpty(), route);
      if (handOver.joinable()) handOver.join();
      const QList<QMessageBox*> boxes = f.window->findChildren<QMessageBox*>();
      QVERIFY2(boxes.size() == 1 && boxes[0]->objectName() == "FileProblems", route);
      QVERIFY2(boxes[0]->text().startsWith(damaged + " could not be read completely:"), route);
      f.TakeMessages();
      QVERIFY2(f.Core().image == image, route);
      QCOMPARE(f.window->windowTitle(), caption);
      QCOMPARE(f.RecentPaths(), recent);
    }
  }

  // The file holds what the writer makes of the image after the pages went
  // in: a value typed and not yet taken is saved; the unit's identification
  // goes in only while the image is the unit's.
  void saveWritesTheWritersBytes() {
    for (const bool pendingEdit : {true, false}) {
      Form f;
      Folder dir;
      const QString target = dir / "saved.ign";
      QVERIFY(WriteAll(target, "old contents\r\n"));
      f.Core().imageMatchesUnit = 1;
      f.Core().unitText = "Unit = Test 8.3";
      if (pendingEdit) f.TypePending("EditDwell", "3500");

      f.Trigger("MenuSave", target);
      QCOMPARE(f.asked.size(), 1);
      QCOMPARE(f.asked[0].first, Dialog::kSave);
      QVERIFY(f.TakeMessages().isEmpty());
      CAppCore& core = f.Core();
      const ConfigFileIdentity identity{core.imageMatchesUnit != 0, core.unitDate, core.unitTime,  core.unitText,
                                        core.bootRecordValid != 0,  core.bootLine, core.bootRecord};
      const QByteArray saved = ReadAll(target);
      QCOMPARE(saved, Bytes(WriteConfigFile(core.image, identity)));
      if (pendingEdit) {
        QCOMPARE(int(core.image[kDwell]), 35);
        QVERIFY(saved.contains("\r\nDWELL         3500 \r\n"));
      }
      QCOMPARE(saved.contains("\r\nHEX  "), !pendingEdit);
      QCOMPARE(f.window->windowTitle(), kCaptionHead + target);
      QCOMPARE(f.RecentPaths(), QStringList{target});
      QCOMPARE(dir.Entries(), QStringList{"saved.ign"});  // no temporary file left
    }
  }

  // A save that cannot write says "Open file error!" with the system's
  // reason and counts as nothing: the old file, the caption and the recent
  // files stay. We may run as root, who writes anywhere: a regular file as
  // folder and a file size limit (a full disk) fail for root too.
  void failedSaveChangesNothing() {
    const struct {
      const char* name;
      const char* target;
      rlim_t sizeLimit;  // RLIM_INFINITY: none
    } cases[] = {
        {"folder is a file", "plain/saved.ign", RLIM_INFINITY},
        {"disk full", "saved.ign", 4096},
    };
    for (const auto& c : cases) {
      Form f;
      Folder dir;
      QVERIFY(WriteAll(dir / "plain", "a regular file\n"));
      const QByteArray old = "old contents\r\n";
      QVERIFY(WriteAll(dir / "saved.ign", old));
      const QString opened = dir.Tune("opened.ign", f.Tune(1));
      f.Trigger("MenuOpen", opened);
      const QStringList entries = dir.Entries();

      rlimit saved{};
      ::getrlimit(RLIMIT_FSIZE, &saved);
      const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
      rlimit limited = saved;
      limited.rlim_cur = std::min(c.sizeLimit, saved.rlim_max);
      ::setrlimit(RLIMIT_FSIZE, &limited);
      f.Trigger("MenuSave", dir / c.target);
      ::setrlimit(RLIMIT_FSIZE, &saved);
      std::signal(SIGXFSZ, oldHandler);

      const QStringList messages = f.TakeMessages();
      QVERIFY2(messages.size() == 1, c.name);
      QVERIFY2(messages[0].startsWith("Open file error!\n\n") && messages[0].size() > 20, qPrintable(messages[0]));
      QCOMPARE(f.window->windowTitle(), kCaptionHead + opened);
      QCOMPARE(f.RecentPaths(), QStringList{opened});
      QCOMPARE(ReadAll(dir / "saved.ign"), old);
      QCOMPARE(dir.Entries(), entries);
    }
  }

  // On a coupled cylinder map the command refuses before any dialog; on the
  // advance page only the advance sections are read, and the open is a step
  // of the history like any other.
  void openForActualPage() {
    Form f;
    Folder dir;
    const ConfigImage tune = f.Tune(3);
    const QString path = dir.Tune("page.ign", tune);
    f.Core().image[kCoupling] = 1;
    f.Core().NormaliseAndLoad();
    f.window->WriteAllPages();
    f.pages->setCurrentIndex(kPageInjection);
    QCOMPARE(f.window->ShownMap(kPageInjection), 0);  // "Inj. 1"
    f.answers << path;
    f.Action("MenuOpenActPage")->trigger();
    QVERIFY(f.asked.isEmpty());
    QCOMPARE(f.TakeMessages(), QStringList{"Can't open page for coupled jet !"});
    QCOMPARE(f.window->windowTitle(), kCaptionHead);
    QVERIFY(f.RecentPaths().isEmpty());

    f.Core().image[kCoupling] = f.start[kCoupling];
    f.Core().NormaliseAndLoad();
    f.window->WriteAllPages();
    f.pages->setCurrentIndex(kPageAdvance);
    f.Core().ResetHistory();
    f.Core().imageMatchesUnit = 1;
    const ConfigImage before = f.Core().image;
    f.Action("MenuOpenActPage")->trigger();
    QVERIFY(f.TakeMessages().isEmpty());
    QCOMPARE(int(f.Core().image[kFirstAdvance]), int(tune[kFirstAdvance]));
    QCOMPARE(int(f.Core().image[kDwell]), int(before[kDwell]));  // the bike page's
    QVERIFY(std::equal(before.begin() + kNote, before.end(), f.Core().image.begin() + kNote));
    QCOMPARE(f.window->windowTitle(), kCaptionHead + path);
    QCOMPARE(f.RecentPaths(), QStringList{path});
    QCOMPARE(f.Core().imageMatchesUnit, 0);
    QVERIFY(f.Undo()->isEnabled());
    f.Undo()->click();
    QVERIFY(f.Core().image == before);
  }

  // An edit field takes dropped names as text; a drop holding a ".ign" file
  // opens the first such file instead and the edit gets no text.
  void dropOnAnEditOpensTheFirstIgnFile() {
    Form f;
    Folder dir;
    QVERIFY(WriteAll(dir / "a.txt", "not a tune\n"));
    const ConfigImage tuneB = f.Tune(4);
    const QString b = dir.Tune("B.IGN", tuneB), c = dir.Tune("c.ign", f.Tune(5));
    const QString a = dir / "a.txt";
    QLineEdit* edit = f.Edit("EditDwell");
    QVERIFY(edit && edit->isVisible());

    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(b), QUrl::fromLocalFile(c)});
    mime.setText(a + "\n" + b + "\n" + c);  // file managers send the names as text too
    Drop(*edit, mime);

    QVERIFY(f.TakeMessages().isEmpty());
    QVERIFY(f.Core().image == tuneB);
    QCOMPARE(f.window->windowTitle(), kCaptionHead + b);
    QCOMPARE(f.RecentPaths(), QStringList{b});
    QCOMPARE(edit->text(), QLocale().toString(tuneB[kDwell] * 100));
  }

  // While a Read fills the image block by block nothing may open a file
  // into it: the commands are disabled and a drop is refused.
  void fileCommandsWaitForARun() {
    Form f;
    Folder dir;
    const QString tune = dir.Tune("dropped.ign", f.Tune(7));
    f.window->MenuReadClick();
    f.window->Timer1Timer();
    QCOMPARE(f.Core().mode, LinkMode::Reading);
    for (const char* name : {"MenuOpen", "MenuOpenExeDir", "MenuOpenActPage", "MenuSave", "MenuSaveExeDir"})
      QVERIFY2(!f.Action(name)->isEnabled(), name);
    for (const char* name : {"SpeedButtonOpen", "SpeedButtonSave"})
      QVERIFY2(!f.window->findChild<QToolButton*>(name)->isEnabled(), name);
    const ConfigImage before = f.Core().image;
    const QString caption = f.window->windowTitle();

    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(tune)});
    mime.setText(tune);
    Drop(*f.Edit("EditDwell"), mime);
    QVERIFY(!f.Edit("EditDwell")->text().contains("dropped"));
    QVERIFY(f.Core().image == before);
    QCOMPARE(f.window->windowTitle(), caption);
    QVERIFY(f.RecentPaths().isEmpty());
  }

  // No chooser: the real non-native dialogs, a path typed into each.
  void realDialogsOpenAndSaveTheTypedPath() {
    const struct {
      const char* command;
      const char* dialog;
      QStringList filters;  // not translated
    } cases[] = {
        {"MenuOpen", "OpenDialog1", {"Ignition Parametrs(*.ign)", "All Files (*.*)"}},
        {"MenuSave", "SaveDialog1", {"Ignition Parametrs(*.ign)"}},
    };
    for (const auto& c : cases) {
      Form f;
      Folder dir;
      const ConfigImage tune = f.Tune(6);
      const bool open = c.command == QString("MenuOpen");
      const QString path = open ? dir.Tune("dialog.ign", tune) : dir / "dialog.ign";
      f.Files().SetChooser(nullptr);
      QStringList filters;
      QString suffix;
      bool took = false;
      int tries = 0;
      std::function<void()> answer = [&] {
        QFileDialog* dialog = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
          if (auto* d = qobject_cast<QFileDialog*>(w); d && d->isVisible() && d->objectName() == c.dialog) dialog = d;
        if (!dialog) {
          if (++tries < 500) QTimer::singleShot(10, answer);
          return;
        }
        filters = dialog->nameFilters();
        suffix = dialog->defaultSuffix();
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        if (!name) {
          dialog->reject();
          return;
        }
        // Keystrokes would race the completer's popup, which offscreen takes
        // some of them: the path goes in whole, as pasted, then Enter.
        name->setFocus();
        name->setText(path);
        QTest::keyClick(name, Qt::Key_Return);
        took = !dialog->isVisible();
        if (!took) dialog->reject();
      };
      QTimer::singleShot(0, answer);
      f.Action(c.command)->trigger();
      QVERIFY2(took, c.dialog);
      QCOMPARE(filters, c.filters);
      QCOMPARE(suffix, QString("ign"));
      if (open) QVERIFY(f.Core().image == tune);
      if (!open) QCOMPARE(ReadAll(path), Bytes(WriteConfigFile(f.Core().image, ConfigFileIdentity{})));
      QCOMPARE(f.window->windowTitle(), kCaptionHead + path);
      QCOMPARE(f.RecentPaths(), QStringList{path});
    }
  }

  // Closing keeps what was typed last and the state the settings carry.
  void closingSavesThePendingEditAndTheSettings() {
    Folder dir;
    const QString a = dir / "first.ign", b = dir / "second.ign";
    ConfigImage closed{};
    {
      Form f;
      dir.Tune("first.ign", f.Tune(1));
      dir.Tune("second.ign", f.Tune(2));
      f.Trigger("MenuOpen", a);
      f.Trigger("MenuOpen", b);
      f.port->existing = {2, 5};
      f.window->MenuCom1Click(4);
      f.window->MenuGermanClick();
      f.Core().image[98] = 1;  // nitrous on: its fields take edits
      f.Core().NormaliseAndLoad();
      f.window->WriteAllPages();
      f.pages->setCurrentIndex(kPageN2o);
      f.TypePending("EditGas1", QString::number(f.Core().image[99] == 40 ? 41 : 40));
      const int typed = f.Edit("EditGas1")->text().toInt();
      QVERIFY(f.Core().image[99] != typed);
      QVERIFY(!QFile::exists(StateFile()));  // nothing is written before the close

      f.window->close();
      QVERIFY(f.TakeMessages().isEmpty());
      QCOMPARE(int(f.Core().image[99]), typed);

      const QList<QByteArray> numbers = ReadAll(StateFile()).simplified().split(' ');
      QCOMPARE(numbers.size(), kStateNumbers);
      for (int i = 0; i < kStateImageBytes; ++i)
        QVERIFY2(numbers[i].toInt() == f.Core().image[std::size_t(i)], qPrintable(QString("byte %1").arg(i)));
      closed = f.Core().image;
    }
    const QList<QByteArray> lines = ReadAll(SettingsFile()).split('\n');
    for (const QString& line :
         {QString("[BASIC]\r"), QString("PageControl1->ActivePageIndex=16\r"), QString("ComPort=5\r"),
          QString("Language=1\r"), "File=" + b + "\r", "MenuHistory00=" + b + "\r", "MenuHistory01=" + a + "\r"})
      QVERIFY2(lines.contains(line.toUtf8()), qPrintable(line));

    // The next window starts where this one ended.
    Form again;
    QCOMPARE(again.pages->currentIndex(), int(kPageN2o));
    QCOMPARE(again.window->windowTitle(), kCaptionHead + b);
    QCOMPARE(again.RecentPaths(), (QStringList{b, a}));
    QVERIFY(again.Core().image == closed);
    QCOMPARE(CurrentLanguage(), 1);
    again.window->MenuEnglishClick();  // the language is the program's: the next test starts in English
  }

  void recentFilesMoveAndDrop() {
    Form f;
    Folder dir;
    QStringList files;
    for (int i = 0; i < 11; ++i) {
      files << dir.Tune(QString("t%1.ign").arg(i), f.Tune(i % 3));
      f.Trigger("MenuOpen", files.back());
    }
    QStringList expected;
    for (int i = 10; i >= 1; --i) expected << files[i];  // t0 dropped
    QCOMPARE(f.RecentPaths(), expected);
    QCOMPARE(f.HistoryMenu(), (QStringList{"1 t9", "2 t8", "3 t7", "4 t6", "5 t5", "6 t4", "7 t3", "8 t2", "9 t1"}));

    f.Action("MenuHistory3")->trigger();  // t7 to the front, 0..2 one down
    expected = QStringList{files[7], files[10], files[9], files[8], files[6],
                           files[5], files[4],  files[3], files[2], files[1]};
    QCOMPARE(f.RecentPaths(), expected);
    QCOMPARE(f.HistoryMenu().mid(0, 4), (QStringList{"1 t10", "2 t9", "3 t8", "4 t6"}));
    QCOMPARE(f.window->windowTitle(), kCaptionHead + files[7]);
  }
};

QTEST_MAIN(FileCommandsTest)
#include "file_commands_test.moc"
