// Undo and Redo by the keys tuners press, on a real X display under a window
// manager: the xcb platform's own key bindings (a plain X11 session calls
// only Ctrl+Shift+Z "Redo"), the keys coming through the X server (xdotool),
// and the focus where it sits after an edit: in a map editor, in an edit
// field, on the window.

#include <QAction>
#include <QLineEdit>
#include <QProcess>
#include <QtTest>

#include "image/Pages.h"
#include "image/view/TUpDown.h"
#include "sheet/view/TTab.h"
#include "support/RuntimeDir.h"
#include "support/WindowUnderTest.h"

namespace {

constexpr int kDwellByte = 4;

// A key combination through the X server, to whatever has the focus.
bool PressKeys(const char* keys) {
  return QProcess::execute("xdotool", {"key", "--clearmodifiers", QString::fromLatin1(keys)}) == 0;
}

}  // namespace

class HistoryKeysTest : public QObject {
  Q_OBJECT

  testsupport::RuntimeDir m_runtimeDir;

 private slots:
  void initTestCase() {
    QVERIFY(m_runtimeDir.IsValid());
    QCOMPARE(QGuiApplication::platformName(), QString("xcb"));
  }

  // The menu shows Ctrl+Y and holds Ctrl+Shift+Z too, whatever this
  // desktop's own binding for Redo is.
  void redoShowsCtrlYAndKeepsCtrlShiftZ() {
    testsupport::WindowUnderTest w;
    auto* redo = w.window->findChild<QAction*>("MenuZnovu");
    QVERIFY(redo);
    QCOMPARE(redo->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Y));
    QVERIFY(redo->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)));
    qInfo() << "this desktop's Redo:" << QKeySequence::keyBindings(QKeySequence::Redo);
  }

  void undoAndRedoByKeys_data() {
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QString>("redoKeys");
    for (const char* focus : {"map editor", "edit field", "window"})
      for (const char* keys : {"ctrl+y", "ctrl+shift+z"})
        QTest::newRow(QByteArray(focus) + ", " + keys) << QString(focus) << QString(keys);
  }
  void undoAndRedoByKeys() {
    QFETCH(QString, focus);
    QFETCH(QString, redoKeys);
    testsupport::WindowUnderTest w;
    w.Show();
    CAppCore& core = w.Core();
    // One step in the history: a click on the dwell up/down, committed.
    auto* upDown = w.window->findChild<TUpDown*>("UpDownDwell");
    QVERIFY(upDown);
    const int before = core.image[kDwellByte];
    upDown->StepBy(+1);
    core.FlushPendingCommit();
    w.window->ShowHistoryState();
    const int after = core.image[kDwellByte];
    QVERIFY(after != before);
    QVERIFY(core.history.CanUndo());

    if (focus == "map editor") {
      w.pages->setCurrentIndex(kPageAdvance);
      auto* map = w.pages->widget(kPageAdvance)->findChild<TTab*>();
      QVERIFY(map);
      map->setFocus();
      QTRY_VERIFY(map->hasFocus());
    } else if (focus == "edit field") {
      // Where Enter leaves the focus: an edit with nothing typed into it.
      auto* edit = w.window->findChild<QLineEdit*>("EditDwell");
      QVERIFY(edit);
      edit->setFocus();
      QTRY_VERIFY(edit->hasFocus());
    } else {
      w.window->setFocus();
    }

    QVERIFY(PressKeys("ctrl+z"));
    QTRY_COMPARE(int(core.image[kDwellByte]), before);
    QVERIFY(PressKeys(redoKeys.toLatin1().constData()));
    QTRY_COMPARE(int(core.image[kDwellByte]), after);
  }

  // Typing of its own in an edit is the edit's to take back first.
  void anEditTakesBackItsOwnTypingFirst() {
    testsupport::WindowUnderTest w;
    w.Show();
    CAppCore& core = w.Core();
    auto* upDown = w.window->findChild<TUpDown*>("UpDownDwell");
    upDown->StepBy(+1);
    core.FlushPendingCommit();
    w.window->ShowHistoryState();
    const int after = core.image[kDwellByte];
    auto* edit = w.window->findChild<QLineEdit*>("EditDwell");
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    const QString shown = edit->text();
    edit->end(false);
    QVERIFY(PressKeys("9"));
    QTRY_COMPARE(edit->text(), shown + "9");
    QVERIFY(PressKeys("ctrl+z"));
    QTRY_COMPARE(edit->text(), shown);
    QCOMPARE(int(core.image[kDwellByte]), after);
    QVERIFY(PressKeys("ctrl+y"));
    QTRY_COMPARE(edit->text(), shown + "9");
    QCOMPARE(int(core.image[kDwellByte]), after);
  }
};

QTEST_MAIN(HistoryKeysTest)
#include "history_keys_test.moc"
