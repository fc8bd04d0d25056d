#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <map>
#include <string>

#include "image/MapCatalogue.h"
#include "sheet/TabModel.h"
#include "base/Lang.h"

namespace {

using Id = SheetControlId;

// Each background name resolves to its own address, so a test can tell which one a sheet got.
struct FakeBackgrounds {
  std::map<std::string, int> slots;
  const void* Lookup(std::string_view name) { return &slots[std::string(name)]; }
  BackgroundLookup Fn() {
    return [this](std::string_view n) { return Lookup(n); };
  }
};

struct DefinedControls {
  FakeBackgrounds bg;
  std::array<CTabModel, kSheetControlCount> models;
  DefinedControls() {
    for (const auto& l : SheetControlLayouts()) {
      models[Index(l.id)] = CTabModel(l.options);
      DefineControl(l.id, models[Index(l.id)], bg.Fn());
    }
  }
  CSheet& Sheet(Id id, int s) { return models[Index(id)].Sheet(s); }
};

TEST(MapCatalogueTest, ControlsHaveTheirPagesOptionsAndSheets) {
  struct Row {
    Id id;
    int page;
    std::uint32_t options;
    std::vector<std::string> titles;
  };
  const Row rows[] = {
      {Id::kAdvance, 1, 0x0071, {"Advance"}},
      {Id::kInjection, 2, 0x0071, {"Inj. 1", "Inj. 2", "Inj. 3", "Inj. 4", "Inj. B", "Inj. IAP"}},
      {Id::kPositionA, 3, 0x1111, {"Position of Injection A"}},
      {Id::kPositionB, 3, 0x1111, {"Position of Injection B"}},
      {Id::kInjectionTempCorrection, 4, 0x0130, {"Temperature corrections of injection"}},
      {Id::kAdvanceTempCorrection, 4, 0x0130, {"Temperature corrections of advance"}},
      {Id::kStartingCorrection, 4, 0x0130, {"Starting corrections"}},
      {Id::kTemperatureSensors, 5, 0x0130, {"Characteristic of temperature sensors"}},
      {Id::kLambdaSensor, 5, 0x0130, {"Lambda sensor"}},
      {Id::kApSensor, 5, 0x0130, {"Pressure sensor - AP"}},
      {Id::kIapSensor, 5, 0x0130, {"Intake pressure sensor - IAP"}},
      {Id::kServo, 6, 0x0071, {"Intake servo", "Exhaust servo"}},
      {Id::kIdlePosition, 9, 0x0130, {"Start position of intake servo"}},
      {Id::kIdleSpeed, 9, 0x0130, {"Idle advance RPM desired"}},
      {Id::kDesiredAfr, 11, 0x0071, {"Lambda [AFR]"}},
  };
  DefinedControls c;
  for (const Row& r : rows) {
    SCOPED_TRACE(r.titles.front());
    EXPECT_EQ(Layout(r.id).page, r.page);
    EXPECT_EQ(Layout(r.id).options, r.options);
    CTabModel& m = c.models[Index(r.id)];
    ASSERT_EQ(m.SheetCount(), static_cast<int>(r.titles.size()));
    for (int s = 0; s < m.SheetCount(); ++s) EXPECT_EQ(m.Sheet(s).title, r.titles[static_cast<std::size_t>(s)]);
    EXPECT_EQ(m.ActiveIndex(), 0);
  }
}

TEST(MapCatalogueTest, AxesCarryTheirRangesScalesCountsAndColours) {
  struct Row {
    Id id;
    int sheet;
    int part;
    std::int32_t min, max;
    double scale;
    int count;  // -1 for a data axis
    int editable;
    std::uint32_t sheetFlags;
    TColor colour;
  };
  // clang-format off
  const Row rows[] = {
      {Id::kAdvance, 0, kPartX, 1, 250, 100, 15, 1, 0x0701, 0xFCE2F4},
      {Id::kAdvance, 0, kPartY, 0, 100, 1, 10, 0, 0x0701, 0xFCE2F4},
      {Id::kAdvance, 0, kPartData, -20, 60, 1, -1, 1, 0x0701, 0xFCE2F4},
      {Id::kInjection, 1, kPartData, 0, 655350, 0.0001, -1, 1, 0x4611, 0xFCF2E4},
      {Id::kInjection, 4, kPartData, 0, 100, 1, -1, 1, 0x4601, 0xFCF2E4},
      {Id::kInjection, 5, kPartY, 0, 1000, 1, 10, 1, 0x4611, 0xFFEEEE},
      {Id::kPositionB, 0, kPartData, 0, 144, 5, -1, 1, 0x4601, 0xFCE2F4},
      {Id::kPositionB, 0, kPartY, 0, 100, 1, 1, 0, 0x4601, 0xFCE2F4},
      {Id::kAdvanceTempCorrection, 0, kPartX, 0, 20000, 1, 1, 0, 0x0703, 0xFFFFFF},
      {Id::kAdvanceTempCorrection, 0, kPartData, -60, 60, 1, -1, 1, 0x0703, 0xFFFFFF},
      {Id::kStartingCorrection, 0, kPartY, 0, 600, 1, 5, 1, 0x4703, 0xECD2F4},
      {Id::kStartingCorrection, 0, kPartData, 100, 350, 1, -1, 1, 0x4703, 0xECD2F4},
      {Id::kTemperatureSensors, 0, kPartData, 0, 5000, 0.001, -1, 1, 0x4003, 0xFFFFFF},
      {Id::kLambdaSensor, 0, kPartY, 0, 250, 0.1, 5, 1, 0x0703, 0xECD2F4},
      {Id::kIapSensor, 0, kPartY, 0, 1000, 1, 2, 1, 0x07A3, 0xA0E0C0},
      {Id::kServo, 1, kPartData, 0, 250, 0.02, -1, 1, 0x0609, 0xCEDBFF},
      {Id::kIdleSpeed, 0, kPartData, 0, 240, 50, -1, 1, 0x0003, 0xFFFFFF},
      {Id::kDesiredAfr, 0, kPartX, 1, 250, 100, 5, 1, 0x0001, 0xFFFFFF},
      {Id::kDesiredAfr, 0, kPartData, 0, 250, 0.1, -1, 1, 0x0001, 0xFFFFFF},
  };
  // clang-format on
  DefinedControls c;
  for (const Row& r : rows) {
    const CSheet& s = c.Sheet(r.id, r.sheet);
    SCOPED_TRACE(s.title + " part " + std::to_string(r.part));
    const CAxe& a = s.Axis(r.part);
    EXPECT_EQ(a.min, r.min);
    EXPECT_EQ(a.max, r.max);
    EXPECT_DOUBLE_EQ(a.scale, r.scale);
    if (r.count >= 0) {
      EXPECT_EQ(a.count, r.count);
    }
    EXPECT_EQ(a.editable, r.editable);
    EXPECT_EQ(s.flags, r.sheetFlags);
    EXPECT_EQ(a.colour, r.colour);
  }
  // The injection times show in steps of 10 (1 µs); the small sheets print their unit.
  EXPECT_DOUBLE_EQ(c.Sheet(Id::kInjection, 0).dataAxis.displayQuantum, 10);
  EXPECT_EQ(c.Sheet(Id::kLambdaSensor, 0).dataAxis.showUnit, 1);
  EXPECT_EQ(c.Sheet(Id::kAdvance, 0).dataAxis.showUnit, 0);
  EXPECT_EQ(c.Sheet(Id::kStartingCorrection, 0).labelFontSize, 9);
  EXPECT_EQ(c.Sheet(Id::kTemperatureSensors, 0).titleFontSize, 9);
  // Graduations: G1 on speed axes (three records), G6 on positions.
  ASSERT_EQ(c.Sheet(Id::kAdvance, 0).xAxis.graduations.size(), 3u);
  EXPECT_DOUBLE_EQ(c.Sheet(Id::kAdvance, 0).xAxis.graduations[1].s3, 500);
  ASSERT_EQ(c.Sheet(Id::kPositionA, 0).dataAxis.graduations.size(), 4u);
  EXPECT_DOUBLE_EQ(c.Sheet(Id::kPositionA, 0).dataAxis.graduations[3].spanLimit, 720);
}

TEST(MapCatalogueTest, FixedAxesNamedValuesAndBackgrounds) {
  DefinedControls c;
  const CSheet& corr = c.Sheet(Id::kInjectionTempCorrection, 0);
  EXPECT_EQ(corr.xAxis.values[0], 10010);
  EXPECT_EQ(corr.xAxis.values[1], 10020);
  EXPECT_EQ(corr.EntryText({0, -1}, corr.xAxis.values[0]), std::string(LookupText(3, "Coolant")));
  EXPECT_EQ(corr.EntryText({1, -1}, corr.xAxis.values[1]), std::string(LookupText(3, "Inlet Air")));
  const std::int32_t tempRows[] = {-10, 20, 50, 80, 110};
  for (int r = 0; r < 5; ++r) EXPECT_EQ(c.Sheet(Id::kAdvanceTempCorrection, 0).yAxis.values[r], tempRows[r]);
  const std::int32_t idleRows[] = {-10, 5, 20, 35, 50, 65, 80, 95, 110};
  for (int r = 0; r < 9; ++r) EXPECT_EQ(c.Sheet(Id::kIdleSpeed, 0).yAxis.values[r], idleRows[r]);
  const std::int32_t tps[] = {0, 2, 5, 10, 20, 30, 40, 60, 80, 100};
  for (int r = 0; r < 10; ++r) EXPECT_EQ(c.Sheet(Id::kServo, 1).yAxis.values[r], tps[r]);
  const std::int32_t afrRows[] = {2, 5, 20, 60, 100};
  for (int r = 0; r < 5; ++r) EXPECT_EQ(c.Sheet(Id::kDesiredAfr, 0).yAxis.values[r], afrRows[r]);

  EXPECT_EQ(c.Sheet(Id::kInjection, 0).dataAxis.background, c.bg.Lookup("BGINJB"));
  EXPECT_EQ(c.Sheet(Id::kTemperatureSensors, 0).xAxis.background, c.bg.Lookup("BGWA"));
  EXPECT_EQ(c.Sheet(Id::kTemperatureSensors, 0).dataAxis.background, c.bg.Lookup("BGRAINBOW2"));
  EXPECT_EQ(c.Sheet(Id::kInjectionTempCorrection, 0).yAxis.background, c.bg.Lookup("BGRAINBOW"));
  EXPECT_EQ(c.Sheet(Id::kAdvance, 0).dataAxis.background, nullptr);
}

TEST(MapCatalogueTest, PlacementFollowsPageAndScreenScale) {
  struct Case {
    Id id;
    double s;
    ControlRect expected;
  };
  const Case cases[] = {
      {Id::kAdvance, 1.0, {0, 0, 1000, 570}},
      {Id::kPositionB, 1.25, {0, 263, 1000, 263}},
      {Id::kTemperatureSensors, 1.5, {390, 8, 405, 288}},      // at most 288 from 96 dpi up
      {Id::kTemperatureSensors, 0.75, {195, 4, 203, 216}},     // shrinks below 96 dpi
      {Id::kAdvanceTempCorrection, 1.5, {1095, 8, 405, 300}},  // fixed: scaled
      {Id::kDesiredAfr, 1.0, {450, 45, 500, 342}},
  };
  for (const Case& k : cases) EXPECT_EQ(PlaceSheetControl(Layout(k.id), 1000, 600, k.s), k.expected);
}

TEST(MapCatalogueTest, IdleCurveUnitFollowsBikeAndIdleType) {
  struct Case {
    int bike, type, percent;
    std::string title;
    int divisor;
    std::int32_t max;
    double scale;
  };
  const Case cases[] = {
      {61, 2, 0, "Min. position", 1, 100, 1},
      {11, 1, 1, "Start position of intake servo", 1, 100, 1},
      {11, 1, 0, "Start position of intake servo", 5, 1000, 0.005},
      {11, 2, 0, "Desired RPM", 10, 1200, 10},
      {11, 3, 0, "TPS min [in steps of servo]", 1, 30000, 1},
      {11, 0, 0, "", 1, 65535, 1},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.type);
    const IdleCurveUnit& u = IdleCurveFor(k.bike, k.type, k.percent);
    EXPECT_EQ(u.title, k.title);
    EXPECT_EQ(u.divisor, k.divisor);
    EXPECT_EQ(u.max, k.max);
    EXPECT_DOUBLE_EQ(u.scale, k.scale);
  }
}

}  // namespace
