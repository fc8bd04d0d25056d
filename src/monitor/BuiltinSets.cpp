#include "monitor/BuiltinSets.h"

#include <array>
#include <span>
#include <string_view>

#include "base/UiTexts.h"

namespace {

struct WindowRect {
  std::int32_t left, top, width, height;
};

// One element of a built-in set: what differs from its kind's defaults.
struct Row {
  std::int32_t kind;
  std::int32_t number;  // label: units; indicator: Style
  std::int32_t mark;    // ColorMk of an indicator
  std::int32_t left, top, width, height;
  std::int32_t id;
  const char* text;  // UTF-8
};

constexpr std::int32_t kNoUnits = 0, kUnits = 1;
constexpr std::int32_t kBar = 0, kColumn = 1, kDial = 2;
// Needle and bar colours, 0x00BBGGRR.
constexpr std::int32_t kRed = 0x0000FF, kOrange = 0x0080FF, kGreen = 0x00A000, kBlue = 0xC00000, kTeal = 0x808000,
                       kPurple = 0x800080;

constexpr Row Picture(std::int32_t l, std::int32_t t, std::int32_t w, std::int32_t h) {
  return {kCemPicture, 0, 0, l, t, w, h, 0, nullptr};
}
constexpr Row Text(const char* text, std::int32_t l, std::int32_t t, std::int32_t w, std::int32_t h) {
  return {kCemText, 0, 0, l, t, w, h, 0, text};
}
constexpr Row Label(int id, std::int32_t units, std::int32_t l, std::int32_t t, std::int32_t w, std::int32_t h) {
  return {kCemLabel, units, 0, l, t, w, h, id, nullptr};
}
constexpr Row Value(int id, std::int32_t l, std::int32_t t, std::int32_t w, std::int32_t h) {
  return {kCemValue, 0, 0, l, t, w, h, id, nullptr};
}
constexpr Row Indicator(int id, std::int32_t style, std::int32_t mark, std::int32_t l, std::int32_t t, std::int32_t w,
                        std::int32_t h) {
  return {kCemIndicator, style, mark, l, t, w, h, id, nullptr};
}

// Catalogue identifiers the sets show.
enum : int {
  kRpm = 1010,
  kTps = 1020,
  kLambda = 1030,
  kConnection = 1090,
  kTw = 1110,
  kTa = 1120,
  kIap = 1140,
  kVoltage = 1150,
  kSpeed = 1160,
  kGear = 1170,
  kAdvance = 1210,
  kMaxInjection = 1220,
  kInjTimeA = 1230,
  kIntakeServo = 5010,
  kExhaustServo = 5030,
  kStepServo = 5040,
  kCrankPickup = 3010,
  kPotentiometer = 3060,
  kInjectionA1 = 9011,
  kInjectionB1 = 9021,
  kPositionA = 9030,
  kPositionB = 9040,
  kInjByTps = 9050,
  kAdvance1 = 9211,
};

// A road dashboard under the logo: speed, gear, the link, and the engine on a
// dial and three bars.
constexpr Row kSet1Rows[] = {
    Picture(4, 4, 132, 36),
    Label(kSpeed, kNoUnits, 144, 4, 70, 14),
    Value(kSpeed, 144, 20, 56, 22),
    Text("[km/h]", 202, 24, 40, 14),
    Label(kGear, kNoUnits, 242, 4, 66, 14),
    Value(kGear, 250, 20, 36, 22),
    Label(kConnection, kNoUnits, 312, 4, 88, 14),
    Value(kConnection, 312, 20, 86, 22),
    Label(kRpm, kUnits, 4, 46, 132, 14),
    Indicator(kRpm, kDial, kRed, 4, 62, 132, 118),
    Label(kTw, kUnits, 144, 50, 80, 14),
    Value(kTw, 144, 66, 56, 20),
    Indicator(kTw, kBar, kOrange, 204, 66, 182, 20),
    Label(kTps, kUnits, 144, 92, 80, 14),
    Value(kTps, 144, 108, 56, 20),
    Indicator(kTps, kBar, kGreen, 204, 108, 182, 20),
    Label(kLambda, kUnits, 144, 134, 80, 14),
    Value(kLambda, 144, 150, 56, 20),
    Indicator(kLambda, kBar, kBlue, 204, 150, 182, 20),
};

// The engine on the dyno: two dials, three columns, four bars.
constexpr Row kSet2Rows[] = {
    Label(kRpm, kUnits, 10, 10, 200, 16),
    Indicator(kRpm, kDial, kRed, 10, 28, 200, 200),
    Value(kRpm, 60, 232, 100, 26),
    Label(kIap, kUnits, 220, 10, 200, 16),
    Indicator(kIap, kDial, kBlue, 220, 28, 200, 200),
    Value(kIap, 270, 232, 100, 26),
    Label(kTw, kUnits, 430, 10, 60, 16),
    Indicator(kTw, kColumn, kOrange, 440, 28, 40, 200),
    Value(kTw, 430, 232, 60, 26),
    Label(kTa, kUnits, 500, 10, 60, 16),
    Indicator(kTa, kColumn, kTeal, 510, 28, 40, 200),
    Value(kTa, 500, 232, 60, 26),
    Label(kVoltage, kUnits, 570, 10, 70, 16),
    Indicator(kVoltage, kColumn, kGreen, 580, 28, 40, 200),
    Value(kVoltage, 570, 232, 70, 26),
    Label(kTps, kUnits, 10, 270, 120, 16),
    Indicator(kTps, kBar, kGreen, 140, 270, 380, 20),
    Value(kTps, 530, 270, 110, 20),
    Label(kLambda, kUnits, 10, 300, 120, 16),
    Indicator(kLambda, kBar, kBlue, 140, 300, 380, 20),
    Value(kLambda, 530, 300, 110, 20),
    Label(kAdvance, kUnits, 10, 330, 120, 16),
    Indicator(kAdvance, kBar, kPurple, 140, 330, 380, 20),
    Value(kAdvance, 530, 330, 110, 20),
    Label(kInjTimeA, kUnits, 10, 360, 120, 16),
    Indicator(kInjTimeA, kBar, kRed, 140, 360, 380, 20),
    Value(kInjTimeA, 530, 360, 110, 20),
    Label(kSpeed, kNoUnits, 10, 392, 120, 16),
    Value(kSpeed, 140, 390, 80, 20),
    Text("[km/h]", 224, 392, 50, 16),
    Label(kGear, kNoUnits, 300, 392, 80, 16),
    Value(kGear, 384, 390, 40, 20),
};

// Cylinder by cylinder: injection A and B and advance as columns (below),
// then the sensors, the servos and the engine speed.
struct CylinderBlock {
  const CLngStr* title;
  int firstId;  // cylinder 1; the others follow
  std::int32_t left;
  std::int32_t mark;
};
constexpr CylinderBlock kSet3Cylinders[] = {
    {&kSet3InjectionAHeading, kInjectionA1, 10, kRed},
    {&kSet3InjectionBHeading, kInjectionB1, 230, kOrange},
    {&kSet3AdvanceHeading, kAdvance1, 450, kPurple},
};
constexpr int kCylinders = 4;
constexpr std::int32_t kCylinderPitch = 50;

constexpr Row kSet3Rows[] = {
    Label(kPositionA, kUnits, 670, 10, 150, 16),
    Value(kPositionA, 670, 28, 80, 20),
    Label(kPositionB, kUnits, 670, 52, 150, 16),
    Value(kPositionB, 670, 70, 80, 20),
    Label(kMaxInjection, kUnits, 670, 94, 150, 16),
    Value(kMaxInjection, 670, 112, 80, 20),
    Label(kCrankPickup, kNoUnits, 10, 250, 180, 16),
    Value(kCrankPickup, 200, 250, 80, 20),
    Label(kCrankPickup + 10, kNoUnits, 10, 276, 180, 16),
    Value(kCrankPickup + 10, 200, 276, 80, 20),
    Label(kCrankPickup + 20, kNoUnits, 10, 302, 180, 16),
    Value(kCrankPickup + 20, 200, 302, 80, 20),
    Label(kCrankPickup + 30, kNoUnits, 10, 328, 180, 16),
    Value(kCrankPickup + 30, 200, 328, 80, 20),
    Label(kCrankPickup + 40, kNoUnits, 10, 354, 180, 16),
    Value(kCrankPickup + 40, 200, 354, 80, 20),
    Label(kCrankPickup + 60, kNoUnits, 10, 380, 180, 16),
    Value(kCrankPickup + 60, 200, 380, 80, 20),
    Label(kPotentiometer, kUnits, 10, 406, 180, 16),
    Value(kPotentiometer, 200, 406, 80, 20),
    Label(kIntakeServo, kUnits, 320, 250, 200, 16),
    Indicator(kIntakeServo, kBar, kGreen, 320, 268, 300, 20),
    Value(kIntakeServo, 630, 268, 80, 20),
    Label(kExhaustServo, kUnits, 320, 296, 200, 16),
    Indicator(kExhaustServo, kBar, kTeal, 320, 314, 300, 20),
    Value(kExhaustServo, 630, 314, 80, 20),
    Label(kStepServo, kUnits, 320, 342, 300, 16),
    Indicator(kStepServo, kBar, kBlue, 320, 360, 300, 20),
    Value(kStepServo, 630, 360, 80, 20),
    Label(kInjByTps, kUnits, 320, 388, 200, 16),
    Indicator(kInjByTps, kBar, kOrange, 320, 406, 300, 20),
    Value(kInjByTps, 630, 406, 80, 20),
    Label(kRpm, kUnits, 720, 230, 100, 16),
    Indicator(kRpm, kDial, kRed, 720, 250, 100, 100),
    Value(kRpm, 730, 354, 80, 20),
};

struct SetDef {
  WindowRect window;
  std::span<const Row> rows;
  std::span<const CylinderBlock> cylinders = {};
};

// A title in `language` over four columns, each with its value and its name below.
void AppendCylinders(const CylinderBlock& block, int language, std::vector<Row>& rows) {
  rows.push_back(Text(block.title->Get(language).data(), block.left, 10, 200, 16));
  for (int c = 0; c < kCylinders; ++c) {
    const int id = block.firstId + c;
    const std::int32_t left = block.left + c * kCylinderPitch;
    rows.push_back(Indicator(id, kColumn, block.mark, left, 30, 40, 160));
    rows.push_back(Value(id, left, 194, 40, 20));
    rows.push_back(Label(id, kNoUnits, left, 218, 40, 14));
  }
}

constexpr std::array<SetDef, kBuiltinSetCount> kSets = {{
    {{200, 320, 874, 392}, {}},
    {{176, 117, 405, 236}, kSet1Rows},
    {{120, 80, 660, 480}, kSet2Rows},
    {{40, 40, 840, 600}, kSet3Rows, kSet3Cylinders},
}};

constexpr std::int32_t kWhite = 0xFFFFFF, kSilver = 0xC0C0C0;

// An element of `kind` as the element classes create it; names and fixed
// texts sit flat on the window's face, values and indicators keep the bevel.
CemRecord DefaultRecord(std::int32_t kind) {
  CemRecord r;
  r.kind = kind;
  r.focusable = 1;
  r.Color = kWhite;
  r.ltframe = kWhite;
  r.dkframe = kSilver;
  r.rszable = 1;
  r.nprable = 1;
  r.minw = r.minh = 4;
  r.maxw = r.maxh = 1000;
  switch (kind) {
    case kCemText:
    case kCemLabel:
      r.nprable = 0;
      r.minh = 12;
      r.Color = r.ltframe = r.dkframe = kCemBtnFace;
      break;
    case kCemValue:
      r.nprable = 0;
      break;
    case kCemIndicator:
      r.minw = 10;
      break;
  }
  return r;
}

// The logo's letters, 5 x 7, one bit per pixel, the top row first.
struct Glyph {
  char letter;
  std::array<std::uint8_t, 7> rows;
};
constexpr Glyph kGlyphs[] = {
    {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}}, {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}},
    {'N', {0x11, 0x19, 0x15, 0x13, 0x11, 0x11, 0x11}}, {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}}, {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}},
};

std::vector<std::uint8_t> DrawLogo() {
  constexpr std::string_view kWord = "VENTRIX";
  constexpr int kWidth = 132, kHeight = 36, kDot = 3, kGap = 3;
  constexpr int kGlyphW = 5 * kDot, kGlyphH = 7 * kDot;
  constexpr int kWordW = int(kWord.size()) * kGlyphW + (int(kWord.size()) - 1) * kGap;
  constexpr int kX0 = (kWidth - kWordW) / 2, kY0 = 5;
  constexpr std::uint32_t kBackground = 0x1C2430, kInk = 0xF2F2F2, kStripe = 0xD82020;  // 0x00RRGGBB

  std::vector<std::uint32_t> pixels(std::size_t{kWidth} * kHeight, kBackground);
  auto at = [&](int x, int y) -> std::uint32_t& { return pixels[std::size_t(y) * kWidth + std::size_t(x)]; };
  for (std::size_t i = 0; i < kWord.size(); ++i) {
    const Glyph* glyph = nullptr;
    for (const Glyph& g : kGlyphs)
      if (g.letter == kWord[i]) glyph = &g;
    const int gx = kX0 + int(i) * (kGlyphW + kGap);
    for (int y = 0; y < kGlyphH; ++y)
      for (int x = 0; x < kGlyphW; ++x)
        if (glyph->rows[std::size_t(y / kDot)] & (0x10 >> (x / kDot))) at(gx + x, kY0 + y) = kInk;
  }
  for (int y = kY0 + kGlyphH + 3; y < kY0 + kGlyphH + 6; ++y)
    for (int x = kX0; x < kX0 + kWordW; ++x) at(x, y) = kStripe;
  return EncodeBmp24(kWidth, kHeight, pixels);
}

}  // namespace

const std::vector<std::uint8_t>& VentrixLogoBmp() {
  static const std::vector<std::uint8_t> logo = DrawLogo();
  return logo;
}

MonitorSet BuiltinMonitorSet(int which, int language) {
  const SetDef& def = kSets[std::size_t(which >= 0 && which < kBuiltinSetCount ? which : kSetEmpty)];
  MonitorSet set;
  set.left = def.window.left;
  set.top = def.window.top;
  set.width = def.window.width;
  set.height = def.window.height;
  std::vector<Row> rows;
  for (const CylinderBlock& block : def.cylinders) AppendCylinders(block, language, rows);
  rows.insert(rows.end(), def.rows.begin(), def.rows.end());
  int texts = 0, pictures = 0;
  for (const Row& row : rows) {
    CemRecord r = DefaultRecord(row.kind);
    r.Left = row.left;
    r.Top = row.top;
    r.Width = row.width;
    r.Height = row.height;
    r.id = row.id;
    switch (row.kind) {
      case kCemPicture:
        r.number = pictures++;
        r.picture = VentrixLogoBmp();
        break;
      case kCemText:
        r.number = texts++;
        r.text = CemTextFromUtf8(row.text);
        break;
      case kCemLabel:
        r.number = row.number;
        break;
      case kCemIndicator:
        r.number = row.number;
        r.ColorMk = row.mark;
        break;
    }
    set.records.push_back(std::move(r));
  }
  return set;
}
