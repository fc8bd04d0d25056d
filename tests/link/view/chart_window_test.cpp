// The time chart window on made-up channels: the value under the cursor,
// zoom and pan leaving the cursor where it is, a click asking to seek.

#include <QListWidget>
#include <QSignalSpy>
#include <QtTest>
#include <algorithm>
#include <cmath>

#include "link/view/ChartCanvas.h"
#include "link/view/ChartWindow.h"
#include "base/Lang.h"
#include "support/LiveFrames.h"
#include "support/MouseInput.h"

namespace {

constexpr double kDuration = 100;  // seconds

// Engine speed rises 10 rpm each half second from 1000; throttle follows a
// slow wave; every other channel is flat at its channel number.
std::vector<ChartSample> Samples(const LiveChannel& c) {
  std::vector<ChartSample> out;
  const std::string_view key = c.key;
  for (int i = 0; i <= 200; ++i) {
    const double t = i * 0.5;
    const double v = key == "rpm" ? 1000 + 10 * i : key == "throttle" ? 50 + 40 * std::sin(t / 7) : 7;
    out.push_back({t, v});
  }
  return out;
}

// Ten minutes of a ride as the unit would send it, three frames a second,
// read through the live decoder: the picture shows what a real log shows.
std::vector<ChartSample> RideSamples(const LiveChannel& c) {
  const ConfigImage image{};
  std::vector<ChartSample> out;
  for (int i = 0; i < 1800; ++i) {
    const double t = i / 3.0;
    const double throttle = std::clamp(50 + 55 * std::sin(t / 23) * std::sin(t / 5.3), 0.0, 100.0);
    const int rpm = int(1400 + throttle * 95 + 400 * std::sin(t / 2.1));
    Frame f = testsupport::QuietFrame(13600);
    testsupport::PutWord(f, 48, rpm);
    testsupport::PutWord(f, 138, int(throttle * 10));
    f[29] = std::uint8_t(147 - throttle * 0.22 + 3 * std::sin(t * 1.3));  // AFR, tenths
    f[10] = std::uint8_t(12 + rpm / 500);                                 // advance, cylinder 1
    f[14] = std::uint8_t(18 + throttle * 0.4);                            // injection 1A, 100 us
    f[23] = std::uint8_t(100 + std::min(92.0, 40 + t / 6));               // coolant warming up
    if (const auto v = LiveChannelValue(c, f, image)) out.push_back({t, *v});
  }
  return out;
}

}  // namespace

class ChartWindowTest : public QObject {
  Q_OBJECT

  std::unique_ptr<ChartWindow> m_window;

  ChartCanvas& Canvas() { return m_window->Canvas(); }
  QPoint PlotPoint(double fraction) {
    const QRect plot = Canvas().PlotRect();
    return QPoint(plot.left() + int(fraction * plot.width()), plot.center().y());
  }

 private slots:
  void init() {
    SetCurrentLanguage(kEnglish);
    m_window = std::make_unique<ChartWindow>();
    m_window->SetChannelLoader(Samples, kDuration);
    m_window->resize(1000, 640);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
  }
  void cleanup() { m_window.reset(); }

  void cursorValueAtKnownTime() {
    m_window->SetCursorTime(12.3);  // between the frames at 12.0 and 12.5: the one at 12.0 holds
    const QStringList readouts = Canvas().CursorReadouts();
    QCOMPARE(readouts.size(), 6);  // the default channels
    // The Monitor page's name; a count has no unit.
    QCOMPARE(readouts.front(), QStringLiteral("RPM = 1240"));
    QVERIFY(readouts.contains(QStringLiteral("Coolant = 7 °C")));

    // The cursor line is drawn where that time is.
    const QImage image = Canvas().grab().toImage();
    const QRect plot = Canvas().PlotRect();
    const int x = plot.left() + int(std::floor(Canvas().View().XAtTime(12.3, plot.width())));
    QCOMPARE(image.pixel(x, plot.center().y()), ChartCanvas::kCursorColour);
    QVERIFY(image.pixel(x + 3, plot.center().y()) != ChartCanvas::kCursorColour);

    // Before the first frame there is no value to show.
    m_window->SetCursorTime(-1);
    QCOMPARE(Canvas().CursorReadouts().front(), QStringLiteral("RPM = -"));

    SetCurrentLanguage(kCzech);
    m_window->ApplyLanguage();
    m_window->SetCursorTime(12.3);
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Časový graf"));
    QVERIFY(Canvas().CursorReadouts().contains(QStringLiteral("Voda = 7 °C")));
  }

  void zoomAndPanKeepTheCursorTime() {
    QSignalSpy seeks(m_window.get(), &ChartWindow::seekRequested);
    m_window->SetCursorTime(40);
    testsupport::Wheel(Canvas(), PlotPoint(0.25), 3 * 120);  // three notches in, about a quarter in
    const ChartTimeView& view = Canvas().View();
    QVERIFY(view.Span() < kDuration * 0.6);
    QVERIFY(std::abs(view.TimeAtX(PlotPoint(0.25).x() - Canvas().PlotRect().left(), Canvas().PlotRect().width()) - 25) <
            0.2);
    QCOMPARE(m_window->CursorTime(), 40.0);

    const double t0 = view.T0();
    const double span = view.Span();
    testsupport::Press(Canvas(), PlotPoint(0.5));
    testsupport::DragTo(Canvas(), PlotPoint(0.4));
    testsupport::DragTo(Canvas(), PlotPoint(0.3));
    testsupport::Release(Canvas(), PlotPoint(0.3));
    // Dragged left by a fifth of the width: the view moved a fifth later.
    QVERIFY(std::abs(view.T0() - (t0 + span * 0.2)) < span / Canvas().PlotRect().width() * 2);
    QCOMPARE(view.Span(), span);
    QCOMPARE(m_window->CursorTime(), 40.0);
    QCOMPARE(seeks.count(), 0);  // a drag is no click
    QCOMPARE(Canvas().CursorReadouts().front(), QStringLiteral("RPM = 1800"));
  }

  void clickReportsTheSeekTime() {
    QSignalSpy seeks(m_window.get(), &ChartWindow::seekRequested);
    m_window->Canvas().View().SetRange(20, 60);
    const QPoint at = PlotPoint(0.75);
    testsupport::Press(Canvas(), at);
    testsupport::Release(Canvas(), at);
    QCOMPARE(seeks.count(), 1);
    const double t = seeks.front().front().toDouble();
    const double pixel = 40.0 / Canvas().PlotRect().width();
    QVERIFY2(std::abs(t - 50) <= pixel, qPrintable(QString::number(t)));
    QCOMPARE(m_window->CursorTime(), t);
  }

  void tickingAChannelAddsItsLane() {
    m_window->SetChannelShown("coolant", false);
    m_window->SetChannelShown("gear", true);
    const QStringList readouts = Canvas().CursorReadouts();
    QCOMPARE(readouts.size(), 6);
    QVERIFY(!readouts.contains(QStringLiteral("Coolant = 7 °C")));
    QCOMPARE(readouts.back(), QStringLiteral("Gear = 7"));  // list order, and no unit for a count
  }

  // VENTRIX_SCREENSHOT_DIR=... saves the chart of a made-up ride for a look.
  void screenshot() {
    const QByteArray dir = qgetenv("VENTRIX_SCREENSHOT_DIR");
    if (dir.isEmpty()) QSKIP("VENTRIX_SCREENSHOT_DIR not set");
    for (int language : {kEnglish, kCzech}) {
      SetCurrentLanguage(language);
      m_window->ApplyLanguage();
      m_window->SetChannelLoader(RideSamples, 600);
      m_window->SetCursorTime(262);
      const QString name = language == kEnglish ? "time_chart_en.png" : "time_chart_cz.png";
      QVERIFY(m_window->grab().save(QString::fromUtf8(dir) + "/" + name));
    }
  }
};

QTEST_MAIN(ChartWindowTest)
#include "chart_window_test.moc"
