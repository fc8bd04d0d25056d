#include "link/view/LiveView.h"

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QProgressBar>
#include <QTabWidget>
#include <algorithm>

#include "core/AppCore.h"
#include "image/FieldCatalogue.h"
#include "link/LiveDisplay.h"
#include "base/view/Colour.h"

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }

// Layout of the Monitor page, in pixels at 96 dpi.
constexpr int kMargin = 8;
constexpr int kRowStep = 25;
constexpr int kRowHeight = 20;
constexpr int kGroupTop = 24;  // first row below the group's title
constexpr int kGaugeHeight = 14;
constexpr int kBandHeight = 5;

constexpr int kColumnA = kMargin;
constexpr int kColumnAWidth = 450;
constexpr int kColumnB = kColumnA + kColumnAWidth + kMargin;
constexpr int kColumnBWidth = 520;
constexpr int kColumnC = kColumnB + kColumnBWidth + kMargin;
constexpr int kColumnCWidth = 336;
constexpr int kPageWidth = kColumnC + kColumnCWidth + kMargin;

constexpr int GroupHeight(int rows) { return kGroupTop + rows * kRowStep + 4; }

// The bands of the lambda bar: rich, in the window, lean.
constexpr const char* kLambdaBands[] = {"ShapeLambdaBar1", "ShapeLambdaBar2", "ShapeLambdaBar3"};
constexpr TColor kLambdaBandColours[] = {clBlue, clLime, clRed};
constexpr TColor kGaugeColour = clBlue;

class PageBuilder {
 public:
  PageBuilder(QWidget& page, double scale) : m_page(page), m_scale(scale) {}

  int Px(int v) const { return int(v * m_scale + 0.5); }

  QGroupBox* Group(const char* name, int x, int y, int w, int rows) {
    auto* g = new QGroupBox(&m_page);
    g->setObjectName(name);
    g->setGeometry(Px(x), Px(y), Px(w), Px(GroupHeight(rows)));
    return g;
  }

  // A label in row `row` of `group`, from `x` with width `w` (group coordinates).
  QLabel* Label(QWidget* group, const char* name, int row, int x, int w, const char* placeholder = "") {
    auto* l = new QLabel(QString::fromUtf8(placeholder), group);
    l->setObjectName(name);
    l->setGeometry(Px(x), Px(kGroupTop + row * kRowStep), Px(w), Px(kRowHeight));
    l->setIndent(Px(3));
    return l;
  }

  QProgressBar* Gauge(QWidget* group, const char* name, int row, int x, int w, int maximum) {
    auto* g = new QProgressBar(group);
    g->setObjectName(name);
    g->setGeometry(Px(x), Px(kGroupTop + row * kRowStep + (kRowHeight - kGaugeHeight) / 2), Px(w), Px(kGaugeHeight));
    g->setRange(0, maximum);
    g->setValue(0);
    g->setTextVisible(false);
    SetGaugeColour(*g, kGaugeColour);
    return g;
  }

  static void SetGaugeColour(QProgressBar& gauge, TColor colour) {
    const QVariant old = gauge.property("liveColour");
    if (old.isValid() && old.toUInt() == colour) return;
    gauge.setProperty("liveColour", colour);
    const QColor c = ToQColor(colour, gauge.palette());
    gauge.setStyleSheet(QString("QProgressBar { border: 1px solid #808080; background: white; }"
                                "QProgressBar::chunk { background-color: %1; }")
                            .arg(c.name()));
  }

 private:
  QWidget& m_page;
  double m_scale;
};

void ApplyLabel(QWidget& w, const LiveLabelState& s) {
  if (s.text) {
    if (auto* label = qobject_cast<QLabel*>(&w)) {
      const QString text = Q(*s.text);
      if (label->text() != text) label->setText(text);
    }
  }
  if (s.colour) SetBackground(w, *s.colour);
  if (s.visible && w.isHidden() == *s.visible) w.setVisible(*s.visible);
}

void ApplyGauge(QProgressBar& g, const LiveGaugeState& s) {
  if (g.maximum() != s.maximum) g.setRange(0, s.maximum);
  if (s.position && g.value() != *s.position) g.setValue(*s.position);
  if (s.colour) PageBuilder::SetGaugeColour(g, *s.colour);
  if (s.visible && g.isHidden() == *s.visible) g.setVisible(*s.visible);
}

// The three bands sit on the lambda gauge's top edge and share its width.
void PlaceLambdaBands(const QHash<QString, QWidget*>& byName, const LambdaBands& bands) {
  QWidget* gauge = byName.value("CGaugeLambda");
  if (!gauge) return;
  const QRect r = gauge->geometry();
  const int ends[] = {0, bands.firstEnd, bands.secondEnd, 100};
  for (int i = 0; i < 3; ++i) {
    QWidget* band = byName.value(kLambdaBands[i]);
    if (!band) continue;
    const int left = r.x() + r.width() * ends[i] / 100;
    const int right = r.x() + r.width() * ends[i + 1] / 100;
    band->setGeometry(left, band->y(), std::max(0, right - left), band->height());
    band->setVisible(right > left);
  }
}

bool IsChecked(const QHash<QString, QWidget*>& byName, const char* name, bool otherwise) {
  if (const auto* box = qobject_cast<QCheckBox*>(byName.value(name))) return box->isChecked();
  return otherwise;
}
}  // namespace

void BuildMonitorPage(QWidget& page, double scale) {
  PageBuilder b(page, scale);
  const int wa = kColumnAWidth;
  const int wb = kColumnBWidth;
  const int wc = kColumnCWidth;

  // Engine values with their bars.
  QGroupBox* engine = b.Group("GroupBoxMonEngine", kColumnA, kMargin, wa, 13);
  const int labelW = 290;
  const int gaugeX = labelW + 14;
  const int gaugeW = wa - gaugeX - 10;
  b.Label(engine, "LabelRpm", 0, 8, labelW, "RPM = --- ");
  b.Gauge(engine, "CGaugeRpm", 0, gaugeX, gaugeW, kGaugeRpmMax);
  b.Label(engine, "LabelTpsMon", 1, 8, labelW, "TP = --- %");
  b.Gauge(engine, "CGaugeTps", 1, gaugeX, gaugeW, 100);
  b.Label(engine, "LabelLambda", 2, 8, labelW, "LAMBDA = --- [AFR]");
  QProgressBar* lambda = b.Gauge(engine, "CGaugeLambda", 2, gaugeX, gaugeW, 100);
  for (int i = 0; i < 3; ++i) {
    auto* band = new QFrame(engine);
    band->setObjectName(kLambdaBands[i]);
    band->setGeometry(lambda->x(), lambda->y() - b.Px(kBandHeight), 0, b.Px(kBandHeight));
    SetBackground(*band, kLambdaBandColours[i]);
    band->hide();
  }
  b.Label(engine, "LabelVoda", 3, 8, labelW);
  b.Gauge(engine, "CGaugeVoda", 3, gaugeX, gaugeW, kGaugeCoolantMax);
  b.Label(engine, "LabelVzduch", 4, 8, labelW, "AT = --- °C");
  b.Label(engine, "LabelPodtlak", 5, 8, labelW, "IAP = --- [kPa]");
  b.Label(engine, "LabelTlak", 6, 8, labelW, "AP = --- kPa");
  b.Label(engine, "LabelNapeti", 7, 8, labelW, "U = --- V");
  b.Label(engine, "LabelDwellMer", 8, 8, labelW, "Dwell= --- [ms]");
  b.Label(engine, "LabelGear", 9, 8, labelW);
  b.Label(engine, "LabelMonSpeed", 10, 8, labelW);
  b.Label(engine, "LabelMonGearNapeti", 11, 8, labelW);
  // Shown only in gas-handle mode.
  b.Label(engine, "LabelGasMon", 12, 8, labelW)->hide();
  b.Gauge(engine, "CGaugeGas", 12, gaugeX, gaugeW, 100)->hide();

  QGroupBox* servo = b.Group("GroupBoxMonServo", kColumnA, kMargin + GroupHeight(13) + kMargin, wa, 4);
  b.Label(servo, "LabelMonServoIntake", 0, 8, wa - 16);
  b.Label(servo, "LabelMonServoExhaust", 1, 8, wa - 16);
  b.Label(servo, "LabelMonServoPosition", 2, 8, wa - 16);
  b.Label(servo, "LabelMonPotenc", 3, 8, wa - 16);

  // Advance and injection per cylinder.
  QGroupBox* advance = b.Group("GroupBoxMonAdvance", kColumnB, kMargin, wb, 5);
  const char* const ign[] = {"LabelMon_Ign1", "LabelMon_Ign2", "LabelMon_Ign3", "LabelMon_Ign4"};
  for (int c = 0; c < 4; ++c) b.Label(advance, ign[c], c, 8, 240);
  QFont bold = page.font();
  bold.setBold(true);
  b.Label(advance, "LabelMon_Ign", 4, 8, 240)->setFont(bold);

  const int injectionTop = kMargin + GroupHeight(5) + kMargin;
  QGroupBox* injection = b.Group("GroupBoxMonInj", kColumnB, injectionTop, wb, 8);
  const int half = (wb - 24) / 2;
  const int right = 8 + half + 8;
  const char* const jetA[] = {"LabelMon_Jet_1A", "LabelMon_Jet_2A", "LabelMon_Jet_3A", "LabelMon_Jet_4A"};
  const char* const jetB[] = {"LabelMon_Jet_1B", "LabelMon_Jet_2B", "LabelMon_Jet_3B", "LabelMon_Jet_4B"};
  for (int c = 0; c < 4; ++c) {
    b.Label(injection, jetA[c], c, 8, half);
    b.Label(injection, jetB[c], c, right, half);
  }
  b.Label(injection, "LabelMon_Jet_A", 4, 8, half)->setFont(bold);
  b.Label(injection, "LabelMon_Jet_B", 4, right, half)->setFont(bold);
  b.Label(injection, "LabelMaxInjProcent", 5, 8, half);
  b.Gauge(injection, "CGaugeDuty", 5, right, half - 8, kGaugeDutyMax);
  b.Label(injection, "LabelDleTpsProcent", 6, 8, wb - 16);
  b.Label(injection, "LabelMon_PolohaA", 7, 8, half);
  b.Label(injection, "LabelMon_PolohaB", 7, right, half);

  auto* extended = new QCheckBox(&page);
  extended->setObjectName("CheckBoxExtMonitor");
  extended->setGeometry(b.Px(kColumnB + 8), b.Px(injectionTop + GroupHeight(8) + kMargin), b.Px(wb - 16),
                        b.Px(kRowHeight));

  // Inputs, outputs and states of the unit.
  QGroupBox* inputs = b.Group("GroupBoxMonInput", kColumnC, kMargin, wc, 5);
  const char* const in[] = {"LabelMonFallIn", "LabelMonBlock2In", "LabelMonStartLimiterIn", "LabelMonClutchIn",
                            "LabelMonRpmLambdaIn"};
  for (int i = 0; i < 5; ++i) b.Label(inputs, in[i], i, 8, wc - 16);

  const int outputsTop = kMargin + GroupHeight(5) + kMargin;
  QGroupBox* outputs = b.Group("GroupBoxMonOutput", kColumnC, outputsTop, wc, 8);
  const char* const out[] = {"LabelMonFallOut",   "LabelMonBlock2Out",    "LabelMonStartLimiterOut",
                             "LabelMonClutchOut", "LabelMonRpmLambdaOut", "LabelMonPilotLight",
                             "LabelChlazeniMon",  "LabelN2oEnable"};
  for (int i = 0; i < 8; ++i) b.Label(outputs, out[i], i, 8, wc - 16);
  outputs->findChild<QLabel*>("LabelN2oEnable")->hide();

  QGroupBox* state = b.Group("GroupBoxMonState", kColumnC, outputsTop + GroupHeight(8) + kMargin, wc, 7);
  const char* const st[] = {"LabelMonIgnLimiter", "LabelMonJetLimiter", "LabelMonRetardLimiter", "LabelMonPitRetardOn",
                            "LabelPitIgn",        "LabelSnimacCkps",    "LabelSnimacCmps"};
  for (int i = 0; i < 7; ++i) b.Label(state, st[i], i, 8, wc - 16);

  // The unit: tuning state, programming count, data error; the service values below.
  const int unitTop = outputsTop + GroupHeight(8) + kMargin + GroupHeight(7) + kMargin;
  QGroupBox* unit = b.Group("GroupBoxMonUnit", kColumnA, unitTop, kPageWidth - 2 * kMargin, 2);
  const int unitHalf = (kPageWidth - 2 * kMargin - 24) / 2;
  b.Label(unit, "LabelLadeniMsg", 0, 8, unitHalf);
  b.Label(unit, "LabelPocetProgramovani", 0, 8 + unitHalf + 8, unitHalf);
  QLabel* dataError = b.Label(unit, "LabelEeDataErr", 1, 8, unitHalf);
  dataError->setFont(bold);
  QPalette red = dataError->palette();
  red.setColor(QPalette::WindowText, ToQColor(clRed, red));
  dataError->setPalette(red);
  dataError->hide();

  const int testTop = unitTop + GroupHeight(2) + kMargin;
  const char* const tests[] = {"LabelTest1", "LabelTest2", "LabelTest3", "LabelTest4",
                               "LabelTest5", "LabelTest6", "LabelTest7", "LabelTest8"};
  const int testW = (kPageWidth - 2 * kMargin) / 8;
  for (int i = 0; i < 8; ++i) {
    auto* l = new QLabel(&page);
    l->setObjectName(tests[i]);
    l->setGeometry(b.Px(kMargin + i * testW), b.Px(testTop), b.Px(testW - 4), b.Px(kRowHeight));
    l->hide();
  }
}

void ShowLiveValues(const WidgetNames& byName, const CAppCore& core) {
  const LiveDisplay display = BuildLiveDisplay({
      core.live, core.image, core.textSlots, IsChecked(byName, "CheckBoxExtMonitor", false), core.imageMatchesUnit != 0,
      IsChecked(byName, "CheckBoxGas", ReadRaw(core.image, FieldId::kGasEnable) != 0),
      core.serviceMode,
  });
  for (const auto& s : display.labels)
    if (QWidget* w = byName.value(QString::fromStdString(s.name))) ApplyLabel(*w, s);
  for (const auto& s : display.gauges)
    if (auto* g = qobject_cast<QProgressBar*>(byName.value(QString::fromStdString(s.name)))) ApplyGauge(*g, s);
  PlaceLambdaBands(byName, display.lambdaBands);

  if (auto* prog = qobject_cast<QCheckBox*>(byName.value("CheckBoxProgHned")))
    SetBackground(*prog, prog->isChecked() ? clRed : clBtnFace);
}

void RefreshLiveHighlights(const WidgetNames& byName, int activePage, const QColor& normalBase, const CAppCore& core) {
  for (const auto& h : PageHighlights(core.live, core.params, activePage)) {
    QWidget* w = byName.value(QString::fromStdString(h.name));
    if (!w) continue;
    if (h.style == HighlightStyle::kBold) {
      if (w->font().bold() != h.on) {
        QFont f = w->font();
        f.setBold(h.on);
        w->setFont(f);
      }
    } else if (qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractSpinBox*>(w)) {
      QPalette p = w->palette();
      const QColor base = h.on ? ToQColor(clLime, p) : normalBase;
      if (p.color(QPalette::Base) != base) {
        p.setColor(QPalette::Base, base);
        w->setPalette(p);
      }
    } else {
      SetBackground(*w, h.on ? clLime : clBtnFace);
    }
  }
  const bool gas = core.live.gasHandleMode && !core.NoConnectionShown();
  for (const char* name : {"LabelGasMon", "CGaugeGas"})
    if (QWidget* w = byName.value(name); w && w->isHidden() == gas) w->setVisible(gas);
}
