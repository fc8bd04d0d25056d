#include "image/view/ParameterPages.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <string>
#include <utility>

#include "image/MapCatalogue.h"
#include "image/PageBindings.h"
#include "image/Pages.h"
#include "image/view/PageBuilder.h"
#include "image/view/TUpDown.h"

// Layout of the scalar pages in pixels at 96 dpi. Groups stand in columns;
// inside a group, rows of label + edit are kRowStep apart, labels left of
// their edits. Widths hold the longest caption of the four languages (the
// language test checks them) and the widest value of each range. On pages
// shared with map sheets the controls take the space the sheets leave.
namespace {

constexpr int kMargin = 8;     // page edge to the first column
constexpr int kGap = 8;        // between groups
constexpr int kInner = 10;     // group edge to its contents
constexpr int kGroupTop = 24;  // first row below a group's title
constexpr int kRowStep = 27;
constexpr int kEditHeight = 21;
constexpr int kLabelDy = 2;  // a 17-pixel label centred on its 21-pixel edit
constexpr int kLabelGap = 6;
constexpr int kUpDownWidth = 16;
constexpr int kCheckStep = 22;
constexpr int kCheckHeight = 17;
constexpr int kButtonDy = -2;  // a 25-pixel button centred on a 21-pixel edit
constexpr int kEditWide = 54;  // "25,000"
constexpr int kEditNarrow = 40;

// The gear tables (race and gear pages): one row per gear, 39 pixels apart,
// gear 0's row at the top even where a table starts with gear 1.
constexpr int kGearRowTop = 26;
constexpr int kGearRowStep = 39;
constexpr int kGearNumberX = 8;
constexpr int kGearNumberWidth = 12;

constexpr int GroupHeight(int rows) { return kGroupTop + (rows - 1) * kRowStep + kEditHeight + kGap; }
// A radio group's items are spread over its height below the title.
constexpr int RadioHeight(int items) { return kGroupTop + items * kCheckStep; }
constexpr int GearRowY(int gear) { return kGearRowTop + gear * kGearRowStep; }
constexpr int kGearGroupHeight = GearRowY(6) + kEditHeight + 2 * kGap;

struct Pair {
  const char* label;
  const char* upDown;
};

// Edits and labels of one column of rows inside `parent`, the labels from
// `x`, the edits `labelWidth` further. Returns the top of the next row.
int PairRows(CPageBuilder& b, QWidget* parent, int x, int y, int labelWidth, int editWidth,
             std::initializer_list<Pair> rows) {
  for (const Pair& r : rows) {
    b.Label(r.label, x, y + kLabelDy, labelWidth, parent);
    b.UpDown(r.upDown, x + labelWidth + kLabelGap, y, editWidth, parent);
    y += kRowStep;
  }
  return y;
}

// The label width that fills a column `width` wide with an edit at its right.
constexpr int LabelWidth(int width, int editWidth) { return width - 2 * kInner - kLabelGap - editWidth - kUpDownWidth; }

// A group that holds only rows of label + edit, `width` wide.
QGroupBox* PairGroup(CPageBuilder& b, const char* name, int x, int y, int width, int editWidth,
                     std::initializer_list<Pair> rows) {
  QGroupBox* g = b.Group(name, x, y, width, GroupHeight(int(rows.size())));
  PairRows(b, g, kInner, kGroupTop, LabelWidth(width, editWidth), editWidth, rows);
  return g;
}

// Back from screen to design pixels, for placing below a control already built.
int Unscale(const CPageBuilder& b, int screenPixels) { return int(screenPixels * 1000.0 / b.Px(1000) + 0.5); }
int Bottom(const CPageBuilder& b, const QWidget* w) { return Unscale(b, w->y() + w->height()); }

// The free space the map sheets of `page` leave: below the lowest of them,
// right of the rightmost.
int BelowSheets(int page) {
  int bottom = 0;
  for (const SheetControlLayout& l : SheetControlLayouts())
    if (l.page == page) bottom = std::max(bottom, l.top + l.height);
  return bottom + kGap;
}
int RightOfSheets(int page) {
  int right = 0;
  for (const SheetControlLayout& l : SheetControlLayouts())
    if (l.page == page) right = std::max(right, l.left + l.width);
  return right + kGap;
}

// The up/down that the binding table gives element `element` of `field` on `page`.
const char* AddedUpDown(int page, FieldId field, int element) {
  for (const ControlBinding& c : BindingsOfPage(page))
    if (c.kind == ControlKind::kUpDown && c.field == field && c.element == element) return c.name;
  qWarning("page %d: no up/down bound to element %d of field %d", page, element, int(field));
  return nullptr;
}

void AddedUpDown(CPageBuilder& b, int page, FieldId field, int element, int x, int y, int editWidth, QWidget* parent) {
  if (const char* name = AddedUpDown(page, field, element)) b.UpDown(name, x, y, editWidth, parent);
}

void BuildBikePage(CPageBuilder& b) {
  // The unit's version labels take the page's top left corner.
  constexpr int kTop = 88;
  constexpr int kCol1 = kMargin, kCol1Width = 330;
  constexpr int kCol2 = kCol1 + kCol1Width + kGap, kCol2Width = 370;
  constexpr int kCol3 = kCol2 + kCol2Width + kGap;

  QGroupBox* bike = b.Group("GroupBoxBike", kCol1, kTop, kCol1Width, 58);
  auto* combo = new QComboBox(bike);
  combo->setObjectName("ComboBoxBike");
  combo->setGeometry(b.Px(kInner), b.Px(kGroupTop), b.Px(kCol1Width - 2 * kInner), b.Px(24));

  int y = Bottom(b, bike) + kGap;
  b.CheckBox("CheckBoxFallEnable", kCol1 + kInner, y, kCol1Width - kInner);
  b.CheckBox("CheckBoxBlokEnable", kCol1 + kInner, y + kCheckStep, kCol1Width - kInner);
  y += 2 * kCheckStep + kGap;

  constexpr const char* kActivation[] = {"CheckBoxAktFall", "CheckBoxAktClutch", "CheckBoxAktStartLimiter",
                                         "CheckBoxAktRpm"};
  QGroupBox* activation = b.Group("GroupBoxActivation", kCol1, y, kCol1Width, kGroupTop + 4 * kCheckStep + kGap);
  for (int i = 0; i < 4; ++i)
    b.CheckBox(kActivation[i], kInner, kGroupTop + i * kCheckStep, kCol1Width - 2 * kInner, activation);

  y = Bottom(b, activation) + kGap;
  QGroupBox* tacho = PairGroup(b, "GroupBoxTacho", kCol1, y, kCol1Width, kEditNarrow,
                               {{"LabelRpmPulsu", "UpDownRpmPulsu"}, {"LabelRpmKorekce", "UpDownRpmKorekce"}});
  y = Bottom(b, tacho) + kGap;
  PairRows(b, nullptr, kCol1 + kInner, y, LabelWidth(kCol1Width, kEditWide), kEditWide,
           {{"LabelDwell", "UpDownDwell"}});

  QGroupBox* limiters = PairGroup(b, "GroupBoxOmez", kCol2, kTop, kCol2Width, kEditWide,
                                  {{"LabelStartLimiter1", "UpDownStartLimiter1"},
                                   {"LabelStartLimiter2", "UpDownStartLimiter2"},
                                   {"LabelStartLimiterDelay", "UpDownStartLimiterDelay"},
                                   {"LabelIgnLimiter", "UpDownIgnLimiter"},
                                   {"LabelJetLimiter", "UpDownJetLimiter"},
                                   {"LabelRetardLimiterRpm", "UpDownRetardLimiterRpm"},
                                   {"LabelRetardLimiterAdv", "UpDownRetardLimiterAdv"}});
  y = Bottom(b, limiters) + kGap;
  QGroupBox* cooling =
      PairGroup(b, "GroupBoxChlazeni", kCol2, y, kCol2Width, kEditNarrow, {{"LabelChlazeni", "UpDownChlazeni"}});
  y = Bottom(b, cooling) + kGap;
  PairGroup(b, "GroupBoxIntakePort", kCol2, y, kCol2Width, kEditWide, {{"LabelIntakePortRpm", "UpDownIntakePortRpm"}});

  // Lambda on the tacho output: two rows of AFR and speed under their column
  // labels, the speed edits wide enough for "25,000".
  constexpr int kAfrX = 12, kRpmX = 100, kLabelTop = 22;
  QGroupBox* lambda = b.Group("GroupBoxLambdaTacho", kCol3, kTop, 190, kLabelTop + 25 + 30 + kEditHeight + kGap + 2);
  b.Label("LabelLambdaTachoAf", kAfrX, kLabelTop, kRpmX - kAfrX - kGap, lambda);
  b.Label("LabelLambdaTachoRpm", kRpmX, kLabelTop, 190 - kRpmX - kInner, lambda);
  for (int row = 0; row < 2; ++row) {
    const int rowY = kLabelTop + 25 + 30 * row;
    AddedUpDown(b, kPageBike, FieldId::kLambdaTachoAfr, row, kAfrX, rowY, kEditNarrow, lambda);
    AddedUpDown(b, kPageBike, FieldId::kLambdaTachoRpm, row, kRpmX, rowY, kEditWide, lambda);
  }

  y = Bottom(b, lambda) + kGap;
  b.Label("LabelMemo", kCol3, y, 200);
  auto* memo = new QPlainTextEdit(&b.Page());
  memo->setObjectName("Memo1");
  memo->setGeometry(b.Px(kCol3), b.Px(y + 20), b.Px(420), b.Px(110));
}

void BuildCorrectionsPage(CPageBuilder& b) {
  // Three columns under the correction sheets: acceleration and start, the
  // acceleration constants, the corrections the unit applies now.
  constexpr int kWidth = 400;
  constexpr int kColumn = kWidth + kGap;
  const int top = BelowSheets(kPageCorrections);
  QGroupBox* accel = PairGroup(b, "GroupBoxAkcel", kMargin, top, kWidth, kEditWide,
                               {{"LabelAkcelPrah", "UpDownAkcelPrah"}, {"LabelAkcelJet", "UpDownAkcelJet"}});
  PairGroup(b, "GroupBoxStartJet", kMargin, Bottom(b, accel) + kGap, kWidth, kEditNarrow,
            {{"LabelStartJet", "UpDownStartJet"}});
  PairGroup(b, "GroupBoxAccK", kMargin + kColumn, top, kWidth, kEditWide,
            {{"LabelAccKPlus", "UpDownAccKPlus"},
             {"LabelAccKMinus", "UpDownAccKMinus"},
             {"LabelAccT100", "UpDownAccT100"},
             {"LabelAccT0", "UpDownAccT0"}});
  // The corrections the unit applies now, from the live data.
  constexpr const char* kLive[] = {"LabelKorVodaJet", "LabelKorVzduch",  "LabelKorTlak",      "LabelKorSytic",
                                   "LabelKorNapeti",  "LabelKorVodaIgn", "LabelKorPotencIgn", "LabelKorPotencJet",
                                   "LabelKorAccJet",  "LabelIdleKorAdv"};
  int y = top + kGroupTop + kLabelDy;
  for (const char* name : kLive) {
    b.Label(name, kMargin + 2 * kColumn + kInner, y, kWidth - kInner);
    y += 20;
  }
}

void BuildSensorsPage(CPageBuilder& b) {
  constexpr int kWidth = 330;
  constexpr int kInnerWidth = kWidth - 2 * kInner;
  // One column right of the sensor sheets.
  const int x = RightOfSheets(kPageSensors);
  // Each edit with the button that takes the live sensor voltage into it;
  // the edits first, so that Enter moves from one to the other.
  QGroupBox* tps = b.Group("GroupBoxTps", x, kMargin, kWidth, GroupHeight(2));
  constexpr Pair kTps[] = {{"ButtonTps0", "UpDownTps0"}, {"ButtonTps100", "UpDownTps100"}};
  for (int i = 0; i < 2; ++i) b.UpDown(kTps[i].upDown, kInner, kGroupTop + i * kRowStep, kEditWide, tps);
  for (int i = 0; i < 2; ++i)
    b.Button(kTps[i].label, kInner + kEditWide + kUpDownWidth + kGap, kGroupTop + i * kRowStep + kButtonDy, 110, tps);
  int y = Bottom(b, tps) + kGap;
  b.RadioGroup("RadioGroupCidloLambdaMode", x, y, kWidth, RadioHeight(2));
  y += RadioHeight(2) + kGap;
  b.RadioGroup("RadioGroupPolCKPS", x, y, kWidth, RadioHeight(2));
  y += RadioHeight(2) + kGap;

  const int rangeY = kGroupTop + RadioHeight(4) + kGap;
  QGroupBox* potenc = b.Group("GroupBoxPotenc", x, y, kWidth, rangeY + kEditHeight + kGap + 2);
  b.RadioGroup("RadioGroupPotencMode", kInner, kGroupTop, kInnerWidth, RadioHeight(4), potenc);
  PairRows(b, potenc, kInner, rangeY, LabelWidth(kWidth, kEditNarrow), kEditNarrow,
           {{"LabelPotencRozsah", "UpDownPotencRozsah"}});
  // Hidden and without items: the program keeps no CMPS polarity. Last, so that
  // it leaves no hole.
  b.RadioGroup("RadioGroupPolCMPS", x, Bottom(b, potenc) + kGap, kWidth, RadioHeight(2));
}

void BuildRacePage(CPageBuilder& b) {
  constexpr int kCol1Width = 300;
  constexpr int kCol2 = kMargin + kCol1Width + kGap;
  b.RadioGroup("RadioGroupClutchMode", kMargin, kMargin, kCol1Width, RadioHeight(2));
  int y = PairRows(b, nullptr, kMargin + kInner, kMargin + RadioHeight(2) + kGap, LabelWidth(kCol1Width, kEditWide),
                   kEditWide,
                   {{"LabelClutchMinRpm", "UpDownClutchMinRpm"},
                    {"LabelClutchJet", "UpDownClutchJet"},
                    {"LabelClutchAdv", "UpDownClutchAdv"}}) +
          kGap;
  QGroupBox* pit = PairGroup(b, "GroupBoxPitControl", kMargin, y, kCol1Width, kEditWide,
                             {{"LabelPitSpeed", "UpDownPitSpeed"},
                              {"LabelPitRetardP", "UpDownPitRetardP"},
                              {"LabelPitRetardI", "UpDownPitRetardI"},
                              {"LabelPitMinAdv", "UpDownPitMinAdv"},
                              {"LabelPitMinRpm", "UpDownPitMinRpm"}});
  QGroupBox* display =
      b.Group("GroupBoxDisplay", kMargin, Bottom(b, pit) + kGap, kCol1Width, kGroupTop + kCheckHeight + kGap + 2);
  b.CheckBox("CheckBoxTempDisplay", kInner, kGroupTop, kCol1Width - 2 * kInner, display);

  // The gear table: per gear the pilot light's two speeds and the clutch
  // master's time and pause. Edits keep their columns' left edges; they are
  // wide enough for "25,000".
  struct Column {
    FieldId field;
    int x;
  };
  constexpr Column kColumns[] = {{FieldId::kPilotFirstSpeed, 24},
                                 {FieldId::kPilotSecondSpeed, 114},
                                 {FieldId::kClutchTime, 254},
                                 {FieldId::kClutchPause, 394}};
  constexpr int kRowTop = GearRowY(1), kWidth = 560;
  constexpr const char* kGearLabels[] = {"LabelRaceGear1", "LabelRaceGear2", "LabelRaceGear3",
                                         "LabelRaceGear4", "LabelRaceGear5", "LabelRaceGear6"};
  const int checkY = GearRowY(6) + kEditHeight + 14;
  QGroupBox* clutch = b.Group("GroupBoxClutch", kCol2, kMargin, kWidth, checkY + kCheckHeight + kGap + 2);
  // Column heads: the pilot light's over both its columns, the clutch master's in two lines.
  b.Label("LabelPilotLight", kColumns[0].x, kRowTop - 21, kColumns[2].x - kColumns[0].x - kGap, clutch);
  for (const auto& [name, column] : {std::pair{"LabelClutchTime", 2}, std::pair{"LabelClutchPause", 3}}) {
    const int x = kColumns[column].x;
    const int w = column == 3 ? kWidth - kInner - x : kColumns[column + 1].x - x - kGap;
    QLabel* head = b.Label(name, x, kRowTop - 38, w, clutch, 34);
    head->setWordWrap(true);
    head->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
  }
  for (int g = 1; g <= 6; ++g) {
    b.Label(kGearLabels[g - 1], kGearNumberX, GearRowY(g) + kLabelDy, kGearNumberWidth, clutch);
    for (const Column& c : kColumns) AddedUpDown(b, kPageRace, c.field, g - 1, c.x, GearRowY(g), kEditWide, clutch);
  }
  b.CheckBox("CheckBoxPilotLightInvOut", kColumns[0].x, checkY, 300, clutch);
}

void BuildGearPage(CPageBuilder& b) {
  constexpr int kCol1Width = 330;
  // The corrections come before the gear tables: their gear numbers then
  // also lead the rows of the learned ratios, which have none of their own.
  constexpr int kKorWidth = 220;
  constexpr int kCol2 = kMargin + kCol1Width + kGap;
  constexpr int kCol3 = kCol2 + kKorWidth + kGap;
  constexpr int kTableWidth = 200;  // voltage and ratio groups, in one place: one is shown at a time
  constexpr int kButtons = kCol3 + kTableWidth + kGap, kButtonWidth = 110;

  b.RadioGroup("RadioGroupGearSystem", kMargin, kMargin, kCol1Width, RadioHeight(4));
  int y = PairRows(b, nullptr, kMargin + kInner, kMargin + RadioHeight(4) + kGap, LabelWidth(kCol1Width, kEditNarrow),
                   kEditNarrow, {{"LabelPocetGear", "UpDownPocetGear"}}) +
          kGap;
  const int speedEdit = kGroupTop + RadioHeight(2) + kGap;
  QGroupBox* speed =
      b.Group("GroupBoxPulsuProSpeed", kMargin, y, kCol1Width, speedEdit + kRowStep + kEditHeight + kGap + 2);
  b.RadioGroup("RadioGroupSpeedMode", kInner, kGroupTop, kCol1Width - 2 * kInner, RadioHeight(2), speed);
  b.UpDown("UpDownPulsuProSpeed", kInner, speedEdit, kEditWide, speed);
  PairRows(b, speed, kInner, speedEdit + kRowStep, LabelWidth(kCol1Width, kEditWide), kEditWide,
           {{"LabelSpeedOutCorrection", "UpDownSpeedOutCorrection"}});

  // Corrections per gear: advance and injection columns, their heads staggered
  // as the columns are too close for the longer languages.
  constexpr int kAdvanceX = 24, kAdvanceUpDown = 54, kInjectionX = 102, kInjectionUpDown = 132;
  QGroupBox* kor = b.Group("GroupBoxGearKor", kCol2, kMargin, kKorWidth, kGearGroupHeight);
  b.Label("LabelGearKorAdvance", kAdvanceX, 20, kKorWidth - kAdvanceX - kInner, kor);
  b.Label("LabelGearKorInjection", kInjectionX, 41, kKorWidth - kInjectionX - kInner, kor);
  for (int g = 1; g <= 6; ++g) {
    const int rowY = GearRowY(g);
    b.Label(("LabelGearKor" + std::to_string(g)).c_str(), kGearNumberX, rowY + kLabelDy, kGearNumberWidth, kor);
    AddedUpDown(b, kPageGear, FieldId::kGearAdvanceCorr, g - 1, kAdvanceX, rowY, kAdvanceUpDown - kAdvanceX, kor);
    AddedUpDown(b, kPageGear, FieldId::kGearInjectionCorr, g - 1, kInjectionX, rowY, kInjectionUpDown - kInjectionX,
                kor);
  }

  // Voltage or ratio per gear: gear numbers at the left, the edits reaching
  // to their up/downs at 123 ("32,000" needs more than 40 pixels).
  constexpr int kTableEdit = 24, kTableUpDown = 123;
  QGroupBox* voltage = b.Group("GroupBoxNapetiProGear", kCol3, kMargin, kTableWidth, kGearGroupHeight);
  QGroupBox* ratio = b.Group("GroupBoxRpmSpeedProGear", kCol3, kMargin, kTableWidth, kGearGroupHeight);
  // Created table by table: Enter moves on in creation order, from edit to edit.
  for (int g = 0; g <= 6; ++g) {
    b.Label(("LabelGearVoltage" + std::to_string(g)).c_str(), kGearNumberX, GearRowY(g) + kLabelDy, kGearNumberWidth,
            voltage);
    AddedUpDown(b, kPageGear, FieldId::kGearVoltage, g, kTableEdit, GearRowY(g), kTableUpDown - kTableEdit, voltage);
  }
  for (int g = 1; g <= 6; ++g) {
    b.Label(("LabelGearRatio" + std::to_string(g)).c_str(), kGearNumberX, GearRowY(g) + kLabelDy, kGearNumberWidth,
            ratio);
    AddedUpDown(b, kPageGear, FieldId::kGearRatio, g - 1, kTableEdit, GearRowY(g), kTableUpDown - kTableEdit, ratio);
  }
  // Beside the rows of both groups; a button takes the live value into its row.
  for (int g = 0; g <= 6; ++g)
    b.Button(("ButtonGear" + std::to_string(g)).c_str(), kButtons, kMargin + GearRowY(g) + kButtonDy, kButtonWidth);
  b.Label("LabelMonPomerRpmSpeed", kCol3 + kInner, kMargin + kGearGroupHeight + kGap, kTableWidth + kButtonWidth);

  // Automatic: the learned ratios in the gear rows, the learning settings beside them.
  QGroupBox* automatic =
      b.Group("GroupBoxMonAutoGear", kCol3, kMargin, kTableWidth + kGap + kButtonWidth, kGearGroupHeight);
  constexpr const char* kLearned[] = {"LabelMonPomerRpmSpeedAuto1", "LabelMonPomerRpmSpeedAuto2",
                                      "LabelMonPomerRpmSpeedAuto3", "LabelMonPomerRpmSpeedAuto4",
                                      "LabelMonPomerRpmSpeedAuto5", "LabelMonPomerRpmSpeedAuto6"};
  for (int g = 1; g <= 6; ++g) b.Label(kLearned[g - 1], kInner, GearRowY(g) + kLabelDy, 80, automatic);
  constexpr int kAutoX = 110;
  PairRows(b, automatic, kAutoX, GearRowY(1), 100, kEditWide,
           {{"LabelGearAutoTime", "UpDownGearAutoTime"},
            {"LabelGearAutoRpm", "UpDownGearAutoRpm"},
            {"LabelGearAutoTps", "UpDownGearAutoTps"},
            {"LabelGearAutoBand", "UpDownGearAutoBand"}});
}

void BuildIdlePage(CPageBuilder& b) {
  constexpr int kWidth = 380;
  // Above the idle sheets the idle type, with the direction and the type's
  // error message beside it; the error last, so that hiding it leaves no hole.
  b.RadioGroup("RadioGroupIdleMode", kMargin, kMargin, kWidth, RadioHeight(4));
  constexpr int kBesideX = kMargin + kWidth + kGap + kInner;
  b.CheckBox("CheckBoxIdleSmerReg", kBesideX, kMargin + kGroupTop, kWidth - kInner);
  b.Label("LabelIdleModeErr", kBesideX, kMargin + kGroupTop + kCheckStep, kWidth - kInner);
  // Below the sheets the rows, with the advance control beside them.
  const int top = BelowSheets(kPageIdle);
  PairRows(b, nullptr, kMargin + kInner, top, LabelWidth(kWidth, kEditWide), kEditWide,
           {{"LabelIdleStepPuls", "UpDownIdleStepPuls"},
            {"LabelIdleStepPerioda", "UpDownIdleStepPerioda"},
            {"LabelIdleStart", "UpDownIdleStart"},
            {"LabelIdleRpmMez", "UpDownIdleRpmMez"},
            {"LabelIdleTpsMez", "UpDownIdleTpsMez"},
            {"LabelIdleHyster", "UpDownIdleHyster"},
            {"LabelIdleControlBand", "UpDownIdleControlBand"}});
  const int rowsY = kGroupTop + kCheckStep + 4;
  // Beside the rows rather than under them: hidden rows then leave no hole above it.
  QGroupBox* advance =
      b.Group("GroupBoxIdleAdv", kMargin + kWidth + kGap, top, kWidth, rowsY + 2 * kRowStep + kEditHeight + kGap);
  b.CheckBox("CheckBoxIdleAdvOn", kInner, kGroupTop, kWidth - 2 * kInner, advance);
  PairRows(b, advance, kInner, rowsY, LabelWidth(kWidth, kEditNarrow), kEditNarrow,
           {{"LabelIdleAdvNaRpm", "UpDownIdleAdvNaRpm"},
            {"LabelIdleAdvNaCas", "UpDownIdleAdvNaCas"},
            {"LabelIdleMaxAdv", "UpDownIdleMaxAdv"}});
}

void BuildN2oPage(CPageBuilder& b) {
  constexpr int kWidth = 360;
  b.CheckBox("CheckBoxGas", kMargin + kInner, kMargin, kWidth - kInner);
  // Long explanations: the edit first, the text after it. Above the groups,
  // which are hidden while N2O is off.
  int y = kMargin + kCheckStep + 4;
  constexpr int kTextX = kMargin + kInner + kEditWide + kUpDownWidth + kGap;
  for (const Pair& r : {Pair{"LabelN2O_RPMmin", "UpDownN2O_RPMmin"}, Pair{"LabelN2O_TPSmin", "UpDownN2O_TPSmin"}}) {
    b.UpDown(r.upDown, kMargin + kInner, y, kEditWide);
    b.Label(r.label, kTextX, y + kLabelDy, 640);
    y += kRowStep;
  }
  const int top = y + kGap;
  PairGroup(b, "GroupBoxGas", kMargin, top, kWidth, kEditWide,
            {{"LabelGas1", "UpDownGas1"},
             {"LabelGas2", "UpDownGas2"},
             {"LabelGasD", "UpDownGasD"},
             {"LabelGasT", "UpDownGasT"},
             {"LabelGasJetKor1", "UpDownGasJetKor1"},
             {"LabelGasJetKor2", "UpDownGasJetKor2"}});
  PairGroup(b, "GroupBoxRetard", kMargin + kWidth + kGap, top, kWidth, kEditWide,
            {{"LabelRetard1", "UpDownRetard1"},
             {"LabelRetard2", "UpDownRetard2"},
             {"LabelRetardD", "UpDownRetardD"},
             {"LabelRetardT", "UpDownRetardT"}});
}

void BuildTuningPage(CPageBuilder& b) {
  constexpr int kWidth = 360;
  constexpr int kInnerWidth = kWidth - 2 * kInner;
  QLabel* caution = b.Label("LabelLadeniCaution", kMargin + kInner, kMargin, kWidth);
  QFont bold = caution->font();
  bold.setBold(true);
  caution->setFont(bold);

  constexpr int kTop = kMargin + kCheckStep + 4;
  constexpr int kByTlsY = kGroupTop + kCheckStep + 4;
  constexpr int kModeY = kByTlsY + RadioHeight(3) + kGap;
  constexpr int kRowsY = kModeY + RadioHeight(2) + kGap;
  constexpr int kRows = 10;
  QGroupBox* tuning =
      b.Group("GroupBoxLadeni", kMargin, kTop, kWidth, kRowsY + (kRows - 1) * kRowStep + kEditHeight + kGap);
  b.CheckBox("CheckBoxLadeniPovoleno", kInner, kGroupTop, kInnerWidth, tuning);
  b.RadioGroup("RadioGroupLadeniOnByTLS", kInner, kByTlsY, kInnerWidth, RadioHeight(3), tuning);
  b.RadioGroup("RadioGroupLadeniMode", kInner, kModeY, kInnerWidth, RadioHeight(2), tuning);
  PairRows(b, tuning, kInner, kRowsY, LabelWidth(kWidth, kEditWide), kEditWide,
           {{"LabelLadeniRpm", "UpDownLadeniRpm"},
            {"LabelLadeniTps", "UpDownLadeniTps"},
            {"LabelLadeniCas", "UpDownLadeniCas"},
            {"LabelLadeniKrok", "UpDownLadeniKrok"},
            {"LabelLadeniKanal", "UpDownLadeniKanal"},
            {"LabelMaxAcc", "UpDownLadeniMaxAcc"},
            {"LabelLadeniTpsMin", "UpDownLadeniTpsMin"},
            {"LabelLadeniRpmMin", "UpDownLadeniRpmMin"},
            {"LabelLadeniTempMin", "UpDownLadeniTempMin"},
            {"LabelLadeniTempMax", "UpDownLadeniTempMax"}});
  PairGroup(b, "GroupBoxLambdaPoz", kMargin, Bottom(b, tuning) + kGap, kWidth, kEditNarrow,
            {{"LabelLadeniHyster", "UpDownLadeniHyster"},
             {"LabelLadeniLambdaMin", "UpDownLadeniLambdaMin"},
             {"LabelLadeniLambdaMax", "UpDownLadeniLambdaMax"}});
}

// The lambda bar's four limits, in the free space under the live groups'
// "Detailed representation" check box, as wide as the injection group above it.
void BuildLambdaBar(CPageBuilder& b) {
  const QWidget* above = b.Page().findChild<QWidget*>("CheckBoxExtMonitor");
  const QWidget* column = b.Page().findChild<QWidget*>("GroupBoxMonInj");
  if (!above || !column) {
    qWarning("monitor page: no live groups to place the lambda bar beside");
    return;
  }
  const int x = Unscale(b, column->x());
  const int width = Unscale(b, column->width());
  constexpr int kLabelTop = 22, kEditTop = kLabelTop + 20, kLeft = 2 * kInner;
  // The four limits spread over the group, beginning to ending.
  const int step = (width - 2 * kLeft - kEditNarrow - kUpDownWidth) / 3;
  QGroupBox* bar = b.Group("GroupBoxLambdaBar", x, Bottom(b, above) + kGap, width, kEditTop + kEditHeight + kGap + 2);
  for (int i = 0; i < 4; ++i)
    AddedUpDown(b, kPageMonitor, FieldId::kLambdaBar, i, kLeft + i * step, kEditTop, kEditNarrow, bar);
  b.Label("LabelLambdaBar0", kLeft, kLabelTop, step - kGap, bar);
  b.Label("LabelLambdaBar3", kLeft + 3 * step, kLabelTop, width - kLeft - 3 * step - kInner, bar);
}

void BuildTestPage(CPageBuilder& b) {
  // Output buttons by kind, one column each. The Stop button stays outside
  // the group: the test lock disables the group with all it holds.
  constexpr int kRows = 5;
  constexpr const char* kColumns[][kRows] = {
      {"ButtonTestJet1A", "ButtonTestJet2A", "ButtonTestJet3A", "ButtonTestJet4A", nullptr},
      {"ButtonTestJet1B", "ButtonTestJet2B", "ButtonTestJet3B", "ButtonTestJet4B", nullptr},
      {"ButtonTestIgn1", "ButtonTestIgn2", "ButtonTestIgn3", "ButtonTestIgn4", nullptr},
      {"ButtonTestPilotLight", "ButtonTestFuelPump", "ButtonTestCooling", "ButtonTestGas", "ButtonTestRpm"},
      {"ButtonTestServoInPlus", "ButtonTestServoInMinus", "ButtonTestServoExPlus", "ButtonTestServoExMinus", nullptr},
  };
  constexpr int kButtonWidths[] = {120, 120, 120, 120, 180};
  constexpr int kButtonHeight = 25, kButtonStep = 31;
  int width = kInner;
  for (int w : kButtonWidths) width += w + kGap;
  width += kInner - kGap;
  QGroupBox* jet = b.Group("GroupBoxTestJet", kMargin, kMargin, width,
                           kGroupTop + (kRows - 1) * kButtonStep + kButtonHeight + kInner);
  int x = kInner;
  for (std::size_t c = 0; c < std::size(kColumns); ++c) {
    for (int r = 0; r < kRows; ++r)
      if (const char* name = kColumns[c][r]) b.Button(name, x, kGroupTop + r * kButtonStep, kButtonWidths[c], jet);
    x += kButtonWidths[c] + kGap;
  }
  b.Button("ButtonTestStop", kMargin + width + kGap, kMargin + kGroupTop, 120);

  PairRows(b, nullptr, kMargin + kInner, Bottom(b, jet) + kGap, 200, kEditWide,
           {{"LabelTestRpm", "UpDownTestRpm"}, {"LabelTestServo", "UpDownTestServo"}});
}

}  // namespace

void BuildParameterPages(QTabWidget& pageControl, double scale) {
  struct PageLayout {
    int page;
    void (*build)(CPageBuilder&);
  };
  constexpr PageLayout kLayouts[] = {
      {kPageBike, BuildBikePage},       {kPageCorrections, BuildCorrectionsPage},
      {kPageSensors, BuildSensorsPage}, {kPageRace, BuildRacePage},
      {kPageGear, BuildGearPage},       {kPageIdle, BuildIdlePage},
      {kPageN2o, BuildN2oPage},         {kPageTuning, BuildTuningPage},
      {kPageMonitor, BuildLambdaBar},   {kPageTest, BuildTestPage},
  };
  for (const PageLayout& l : kLayouts) {
    if (QWidget* page = pageControl.widget(l.page)) {
      CPageBuilder builder(*page, scale);
      l.build(builder);
    }
  }
}
