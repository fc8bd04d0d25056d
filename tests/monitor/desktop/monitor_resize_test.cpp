// The external monitor under a real window manager: its frame dragged with
// the pointer as a tuner drags it, the aspect rule applied once the drag has
// ended, edit mode after such drags, and the size kept over seven starts of
// the real program.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QtTest>
#include <cmath>
#include <functional>

#include "base/Lang.h"
#include "link/ParameterCatalogue.h"
#include "monitor/BuiltinSets.h"
#include "monitor/MonitorSetFile.h"
#include "monitor/view/TFormEM.h"
#include "support/RuntimeDir.h"

namespace {

// Runs a helper program to its end while this program keeps answering the
// window manager.
QByteArray Run(const QString& program, const QStringList& args, bool* ok = nullptr) {
  QProcess p;
  p.start(program, args);
  QElapsedTimer clock;
  clock.start();
  bool done = p.waitForStarted();
  while (done && !p.waitForFinished(10)) {
    QCoreApplication::processEvents();
    if (clock.elapsed() > 10000) {
      p.kill();
      done = false;
    }
  }
  if (ok) *ok = done && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
  return p.readAllStandardOutput();
}

void Xdo(const QStringList& args) {
  bool ok = false;
  Run("xdotool", args, &ok);
  if (!ok) qWarning("xdotool %s failed", qPrintable(args.join(' ')));
}

void PointerTo(QPoint global) { Xdo({"mousemove", QString::number(global.x()), QString::number(global.y())}); }

// Presses the primary button at `from` on the screen, moves it in steps to
// `to` and releases it there, as a hand drags a window's frame.
void Drag(QPoint from, QPoint to, const std::function<void()>& whileHeld = {}) {
  PointerTo(from);
  QTest::qWait(150);
  Xdo({"mousedown", "1"});
  QTest::qWait(150);
  constexpr int kSteps = 12;
  for (int i = 1; i <= kSteps; ++i) {
    PointerTo(from + QPoint((to.x() - from.x()) * i / kSteps, (to.y() - from.y()) * i / kSteps));
    QTest::qWait(40);
  }
  QTest::qWait(150);
  if (whileHeld) whileHeld();
  Xdo({"mouseup", "1"});
}

void Click(QPoint global, int button = 1) {
  PointerTo(global);
  QTest::qWait(100);
  Xdo({"click", QString::number(button)});
}

// What the X server shows of the window's client area.
QImage Shown(QWidget& w) { return w.screen()->grabWindow(w.winId()).toImage().convertToFormat(QImage::Format_RGB32); }

void SaveShot(QWidget& w, const QString& name) {
  const QString folder = qEnvironmentVariable("VENTRIX_SHOTS");
  if (folder.isEmpty()) return;
  QDir().mkpath(folder);
  w.screen()->grabWindow(0).copy(w.frameGeometry().adjusted(-10, -10, 10, 10)).save(folder + "/" + name + ".png");
}

}  // namespace

class MonitorResizeTest : public QObject {
  Q_OBJECT

  testsupport::RuntimeDir m_runtimeDir;
  CParameterCatalogue m_catalogue;

  // The drawing area keeps the set's proportions, the surface fills the
  // client with the bar at its bottom, and the screen shows exactly what
  // the surface painted: no strip of an earlier size is left.
  static bool Whole(TFormEM& form) {
    const CMyGroup& place = form.Surface().Place;
    if (form.Surface().geometry() != form.rect()) return false;
    if (form.Surface().bar.Top + form.Surface().bar.Height != form.height() + 1) return false;
    if (form.EditState() == 0) {
      const double wanted = double(place.origHeight) * form.width() / place.origWidth;
      if (std::abs(form.height() - 16 - wanted) > 1.0) return false;
    }
    return Shown(form) == form.Surface().Image();
  }

 private slots:
  void initTestCase() {
    QVERIFY(m_runtimeDir.IsValid());
    QCOMPARE(QGuiApplication::platformName(), QString("xcb"));
  }

  void dragsKeepTheAspectAndEditShowsTheSet() {
    SetCurrentLanguage(kEnglish);
    TFormEM form(m_catalogue);
    form.LoadBuiltinSet(kSet1);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    // The window manager has framed it.
    QTRY_VERIFY(form.frameGeometry().size() != form.size());
    QTRY_VERIFY(Whole(form));
    const QSize start = form.size();
    const int origWidth = form.Surface().Place.origWidth, origHeight = form.Surface().Place.origHeight;

    // The bottom-right corner outwards: the width leads, the height follows.
    QRect frame = form.frameGeometry();
    Drag(frame.bottomRight(), frame.bottomRight() + QPoint(335, 130));
    QTRY_VERIFY_WITH_TIMEOUT(Whole(form), 5000);
    QVERIFY(form.width() > start.width() + 300);
    SaveShot(form, "monitor-corner-drag");

    // The right edge in: the height follows the width, near the set's
    // proportions already while the window manager drags (it is asked to),
    // exactly once the button is up.
    frame = form.frameGeometry();
    const int wide = form.width();
    QSize during;
    Drag(QPoint(frame.right(), frame.center().y()), QPoint(frame.right() - 200, frame.center().y()),
         [&] { during = form.size(); });
    QVERIFY(during.width() < wide - 150);
    const double near = double(origHeight) * during.width() / origWidth;
    QVERIFY2(std::abs(during.height() - 16 - near) <= 0.03 * near + 1,
             qPrintable(QString("%1 x %2").arg(during.width()).arg(during.height())));
    QTRY_VERIFY_WITH_TIMEOUT(Whole(form), 5000);
    QVERIFY(form.width() < wide - 150);

    // The bottom edge down: the height leads, the width follows.
    frame = form.frameGeometry();
    const int high = form.height();
    Drag(QPoint(frame.center().x(), frame.bottom()), QPoint(frame.center().x(), frame.bottom() + 120));
    QTRY_VERIFY_WITH_TIMEOUT(Whole(form), 5000);
    QVERIFY(form.height() > high + 90);
    QVERIFY(form.width() > wide - 150 + 150);

    // "Edit" on the bar: the set at its layout size, one unit per pixel,
    // its elements and the bar shown, the context menu there.
    Click(form.mapToGlobal(QPoint(30, form.height() - 8)));
    QTRY_COMPARE(form.EditState(), 1);
    QTRY_COMPARE(form.size(), QSize(origWidth, origHeight + 16));
    QTRY_VERIFY_WITH_TIMEOUT(Whole(form), 5000);
    const CMyGroup& place = form.Surface().Place;
    QVERIFY(place.Count() > 0);
    for (int i = 0; i < place.Count(); ++i) QCOMPARE(place.Item(i)->scale, 1.0f);
    const QImage shown = Shown(form);
    QSet<QRgb> colours;
    for (int y = 0; y < place.Height; y += 2)
      for (int x = 0; x < place.Width; x += 2) colours.insert(shown.pixel(x, y));
    QVERIFY(colours.size() > 5);
    SaveShot(form, "monitor-edit-after-drags");
    Click(form.mapToGlobal(QPoint(place.Width / 2, place.Height - 4)), 3);
    QTRY_VERIFY(form.PopupMenu1().isVisible());
    Xdo({"key", "Escape"});
    QTRY_VERIFY(!form.PopupMenu1().isVisible());
    // Edit mode sizes: dragging the corner in stops at the elements.
    frame = form.frameGeometry();
    Drag(frame.bottomRight(), frame.bottomRight() - QPoint(300, 150));
    QTRY_VERIFY_WITH_TIMEOUT(Whole(form), 5000);
    int right = 0, bottom = 0;
    for (int i = 0; i < place.Count(); ++i) {
      right = std::max(right, place.Item(i)->Left + place.Item(i)->Width);
      bottom = std::max(bottom, place.Item(i)->Top + place.Item(i)->Height);
    }
    QTRY_COMPARE(form.width(), right);
    QVERIFY(form.height() - 16 >= bottom);
    QCOMPARE(form.Surface().Place.origWidth, form.width());
    QCOMPARE(form.Surface().Place.origHeight, form.height() - 16);

    // Back to normal mode: the size stays, the scale is 1 again.
    Click(form.mapToGlobal(QPoint(30, form.height() - 8)));
    QTRY_COMPARE(form.EditState(), 0);
    QCOMPARE(place.Item(0)->scale, 1.0f);
  }

  // Seven starts and ends of the real program with the monitor open: it
  // comes back at the size and place it had each time.
  void sevenStartsKeepTheSize() {
    const QString state = m_runtimeDir.Path() + "/xdg_state_home/ventrix";
    QDir().mkpath(state);
    QFile set(state + "/_Ventrix_2007_v83.iniEMON.cem");
    QVERIFY(set.open(QIODevice::WriteOnly));
    const std::string bytes = WriteMonitorSet(BuiltinMonitorSet(kSet1));
    set.write(bytes.data(), qint64(bytes.size()));
    set.close();
    QFile ini(m_runtimeDir.Path() + "/xdg_config_home/ventrix/Ventrix_2007_v83.ini");
    QVERIFY(ini.open(QIODevice::Append));
    ini.write("FormEM->Visible=1\r\n");
    ini.close();

    QStringList geometries;
    for (int start = 0; start < 7; ++start) {
      QProcess program;
      QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
      env.insert("VENTRIX_UNITSIM", VENTRIX_UNITSIM_EXE);
      program.setProcessEnvironment(env);
      program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
      program.start(VENTRIX_EXE, {"--demo"});
      QVERIFY(program.waitForStarted());
      // The monitor's window once it stands.
      QString id, geometry, last;
      QElapsedTimer clock;
      clock.start();
      while (clock.elapsed() < 20000) {
        QTest::qWait(300);
        if (id.isEmpty())
          id = QString::fromUtf8(Run("xdotool", {"search", "--onlyvisible", "--name", "External monitor"}))
                   .section('\n', 0, 0)
                   .trimmed();
        if (id.isEmpty()) continue;
        const QString now = QString::fromUtf8(Run("xdotool", {"getwindowgeometry", id}));
        if (now == last && now.contains("Geometry")) {
          geometry = now;
          break;
        }
        last = now;
      }
      QVERIFY2(!geometry.isEmpty(), "the monitor did not show");
      geometries << geometry.section('\n', 1).simplified();
      program.terminate();
      QVERIFY(program.waitForFinished(20000));
      QCOMPARE(program.exitCode(), 0);
    }
    qInfo("%s", qPrintable(geometries.join(" | ")));
    for (const QString& g : geometries) QCOMPARE(g, geometries.front());
  }
};

QTEST_MAIN(MonitorResizeTest)
#include "monitor_resize_test.moc"
