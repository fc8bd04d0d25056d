#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

#include "image/ConfigImage.h"
#include "image/MapCatalogue.h"
#include "image/MapLoad.h"
#include "sheet/TabModel.h"

namespace {

using Id = SheetControlId;

std::int32_t Byte(const ConfigImage& im, int at) { return im[static_cast<std::size_t>(at)]; }
std::int32_t SByte(const ConfigImage& im, int at) { return static_cast<std::int8_t>(im[static_cast<std::size_t>(at)]); }
std::int32_t Word(const ConfigImage& im, int word) { return Byte(im, 2 * word) | (Byte(im, 2 * word + 1) << 8); }
std::int32_t SWord(const ConfigImage& im, int word) { return static_cast<std::int16_t>(Word(im, word)); }
void SetByte(ConfigImage& im, int at, int v) { im[static_cast<std::size_t>(at)] = static_cast<std::uint8_t>(v); }
void SetWord(ConfigImage& im, int word, int v) {
  SetByte(im, 2 * word, v & 0xFF);
  SetByte(im, 2 * word + 1, (v >> 8) & 0xFF);
}

// Every map and small sheet with its own values, all inside the sheets'
// ranges and ordered as the unit's normalisation leaves them; offsets restated.
ConfigImage DistinctImage() {
  ConfigImage im{};
  for (std::size_t i = 0; i < im.size(); ++i) im[i] = static_cast<std::uint8_t>((i * 37 + 11) & 0xFF);
  SetByte(im, 0, 11);   // bike
  SetByte(im, 40, 1);   // advance over throttle
  SetByte(im, 256, 4);  // cylinders
  SetByte(im, 290, 1);  // idle type 1
  SetByte(im, 56, 1);   // position references
  SetByte(im, 57, 2);
  SetByte(im, 58, 1);  // exhaust servo on, Y collapsed, percent
  SetByte(im, 64, 1);
  SetByte(im, 62, 1);
  SetByte(im, 59, 0);  // intake servo off, X collapsed, volts
  SetByte(im, 65, 2);
  SetByte(im, 63, 0);
  const int speedAxes[] = {465, 480, 495, 510, 525, 540, 555, 570, 585, 405, 435};
  for (int a = 0; a < 11; ++a)
    for (int c = 0; c < 15; ++c) SetByte(im, speedAxes[a] + c, 10 + 15 * c + a);
  for (int r = 0; r < 10; ++r)
    for (int c = 0; c < 15; ++c) {
      const int k = 15 * r + c;
      SetByte(im, 600 + k, k % 81 - 20);
      for (int i = 0; i < 4; ++i) SetWord(im, 375 + 150 * i + k, 1000 + 300 * i + k);
      SetByte(im, 1950 + k, k % 101);
      SetWord(im, 1050 + k, 20000 + k);
      SetByte(im, 2400 + k, k % 101);
      SetByte(im, 2550 + k, (k + 50) % 251);
    }
  for (int r = 0; r < 10; ++r) SetWord(im, 192 + r, 100 + 90 * r);
  for (int c = 0; c < 15; ++c) {
    SetByte(im, 420 + c, 3 * c + 1);
    SetByte(im, 450 + c, 144 - 2 * c);
  }
  for (int r = 0; r < 5; ++r) {
    SetByte(im, 80 + r, 100 + r);
    SetByte(im, 85 + r, 150 + r);
    SetByte(im, 93 + r, 70 + 10 * r);
    SetByte(im, 353 + r, 100 + 20 * r);
    SetWord(im, 179 + r, 4000 - 700 * r);
  }
  for (int r = 0; r < 4; ++r) {
    SetByte(im, 67 + r, 20 + 40 * r);
    SetByte(im, 71 + r, 200 - 30 * r);
  }
  for (int r = 0; r < 9; ++r) {
    SetWord(im, 97 + r, 4500 - 400 * r);
    SetWord(im, 106 + r, 4400 - 450 * r);
    SetWord(im, 149 + r, 5 * (100 + 40 * r));  // millivolts, whole 5 mV steps
    SetByte(im, 321 + r, 20 + 10 * r);
  }
  const int sensors[] = {3, 101, 4, 2100, 5, 305, 6, 4200, 7, 20, 8, 900, 9, 250, 10, 3900};
  for (int i = 0; i < 16; i += 2) SetWord(im, sensors[i], sensors[i + 1]);
  for (int c = 0; c < 5; ++c) SetByte(im, 2700 + c, 20 + 30 * c);
  for (int k = 0; k < 25; ++k) SetByte(im, 2705 + k, 100 + 5 * k);
  return im;
}

MapLoadOptions CommitOf(Id changed) {
  MapLoadOptions o;
  o.changedControl = changed;
  return o;
}

struct Window {
  std::array<CTabModel, kSheetControlCount> models;
  MapControls controls;
  Window() {
    for (const auto& l : SheetControlLayouts()) {
      models[Index(l.id)] = CTabModel(l.options);
      DefineControl(l.id, models[Index(l.id)], {});
      controls.controls[Index(l.id)] = &models[Index(l.id)];
    }
  }
  CSheet& Sheet(Id id, int s = 0) { return models[Index(id)].Sheet(s); }
  CTabModel& Model(Id id) { return models[Index(id)]; }
};

TEST(MapLoadTest, SpotChecksOfADistinctImage) {
  const ConfigImage im = DistinctImage();
  Window w;
  LoadMapSheets(im, w.controls);
  struct Spot {
    const char* what;
    std::int32_t shown, expected;
  };
  const Spot spots[] = {
      {"advance (3, 7)", w.Sheet(Id::kAdvance).Cell(7, 3), SByte(im, 652)},
      {"advance X 14", w.Sheet(Id::kAdvance).xAxis.values[14], Byte(im, 479)},
      {"inj. 2 (4, 9) absolute", w.Sheet(Id::kInjection, 1).absolute[4 * kCellStride + 9],
       Word(im, 375 + 150 + 15 * 4 + 9) * 10},
      {"inj. 4 (9, 14)", w.Sheet(Id::kInjection, 3).Cell(14, 9), Word(im, 375 + 450 + 149) * 10},
      {"inj. 2 X 3", w.Sheet(Id::kInjection, 1).xAxis.values[3], Byte(im, 498)},
      {"inj. B (2, 2)", w.Sheet(Id::kInjection, 4).Cell(2, 2), Byte(im, 1950 + 32)},
      {"inj. IAP Y 0", w.Sheet(Id::kInjection, 5).yAxis.values[0], SWord(im, 192)},
      {"inj. IAP Y 9", w.Sheet(Id::kInjection, 5).yAxis.values[9], SWord(im, 201)},
      {"inj. IAP (1, 1)", w.Sheet(Id::kInjection, 5).Cell(1, 1), Word(im, 1050 + 16) * 10},
      {"position A (0, 5)", w.Sheet(Id::kPositionA).Cell(5, 0), Byte(im, 425)},
      {"position B X 6", w.Sheet(Id::kPositionB).xAxis.values[6], Byte(im, 441)},
      {"position B (0, 14)", w.Sheet(Id::kPositionB).Cell(14, 0), Byte(im, 464)},
      {"injection correction (1, 3)", w.Sheet(Id::kInjectionTempCorrection).Cell(1, 3), Byte(im, 88)},
      {"advance correction (0, 4)", w.Sheet(Id::kAdvanceTempCorrection).Cell(0, 4), Byte(im, 97) - 100},
      {"start time 3", w.Sheet(Id::kStartingCorrection).yAxis.values[3], Byte(im, 69)},
      {"start time 0", w.Sheet(Id::kStartingCorrection).yAxis.values[0], 0},
      {"start correction 2", w.Sheet(Id::kStartingCorrection).Cell(0, 2), Byte(im, 73) + 100},
      {"start correction 4", w.Sheet(Id::kStartingCorrection).Cell(0, 4), 100},
      {"air sensor 8", w.Sheet(Id::kTemperatureSensors).Cell(1, 8), SWord(im, 114)},
      {"lambda AFR 2", w.Sheet(Id::kLambdaSensor).yAxis.values[2], Byte(im, 355)},
      {"lambda volts 2", w.Sheet(Id::kLambdaSensor).Cell(0, 2), SWord(im, 181)},
      {"AP pressure 1", w.Sheet(Id::kApSensor).yAxis.values[1], SWord(im, 5)},
      {"AP volts 1", w.Sheet(Id::kApSensor).Cell(0, 1), SWord(im, 6)},
      {"IAP pressure 1", w.Sheet(Id::kIapSensor).yAxis.values[1], SWord(im, 9)},
      {"IAP volts 0", w.Sheet(Id::kIapSensor).Cell(0, 0), SWord(im, 8)},
      {"exhaust servo (5, 5)", w.Sheet(Id::kServo, 1).Cell(5, 5), Byte(im, 2400 + 80)},
      {"idle position 8 (5 mV)", w.Sheet(Id::kIdlePosition).Cell(0, 8), Word(im, 157) / 5},
      {"idle speed 2", w.Sheet(Id::kIdleSpeed).Cell(0, 2), Byte(im, 323)},
      {"AFR X 4", w.Sheet(Id::kDesiredAfr).xAxis.values[4], Byte(im, 2704)},
      {"AFR (4, 3)", w.Sheet(Id::kDesiredAfr).Cell(3, 4), Byte(im, 2705 + 23)},
      {"position reference A", w.Model(Id::kPositionA).PositionReference(), 1},
      {"position reference B", w.Model(Id::kPositionB).PositionReference(), 2},
  };
  for (const Spot& s : spots) EXPECT_EQ(s.shown, s.expected) << s.what;
  EXPECT_EQ(w.Sheet(Id::kAdvance).yAxis.collapsed, 0);
  EXPECT_EQ(w.Sheet(Id::kAdvance).yAxis.values[3], 10);  // fixed throttle points
  const CSheet& intake = w.Sheet(Id::kServo, 0);
  const CSheet& exhaust = w.Sheet(Id::kServo, 1);
  EXPECT_EQ(intake.enabled, 0);
  EXPECT_EQ(intake.xAxis.collapsed, 1);
  EXPECT_EQ(exhaust.enabled, 1);
  EXPECT_EQ(exhaust.yAxis.collapsed, 1);
  EXPECT_EQ(exhaust.dataAxis.unit, "%");
  EXPECT_EQ(exhaust.dataAxis.max, 100);
  EXPECT_EQ(intake.dataAxis.unit, "V");
  EXPECT_DOUBLE_EQ(intake.dataAxis.scale, 0.02);
}

TEST(MapLoadTest, StoreOfALoadGivesTheImageBackByteForByte) {
  const ConfigImage im = DistinctImage();
  Window w;
  LoadMapSheets(im, w.controls);
  ConfigImage out = im;
  // Anything the sheets do not write stays; everything they write must match.
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = static_cast<std::uint8_t>(out[i] ^ 0x5A);
  for (int b : {0, 40, 58, 59, 62, 63, 256, 290}) SetByte(out, b, Byte(im, b));
  StoreMapSheets(w.controls, out);
  const std::pair<int, int> written[] = {{6, 22},    {40, 41},   {56, 60},   {64, 66},   {67, 75},
                                         {80, 90},   {93, 98},   {194, 230}, {298, 316}, {321, 330},
                                         {353, 368}, {384, 404}, {405, 600}, {600, 2730}};
  for (const auto& [from, to] : written)
    for (int b = from; b < to; ++b) ASSERT_EQ(Byte(out, b), Byte(im, b)) << "byte " << b;
  for (int b : {66, 2730}) EXPECT_EQ(Byte(out, b), Byte(im, b) ^ 0x5A) << "byte " << b;  // not the sheets'
}

TEST(MapLoadTest, OutOfRangeValuesArriveClampedAndSaturateOnStore) {
  ConfigImage im = DistinctImage();
  SetByte(im, 600, 100);   // advance above 60
  SetByte(im, 1950, 180);  // injection B above 100
  SetByte(im, 80, 230);    // injection correction above 200
  Window w;
  LoadMapSheets(im, w.controls);
  EXPECT_EQ(w.Sheet(Id::kAdvance).Cell(0, 0), 60);
  ConfigImage out = im;
  // Values put past their field: saturated, never cut to the low bits.
  w.Sheet(Id::kStartingCorrection).yAxis.values[4] = 600;  // 600 s into a byte limited to 250
  w.Sheet(Id::kInjection, 0).absolute[0] = 700000;         // 70000 into a word
  w.Sheet(Id::kInjectionTempCorrection).Cell(0, 1) = 300;  // 300 into a byte
  w.Sheet(Id::kLambdaSensor).Cell(0, 0) = 9000;            // above the field's 5000
  StoreMapSheets(w.controls, out);
  const std::pair<int, int> bytes[] = {{600, 60},   {1950, 100}, {80, 200},          {70, 250},       {750, 0xFF},
                                       {751, 0xFF}, {81, 255},   {358, 5000 & 0xFF}, {359, 5000 >> 8}};
  for (const auto& [at, v] : bytes) EXPECT_EQ(Byte(out, at), v) << "byte " << at;
}

TEST(MapLoadTest, NarrowSheetPadsAndKeepsItsCountOnlyForItsOwnCommit) {
  ConfigImage im = DistinctImage();
  SetByte(im, 256, 2);
  Window w;
  LoadMapSheets(im, w.controls);
  w.Sheet(Id::kAdvance).xAxis.count = 12;
  for (int s = 0; s < 6; ++s) w.Sheet(Id::kInjection, s).xAxis.count = 12;
  ConfigImage out = im;
  StoreMapSheets(w.controls, out);
  for (int r = 0; r < 10; ++r)
    for (int c = 12; c < 15; ++c) {
      EXPECT_EQ(SByte(out, 600 + 15 * r + c), SByte(im, 600 + 15 * r + 11)) << r << "," << c;
      EXPECT_EQ(Word(out, 375 + 15 * r + c), Word(im, 375 + 15 * r + 11));
      EXPECT_EQ(Word(out, 1050 + 15 * r + c), Word(im, 1050 + 15 * r + 11));
    }

  LoadMapSheets(out, w.controls, CommitOf(Id::kInjection));
  EXPECT_EQ(w.Sheet(Id::kAdvance).xAxis.count, 15);  // not its commit
  const int kept[] = {12, 12, 15, 15, 12, 12};       // maps 3 and 4 are not in use with 2 cylinders
  for (int s = 0; s < 6; ++s) EXPECT_EQ(w.Sheet(Id::kInjection, s).xAxis.count, kept[s]) << s;
  w.Sheet(Id::kAdvance).xAxis.count = 12;
  LoadMapSheets(out, w.controls, CommitOf(Id::kAdvance));
  EXPECT_EQ(w.Sheet(Id::kAdvance).xAxis.count, 12);
  LoadMapSheets(out, w.controls);
  EXPECT_EQ(w.Sheet(Id::kAdvance).xAxis.count, 15);
  for (int s = 0; s < 6; ++s) EXPECT_EQ(w.Sheet(Id::kInjection, s).xAxis.count, 15);
}

TEST(MapLoadTest, IdleCurveUsesTheIdleTypeBeingLoaded) {
  struct Case {
    int type, intakePercent;
    int word;
    std::int32_t cell;
    std::string unit;
  };
  const Case cases[] = {
      {1, 0, 1000, 200, "V"},                            // millivolts in 5 mV steps
      {1, 1, 55, 55, "%"},    {2, 0, 1200, 120, ""},     // rpm in tens
      {3, 0, 777, 777, ""},   {0, 0, 40000, 40000, ""},  // hidden: passed through
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.type);
    ConfigImage im = DistinctImage();
    Window w;
    LoadMapSheets(im, w.controls);  // previous type 1 in volts
    SetByte(im, 290, k.type);
    SetByte(im, 63, k.intakePercent);
    SetWord(im, 149, k.word);
    LoadMapSheets(im, w.controls);
    EXPECT_EQ(w.Sheet(Id::kIdlePosition).Cell(0, 0), k.cell);
    EXPECT_EQ(w.Sheet(Id::kIdlePosition).dataAxis.unit, k.unit);
    ConfigImage out = im;
    StoreMapSheets(w.controls, out);
    EXPECT_EQ(Word(out, 149), k.word);
  }
}

TEST(MapLoadTest, IdleTypeSwitchKeepsTheCurvesRawValues) {
  ConfigImage im = DistinctImage();
  SetWord(im, 149, 1000);  // 1000 mV with type 1 in volts
  Window w;
  LoadMapSheets(im, w.controls);
  ASSERT_EQ(w.Sheet(Id::kIdlePosition).Cell(0, 0), 200);
  SetByte(im, 290, 2);  // the page stored the new type first
  StoreMapSheets(w.controls, im);
  EXPECT_EQ(Word(im, 149), 2000);
  LoadMapSheets(im, w.controls);
  const CSheet& s = w.Sheet(Id::kIdlePosition);
  EXPECT_EQ(s.Cell(0, 0), 200);
  EXPECT_EQ(s.title, "Desired RPM");
  EXPECT_EQ(s.EntryText({0, 0}), "2 000");
}

TEST(MapLoadTest, FlagsTakenFromTheSheets) {
  ConfigImage im = DistinctImage();
  SetByte(im, 40, 5);
  SetByte(im, 59, 7);
  Window w;
  LoadMapSheets(im, w.controls);
  ConfigImage out = im;
  StoreMapSheets(w.controls, out);
  EXPECT_EQ(Byte(out, 40), 5);  // untouched flags keep their stored value
  EXPECT_EQ(Byte(out, 59), 7);
  w.Sheet(Id::kAdvance).yAxis.collapsed = 1;
  w.Sheet(Id::kServo, 0).enabled = 0;
  w.Sheet(Id::kServo, 0).xAxis.collapsed = 0;
  w.Sheet(Id::kServo, 0).yAxis.collapsed = 1;
  w.Sheet(Id::kServo, 1).yAxis.collapsed = 0;
  w.Model(Id::kPositionA).SetPositionReference(2);
  StoreMapSheets(w.controls, out);
  const std::pair<int, int> bytes[] = {{40, 0}, {59, 0}, {65, 1}, {64, 0}, {56, 2}};
  for (const auto& [at, v] : bytes) EXPECT_EQ(Byte(out, at), v) << "byte " << at;
  // A servo axes byte above 2 reads as neither axis collapsed.
  SetByte(im, 65, 9);
  LoadMapSheets(im, w.controls);
  EXPECT_EQ(w.Sheet(Id::kServo, 0).xAxis.collapsed, 0);
  EXPECT_EQ(w.Sheet(Id::kServo, 0).yAxis.collapsed, 0);
}

TEST(MapLoadTest, AbsentControlsLeaveTheirBytes) {
  const ConfigImage im = DistinctImage();
  Window w;
  LoadMapSheets(im, w.controls);
  ConfigImage blank{};
  w.controls.controls[Index(Id::kInjection)] = nullptr;
  StoreMapSheets(w.controls, blank);
  EXPECT_EQ(Word(blank, 375), 0);
  EXPECT_EQ(Byte(blank, 600), Byte(im, 600));
}

}  // namespace
