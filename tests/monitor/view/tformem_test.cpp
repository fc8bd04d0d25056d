// The external monitor window: modes, the resize rule, pointer and key
// routing, the commands and the caption, on the offscreen platform.

#include "monitor/view/TFormEM.h"

#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QtTest>

#include "monitor/BuiltinSets.h"
#include "monitor/MonitorRecords.h"
#include "link/ParameterCatalogue.h"
#include "base/Lang.h"

namespace {

void Send(QWidget& w, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons,
          Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QMouseEvent e(type, QPointF(pos), QPointF(w.mapToGlobal(pos)), button, buttons, mods);
  QApplication::sendEvent(&w, &e);
}
void Move(QWidget& w, QPoint p, Qt::MouseButtons buttons = Qt::NoButton) {
  Send(w, QEvent::MouseMove, p, Qt::NoButton, buttons);
}
void Press(QWidget& w, QPoint p, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  Move(w, p);
  Send(w, QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton, mods);
}
void Release(QWidget& w, QPoint p) { Send(w, QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton); }
void Drag(QWidget& w, QPoint from, QPoint to, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  Press(w, from, mods);
  Move(w, (from + to) / 2, Qt::LeftButton);
  Move(w, to, Qt::LeftButton);
  Release(w, to);
}

// A window holding a set laid out at 400 x 200 with two labels and a value.
struct Rig {
  CParameterCatalogue catalogue;
  TFormEM form{catalogue};
  std::vector<QString> errors;
  Rig() {
    form.SetErrorSink([this](const QString& text) { errors.push_back(text); });
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    MonitorSet set;
    set.left = 50;
    set.top = 50;
    set.width = 400;
    set.height = 216;
    set.origWidth = 400;
    set.origHeight = 200;
    CemRecord label;
    label.kind = kCemLabel;
    label.number = 1;
    label.Left = 10;
    label.Top = 10;
    label.Width = 60;
    label.Height = 20;
    label.id = kCidRpm;
    label.rszable = label.nprable = 1;
    label.minw = label.minh = 4;
    label.maxw = label.maxh = 1000;
    label.focusable = 1;
    CemRecord value = label;
    value.kind = kCemValue;
    value.number = 0;
    value.Left = 100;
    CemRecord second = label;
    second.Top = 120;
    set.records = {label, value, second};
    form.ApplySet(set);
  }
  TMonImg& S() { return form.Surface(); }
  CMyGroup& Place() { return S().Place; }
  CMyComponent& Item(int i) { return *Place().Item(i); }
  QPoint Centre(int i) { return QPoint(Item(i).Left + Item(i).Width / 2, Item(i).Top + Item(i).Height / 2); }
  void EnterEdit() {
    form.SetEditMode(true);
    QCoreApplication::processEvents();
  }
};

}  // namespace

class TFormEMTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { SetCurrentLanguage(kEnglish); }

  void editModeShowsTheLayoutSizeAtScaleOne() {
    Rig rig;
    rig.form.resize(600, 316);  // normal mode: scaled up
    QTRY_COMPARE(rig.Item(0).scale, 1.5f);
    rig.EnterEdit();
    QTRY_COMPARE(rig.form.size(), QSize(400, 216));
    QCOMPARE(rig.Item(0).scale, 1.0f);
    QCOMPARE(rig.Place().edit, 1);
    QCOMPARE(rig.S().editButton->checked, 1);
    rig.form.SetEditMode(false);
    QCOMPARE(rig.form.size(), QSize(400, 216));  // leaving keeps the size
    QCOMPARE(rig.Item(0).scale, 1.0f);
    QCOMPARE(rig.S().statusButton->s->Get(), std::string_view("Read only"));
  }

  // Normal mode keeps the set's aspect: the width leads unless only the
  // height changed, and the drawing area keeps its minimum.
  void resizeKeepsTheAspect() {
    Rig rig;
    rig.form.resize(600, 216);
    QTRY_COMPARE(rig.form.size(), QSize(600, 316));
    QTRY_COMPARE(rig.Place().Height, 300);
    rig.form.resize(600, 216 + 250);  // only the height: it leads
    QTRY_COMPARE(rig.form.size(), QSize(900, 466));
    rig.form.resize(100, 466);
    QTRY_COMPARE(rig.form.size(), QSize(200, 116));
    QVERIFY(rig.Item(0).scale >= 0.1f);
  }

  void clickDragHandleAndBand() {
    Rig rig;
    rig.EnterEdit();
    TMonImg& s = rig.S();
    CMyComponent& label = rig.Item(0);
    CMyComponent& second = rig.Item(2);
    // A click selects and focuses; a drag moves.
    Drag(s, rig.Centre(0), rig.Centre(0) + QPoint(20, 30));
    QCOMPARE(rig.Place().focused, &label);
    QCOMPARE(label.Left, 30);
    QCOMPARE(label.Top, 40);
    // The bottom-right handle resizes the one selected element.
    const QPoint corner(label.Left + label.Width, label.Top + label.Height);
    Move(s, corner);
    QCOMPARE(label.handle, int(kHandleBottomRight));
    Drag(s, corner, corner + QPoint(10, 10));
    QVERIFY(label.Width > 60);
    // A band over empty space selects what it touches.
    Drag(s, QPoint(5, 110), QPoint(200, 190));
    QCOMPARE(second.selected, 1);
    QCOMPARE(label.selected, 0);
    QCOMPARE(rig.Place().band, 0);
  }

  // Normal mode: the elements take no pointer input.
  void normalModeIgnoresTheElements() {
    Rig rig;
    Drag(rig.S(), rig.Centre(0), rig.Centre(0) + QPoint(20, 30));
    QCOMPARE(rig.Item(0).Left, 10);
    QVERIFY(rig.Place().focused == nullptr);
  }

  // A double click opens the element's dialog; the press it stands in for
  // starts no move.
  void doubleClickOpensPropertiesWithoutAMove() {
    Rig rig;
    rig.EnterEdit();
    CMyComponent& label = rig.Item(0);
    const QPoint at = rig.Centre(0);
    QString opened;
    QTimer::singleShot(0, [&] {
      if (QWidget* dialog = QApplication::activeModalWidget()) {
        opened = dialog->windowTitle();
        dialog->close();
      }
    });
    Press(rig.S(), at);
    Release(rig.S(), at);
    Send(rig.S(), QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton);
    QCOMPARE(opened, QString("Properties"));
    Move(rig.S(), at + QPoint(30, 30), Qt::LeftButton);
    Release(rig.S(), at + QPoint(30, 30));
    QCOMPARE(label.Left, 10);
    QCOMPARE(label.Top, 10);
  }

  // Insert opens "Add watch" in normal mode too, at the last right press.
  void insertOpensAddWatchInNormalMode() {
    Rig rig;
    QString opened;
    QTimer::singleShot(0, [&] {
      if (QWidget* dialog = QApplication::activeModalWidget()) {
        opened = dialog->windowTitle();
        dialog->close();
      }
    });
    QTest::keyClick(&rig.form, Qt::Key_Insert);
    QCOMPARE(opened, QString("Add watch"));
    QCOMPARE(rig.Place().Count(), 3);
  }

  void deleteAndBackwards() {
    Rig rig;
    rig.EnterEdit();
    CMyComponent* value = &rig.Item(1);
    Press(rig.S(), rig.Centre(1));
    Release(rig.S(), rig.Centre(1));
    rig.form.SendBackwards();
    QCOMPARE(&rig.Item(0), value);
    QCOMPARE(value->selected, 0);
    QCOMPARE(rig.Place().nsel, 0);

    QTest::keyClick(&rig.form, Qt::Key_Delete);  // nothing selected: nothing goes
    QCOMPARE(rig.Place().Count(), 3);
    Drag(rig.S(), QPoint(1, 1), QPoint(399, 199));
    QCOMPARE(rig.Place().nsel, 3);
    QTest::keyClick(&rig.form, Qt::Key_Delete);
    QCOMPARE(rig.Place().Count(), 0);
  }

  void contextMenuFollowsTheMode() {
    Rig rig;
    auto texts = [&] {
      QStringList out;
      for (QAction* a : rig.form.PopupMenu1().actions()) out << (a->isSeparator() ? "-" : a->text());
      return out;
    };
    Send(rig.S(), QEvent::MouseButtonPress, QPoint(50, 50), Qt::RightButton, Qt::RightButton);
    rig.form.PopupMenu1().hide();
    QCOMPARE(texts(), QStringList({"Always on the top", "Enter edit mode"}));
    rig.form.PopupMenu1().actions()[1]->trigger();  // the timer then switches
    QCOMPARE(rig.form.EditState(), 0);
    rig.form.OnTimer();
    QCOMPARE(rig.form.EditState(), 1);
    const QPoint onLabel = rig.Centre(0);
    Send(rig.S(), QEvent::MouseButtonPress, onLabel, Qt::RightButton, Qt::RightButton);
    rig.form.PopupMenu1().hide();
    QCOMPARE(texts(),
             QStringList({"Always on the top", "End edit mode", "-", "Load monitor set", "Store monitor set", "-",
                          "Insert text", "Add image", "Add watch", "-", "Delete", "Backwards", "Properties"}));
    QCOMPARE(rig.S().menux, onLabel.x());
  }

  void captionFollowsTheConnectionWithinOneTick() {
    Rig rig;
    bool noConnection = true;
    rig.form.SetNoConnectionSource([&] { return noConnection; });
    rig.form.OnTimer();
    QCOMPARE(rig.form.windowTitle(), QString("External monitor   (!!! No connection with PC !!!)"));
    noConnection = false;
    rig.form.OnTimer();
    QCOMPARE(rig.form.windowTitle(), QString("External monitor   (Connected)"));
    SetCurrentLanguage(kCzech);
    rig.form.OnTimer();
    QCOMPARE(rig.form.windowTitle(), QString::fromUtf8("Externí monitor   (Spojeno)"));
  }

  void setsStoreLoadAndReportErrors() {
    Rig rig;
    QTemporaryDir dir;
    const std::string path = (dir.path() + "/a.cem").toStdString();
    QCOMPARE(rig.form.StoreMonitorSet(path), 0);
    const MonitorSet stored = rig.form.CurrentSet();
    rig.form.LoadBuiltinSet(kSet1);
    QCOMPARE(rig.form.EditState(), 0);
    QVERIFY(rig.Place().Count() > 0);
    QCOMPARE(rig.form.LoadMonitorSet(path), 0);
    QCOMPARE(rig.form.CurrentSet().records, stored.records);
    QCOMPARE(rig.Place().origWidth, 400);

    // "Empty" puts the window into edit mode.
    rig.form.LoadBuiltinSet(kSetEmpty);
    QCOMPARE(rig.form.EditState(), 1);
    QCOMPARE(rig.Place().Count(), 0);

    // A file of another format changes nothing and is reported.
    const QString bad = dir.path() + "/bad.cem";
    QFile f(bad);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray("\x02\x10\0\0", 4) + QByteArray(40, '\0'));
    f.close();
    rig.form.SetChooser([&](bool, const QString&, const QString&) { return bad; });
    rig.form.LoadMonitorSetDialog();
    QCOMPARE(rig.errors, std::vector<QString>{"Invalid format or version of file..."});
    QCOMPARE(rig.form.EditState(), 1);
    // A store that cannot be written says so.
    rig.form.SetChooser([&](bool, const QString&, const QString&) { return dir.path() + "/no/such/dir/x.cem"; });
    rig.form.StoreMonitorSetDialog();
    QCOMPARE(rig.errors.back(), QString("Open file error..."));
  }

  // A picture larger than the room right of and below the menu point moves
  // left and up; what still does not fit is cut.
  void addedImageIsKeptInside() {
    Rig rig;
    rig.EnterEdit();
    QTemporaryDir dir;
    QImage big(300, 150, QImage::Format_RGB32);
    big.fill(Qt::blue);
    QVERIFY(big.save(dir.path() + "/big.bmp"));
    rig.S().menux = 350;
    rig.S().menuy = 120;
    QVERIFY(rig.form.AddImageFile(dir.path() + "/big.bmp"));
    CMyComponent& image = rig.Item(rig.Place().Count() - 1);
    QCOMPARE(image.Left, 100);
    QCOMPARE(image.Top, 50);
    QCOMPARE(rig.Place().focused, &image);
    QVERIFY(!rig.form.AddImageFile(dir.path() + "/big.gif"));
  }

  // The properties dialog takes the release of the double click; the first
  // press after it is the user's own and starts a move.
  void firstPressAfterPropertiesDialogCounts() {
    Rig rig;
    rig.EnterEdit();
    CMyComponent& label = rig.Item(0);
    const QPoint at = rig.Centre(0);
    QTimer::singleShot(0, [] {
      if (QWidget* dialog = QApplication::activeModalWidget()) dialog->close();
    });
    Press(rig.S(), at);
    Release(rig.S(), at);
    Send(rig.S(), QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton);
    QVERIFY(!rig.S().swallowPress);
    Drag(rig.S(), at, at + QPoint(20, 10));
    QCOMPARE(label.Left, 30);
    QCOMPARE(label.Top, 20);
  }

  // Whatever the window went through, edit mode shows the set at one unit
  // per pixel with the bar, and no store writes a layout size of 0 x 0.
  void editAfterAnySizeShowsTheSet() {
    Rig rig;
    rig.form.resize(900, 60);  // a size the rule has not seen yet
    rig.Place().origWidth = rig.Place().origHeight = 0;
    const MonitorSet before = rig.form.CurrentSet();
    QVERIFY(before.origWidth > 0 && before.origHeight > 0);
    rig.EnterEdit();
    // The drawing area as it was, made high enough for the elements (the
    // lowest ends at 140).
    QTRY_COMPARE(rig.form.size(), QSize(900, 140 + 16));
    QCOMPARE(rig.S().geometry(), rig.form.rect());
    QCOMPARE(rig.Item(0).scale, 1.0f);
    QCOMPARE(rig.S().bar.Top + rig.S().bar.Height, rig.form.height() + 1);
    QCOMPARE(rig.Place().origWidth, rig.form.width());
    QCOMPARE(rig.Place().origHeight, rig.form.height() - 16);
    // The elements fit: none is cut by the bar.
    for (int i = 0; i < rig.Place().Count(); ++i)
      QVERIFY(rig.Item(i).Top + rig.Item(i).Height <= rig.Place().origHeight);
  }

  // A file whose header says 0 x 0: the window takes the smallest drawing
  // area and the tuner is told; a store then gives back what it shows.
  void zeroSizeHeaderTakesTheMinimumAndSaysSo() {
    Rig rig;
    QTemporaryDir dir;
    MonitorSet set = rig.form.CurrentSet();
    set.width = set.height = 0;
    set.origWidth = set.origHeight = 0;
    const QString path = dir.path() + "/zero.cem";
    QCOMPARE(StoreMonitorSetFile(path.toStdString(), set), 0);
    QVERIFY(rig.form.LoadSetFile(path));
    QCOMPARE(rig.errors,
             std::vector<QString>{"The window size stored in the file is invalid; the smallest size is used."});
    QTRY_COMPARE(rig.form.size(), QSize(200, 51));
    QCOMPARE(rig.Place().origWidth, 200);
    QCOMPARE(rig.Place().origHeight, 35);
    const MonitorSet again = rig.form.CurrentSet();
    QCOMPARE(again.width, 200);
    QCOMPARE(again.height, 51);
    // A sound file says nothing.
    rig.errors.clear();
    QCOMPARE(StoreMonitorSetFile(path.toStdString(), again), 0);
    QVERIFY(rig.form.LoadSetFile(path));
    QVERIFY(rig.errors.empty());
  }

  // A set stored and loaded again keeps its size, however often.
  void storeAndLoadKeepTheSize() {
    Rig rig;
    rig.form.resize(600, 216);
    QTRY_COMPARE(rig.form.size(), QSize(600, 316));
    QTemporaryDir dir;
    const std::string path = (dir.path() + "/a.cem").toStdString();
    for (int round = 0; round < 3; ++round) {
      QCOMPARE(rig.form.StoreMonitorSet(path), 0);
      QCOMPARE(rig.form.LoadMonitorSet(path), 0);
      QCOMPARE(rig.form.size(), QSize(600, 316));
    }
  }

  // What paints the drawing area never paints over the bar.
  void elementsNeverPaintOverTheBar() {
    Rig rig;
    rig.EnterEdit();
    CMyComponent& label = rig.Item(0);
    label.Top = 190;
    label.Height = 40;  // reaches 30 pixels past the drawing area
    rig.Place().Invalidate(kDirtyAll);
    rig.S().RefreshContainers();
    const QImage image = rig.S().Image().copy();
    const QImage clean = [&] {
      label.Top = 10;
      label.Height = 20;
      rig.S().Redraw();
      return rig.S().Image().copy();
    }();
    const int barTop = rig.S().bar.Top;
    QCOMPARE(image.copy(0, barTop, image.width(), 16), clean.copy(0, barTop, clean.width(), 16));
  }
};

QTEST_MAIN(TFormEMTest)
#include "tformem_test.moc"
