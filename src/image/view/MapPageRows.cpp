#include "image/view/MapPageRows.h"

#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QTabWidget>
#include <utility>

#include "image/PageRules.h"
#include "image/Pages.h"
#include "image/view/PageBuilder.h"
#include "image/view/TUpDown.h"

// Sizes in pixels at 96 dpi. Label widths hold the longest caption of the
// four languages (the language test checks them).
namespace {

constexpr int kRowHeight = 30;
constexpr int kLeft = 10;
constexpr int kEditY = 4;   // a 21-pixel edit centred in the row
constexpr int kLabelY = 6;  // a 17-pixel label beside it
constexpr int kApart = 2;   // edit to its up/down, up/down to the next edit
constexpr int kUpDownWidth = 16;
constexpr int kLabelGap = 4;  // up/down or label to the next label
constexpr int kGroupGap = 20;
constexpr int kPictureWidth = 128;
constexpr int kPictureHeight = 24;
constexpr int kPictureFontSize = 14;

constexpr const char* kAdvanceCorrections[] = {"UpDownAdvKor1", "UpDownAdvKor2", "UpDownAdvKor3", "UpDownAdvKor4"};
constexpr const char* kIapCorrections[] = {"UpDownIapKor1", "UpDownIapKor2", "UpDownIapKor3", "UpDownIapKor4"};
struct LabelledPair {
  const char* upDown;
  int editWidth;
  const char* label;
  int labelWidth;
};
constexpr LabelledPair kIapToTp[] = {
    {"UpDownIapTpsMin", 30, "LabelIapTpsMin", 56},
    {"UpDownIapTpsMax", 30, "LabelIapTpsMax", 56},
    {"UpDownIapRpmMin", 40, "LabelIapRpmMin", 92},
    {"UpDownIapRpmMax", 40, "LabelIapRpmMax", 92},
};
// Until the page rules place it after the last shown correction.
constexpr int kIapCorrectionLabelGap = 15;

// The row's strip follows the bottom edge of its page.
class CBottomStrip : public QObject {
 public:
  CBottomStrip(QWidget& page, QWidget& strip, int height) : QObject(&strip), m_strip(strip), m_height(height) {
    page.installEventFilter(this);
    Place(page);
  }

 private:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Resize) Place(static_cast<QWidget&>(*watched));
    return false;
  }
  void Place(const QWidget& page) { m_strip.setGeometry(0, page.height() - m_height, page.width(), m_height); }

  QWidget& m_strip;
  int m_height;
};

// Controls placed left to right along a row; `right` is where the last one ends.
class CRowCursor {
 public:
  CRowCursor(CPageBuilder& b, QWidget& strip, int left) : m_b(b), m_strip(strip), m_right(left) {}

  int Right() const { return m_right; }
  void Skip(int width) { m_right += width; }
  void MoveTo(int right) { m_right = right; }
  TUpDown* Pair(const char* upDown, int editWidth, int gap = kApart) {
    const int x = m_right + gap;
    m_right = x + editWidth + kApart + kUpDownWidth;
    return m_b.UpDown(upDown, x, kEditY, editWidth, &m_strip, x + editWidth + kApart);
  }
  QLabel* Label(const char* name, int width, int gap = kLabelGap) {
    const int x = m_right + gap;
    m_right = x + width;
    return m_b.Label(name, x, kLabelY, width, &m_strip);
  }
  QWidget& Place(QWidget& w, int gap, int y, int width, int height) {
    const int x = m_right + gap;
    m_right = x + width;
    w.setGeometry(m_b.Px(x), m_b.Px(y), m_b.Px(width), m_b.Px(height));
    return w;
  }

 private:
  CPageBuilder& m_b;
  QWidget& m_strip;
  int m_right;
};

QWidget& Strip(CPageBuilder& b, const char* name) {
  auto* strip = new QWidget(&b.Page());
  strip->setObjectName(name);
  new CBottomStrip(b.Page(), *strip, b.Px(kRowHeight));
  return *strip;
}

void BuildAdvanceRow(CPageBuilder& b) {
  QWidget& strip = Strip(b, "PanelAdvanceRow");
  CRowCursor row(b, strip, kLeft);
  row.Pair("UpDownBaseAdvance", 30, 0);
  row.Label("LabelBaseAdvance", 150);
  int gap = kGroupGap;
  for (const char* upDown : kAdvanceCorrections) {
    row.Pair(upDown, 30, gap);
    gap = kApart;
  }
  row.Label("LabelAdvKor", 200);
}

void BuildInjectionRow(CPageBuilder& b) {
  QWidget& strip = Strip(b, "PanelInjectionRow");
  CRowCursor row(b, strip, kLeft);

  auto* picture = new QLabel(&strip);
  picture->setObjectName("ImageJetCoupling");
  row.Place(*picture, 0, (kRowHeight - kPictureHeight) / 2, kPictureWidth, kPictureHeight);
  QFont font = picture->font();
  font.setPointSize(kPictureFontSize);
  picture->setFont(font);
  picture->setAlignment(Qt::AlignCenter);
  picture->hide();

  auto* ms = new QCheckBox(&strip);
  ms->setObjectName("CheckBoxMs");
  ms->setFocusPolicy(Qt::ClickFocus);  // no tab stop
  row.Place(*ms, 8, kLabelY, 44, 17);

  // The IAP -> TP controls and the IAP cylinder corrections take turns in
  // the same place: the page rules show one group or the other.
  const int alternativesLeft = row.Right() + 8;
  CRowCursor iapToTp(b, strip, alternativesLeft);
  iapToTp.Label("LabelIapTp", 64, 0);
  for (const LabelledPair& p : kIapToTp) {
    iapToTp.Pair(p.upDown, p.editWidth, kLabelGap + 4);
    iapToTp.Label(p.label, p.labelWidth);
  }

  CRowCursor corrections(b, strip, alternativesLeft);
  int gap = 0;
  for (const char* upDown : kIapCorrections) {
    corrections.Pair(upDown, 40, gap);
    gap = kApart;
  }
  corrections.Label("LabelIapKor", 200, kIapCorrectionLabelGap);
}

// One check box of the servo row.
void ServoCheckBox(CPageBuilder& b, QWidget& strip, const char* name, int x, int width) {
  if (!name) return;
  auto* box = new QCheckBox(&strip);
  box->setObjectName(name);
  box->setGeometry(b.Px(x), b.Px(kLabelY), b.Px(width), b.Px(17));
}

// Both servos' controls share the places of one row; the step motor's
// settings and the control gains take turns after "Step motor".
void BuildServoRow(CPageBuilder& b) {
  QWidget& strip = Strip(b, "PanelServoRow");
  CRowCursor row(b, strip, kLeft);
  int alternativesLeft = -1;
  bool stepMotorGroup = false;
  int gap = 0;
  for (const ServoRowItem& item : ServoRowItems()) {
    const bool stepMotor = item.shown == ServoShown::kStepMotor;
    if (stepMotor != stepMotorGroup) {
      stepMotorGroup = stepMotor;
      if (alternativesLeft < 0) {
        alternativesLeft = row.Right();
      } else {
        row.MoveTo(alternativesLeft);
      }
    }
    if (!item.intakeLabel) {
      const int x = row.Right() + gap;
      ServoCheckBox(b, strip, item.intake, x, item.width);
      ServoCheckBox(b, strip, item.exhaust, x, item.width);
      row.Skip(gap + item.width);
    } else {
      const std::pair<const char*, const char*> sets[] = {{item.intake, item.intakeLabel},
                                                          {item.exhaust, item.exhaustLabel}};
      for (const auto& [upDown, label] : sets) {
        if (!upDown) continue;
        CRowCursor at = row;
        at.Pair(upDown, item.width, gap);
        at.Label(label, item.labelWidth);
      }
      row.Skip(gap + item.width + kApart + kUpDownWidth + kLabelGap + item.labelWidth);
    }
    gap = kGroupGap / 2;
  }
}

}  // namespace

void BuildMapPageRows(QTabWidget& pageControl, double scale) {
  CPageBuilder advance(*pageControl.widget(kPageAdvance), scale);
  BuildAdvanceRow(advance);
  CPageBuilder injection(*pageControl.widget(kPageInjection), scale);
  BuildInjectionRow(injection);
  CPageBuilder servo(*pageControl.widget(kPageServo), scale);
  BuildServoRow(servo);
}
