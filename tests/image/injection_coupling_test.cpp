#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "image/InjectionCoupling.h"
#include "image/ParamSet.h"
#include "image/ReferenceTables.h"

namespace {

using Ints = std::vector<std::int32_t>;

constexpr std::array<std::int32_t, 10> kTps{0, 2, 5, 10, 20, 30, 40, 60, 80, 100};

// The injection control as the map catalogue defines it.
struct InjectionRig {
  CTabModel model{0x0071};
  CCouplingCopy copy;
  int mode = 1;

  InjectionRig() {
    static const int picture = 0;
    DefineControl(SheetControlId::kInjection, model, [](std::string_view) { return &picture; });
    model.SetOnSheetChanged([this](CTabModel& m) { AfterInjectionChange(m, mode, copy); });
  }

  CSheet& S(int i) { return model.Sheet(i); }
  std::int32_t& Abs(int sheet, int x, int y) {
    return S(sheet).absolute[static_cast<std::size_t>(y * kCellStride + x)];
  }
  std::int32_t& Base(int sheet, int x, int y) {
    return S(sheet).cellBase[static_cast<std::size_t>(y * kCellStride + x)];
  }

  // Every map over the same speed points, every cell `value`.
  void LoadAll(std::int32_t value,
               const Ints& rpm = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120, 130, 140, 150}) {
    for (int i = 0; i < 4; ++i) Load(i, rpm, Ints(rpm.size() * kTps.size(), value));
  }
  void Load(int sheet, const Ints& rpm, const Ints& values) {
    MapGrid g;
    g.columnAxis = rpm;
    g.rowAxis.assign(kTps.begin(), kTps.end());
    g.values = values;
    model.LoadSheet(sheet, g);
  }
  Ints Row(int sheet, int y, bool absolute = true) {
    Ints r;
    for (int x = 0; x < S(sheet).xAxis.count; ++x) r.push_back(absolute ? Abs(sheet, x, y) : S(sheet).Cell(x, y));
    return r;
  }
  Ints X(int sheet) {
    return Ints(S(sheet).xAxis.values.begin(), S(sheet).xAxis.values.begin() + S(sheet).xAxis.count);
  }
  // Bases without a base table: held as given.
  void SetBase(int sheet, std::int32_t base) { std::fill(S(sheet).cellBase.begin(), S(sheet).cellBase.end(), base); }
  // A typed time on map 1, committed as the cell editor does.
  void Type(int x, int y, const char* text) {
    if (model.ActiveIndex() != 0) model.SelectSheet(0);  // selecting also runs the post-processing
    ASSERT_TRUE(model.CommitEntryText({x, y}, text));
  }
};

// A bike with one reference table per map group, flat at `first`/`second`
// (10 µs), over 1000..15000 rpm; the IAP table flat at `iap`.
struct FixtureTables : IReferenceTables {
  Ints rpm{1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000, 9000, 10000, 11000, 12000, 13000, 14000, 15000};
  Ints throttle{0, 20, 50, 100, 200, 300, 400, 600, 800, 1000};
  Ints pressure{100, 200, 300, 400, 500, 600, 700, 800, 900, 1000};
  Ints first, second, iap;
  int bike = 11;
  InjectionReference ref;

  FixtureTables(std::int32_t a, std::int32_t b, std::int32_t p) : first(150, a), second(150, b), iap(150, p) {
    ref.maps14 = {rpm, throttle, first};
    ref.maps23 = {rpm, throttle, second};
    ref.iap = {rpm, pressure, iap};
  }
  const InjectionReference* Find(int b) const override { return b == bike ? &ref : nullptr; }
};

// ---------------------------------------------------------------- propagation

struct PropagationCase {
  const char* name;
  std::int32_t before1, base1, before2, base2;
  const char* typed;  // new time of map 1, ms
  std::int32_t after2;
};

TEST(InjectionPropagationTest, SamePercentOfEachMapsOwnBase) {
  const PropagationCase cases[] = {
      {"+10 %", 10000, 10000, 8000, 8000, "1.1", 8800},
      {"-10 %", 10000, 10000, 8000, 8000, "0.9", 7200},
      // -95 % on a cell at 25 % of its base: 0, not word 64977 (a 16-bit wrap).
      {"floor", 10000, 10000, 2000, 8000, "0.05", 0},
      {"ceiling", 10000, 10000, 600000, 100000, "10", 655350},
      // A base of 0 divides as 1: no crash, the map-2 time moves by the percent of 1.
      {"no base", 10000, 10000, 8000, 0, "1.1", 8001},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    InjectionRig rig;
    rig.LoadAll(c.before2);
    rig.Abs(0, 3, 2) = c.before1;
    CTabModel::ShownFromAbsolute(rig.S(0));
    for (int i = 0; i < 4; ++i) rig.Base(i, 3, 2) = i == 0 ? c.base1 : c.base2;
    rig.copy.Take(rig.S(0));
    rig.Type(3, 2, c.typed);
    for (int k = 1; k < 4; ++k) {
      EXPECT_EQ(rig.Abs(k, 3, 2), c.after2) << "map " << k + 1;
      EXPECT_EQ(rig.S(k).Cell(3, 2), c.after2);
      EXPECT_EQ(rig.Abs(k, 4, 2), c.before2);  // only the edited cell
    }
  }
}

// The copy must follow every load: a stale copy would push every difference
// of the new map 1 into maps 2-4 with the next edit.
TEST(InjectionPropagationTest, EditAfterALoadPropagatesOnlyThatEdit) {
  InjectionRig rig;
  rig.LoadAll(10000);
  rig.copy.Take(rig.S(0));
  rig.Load(0, rig.X(0), Ints(150, 20000));  // a Read with another map 1
  rig.copy.Take(rig.S(0));
  rig.SetBase(0, 20000);
  for (int k = 1; k < 4; ++k) rig.SetBase(k, 10000);
  rig.Type(0, 0, "2.2");
  EXPECT_EQ(rig.Abs(1, 0, 0), 11000);
  EXPECT_EQ(rig.Abs(1, 1, 0), 10000);
  EXPECT_EQ(rig.Abs(2, 5, 9), 10000);
}

TEST(InjectionPropagationTest, NoCopyOrChangedCountsTakePointsOnly) {
  InjectionRig rig;
  rig.LoadAll(10000);
  rig.Type(0, 0, "2");  // never taken: nothing to compare with
  EXPECT_EQ(rig.Abs(1, 0, 0), 10000);
  EXPECT_EQ(rig.Abs(0, 0, 0), 20000);

  rig.S(0).xAxis.count = 12;  // a deleted column does not shift values across maps
  rig.S(0).xAxis.values[0] = 5;
  rig.Abs(0, 1, 1) = 30000;
  ASSERT_TRUE(rig.copy.Propagate(rig.model) == false);
  EXPECT_EQ(rig.S(3).xAxis.count, 12);
  EXPECT_EQ(rig.X(3)[0], 5);
  EXPECT_EQ(rig.Abs(3, 1, 1), 10000);
}

TEST(InjectionPropagationTest, NormalModeLeavesMapsAlone) {
  InjectionRig rig;
  rig.mode = 0;
  rig.LoadAll(10000);
  rig.copy.Take(rig.S(0));
  rig.Type(2, 2, "3");
  EXPECT_EQ(rig.Abs(1, 2, 2), 10000);
}

// ---------------------------------------------------------------- view

struct ViewCase {
  int mode, cylinders;
  std::array<int, 4> hidden;
  const char* title;
  int leader, follower, followerEditable;
};

TEST(InjectionCouplingViewTest, SheetsTitlesAndLinks) {
  const ViewCase cases[] = {
      {2, 2, {0, 1, 1, 1}, "Injection TPS united", 0, 0, 1},
      {2, 4, {0, 1, 1, 1}, "Injection TPS united", 0, 0, 1},
      {0, 1, {0, 1, 1, 1}, "Injection TPS", 0, 0, 1},
      {1, 1, {0, 1, 1, 1}, "Injection TPS", 1, 1, 0},
      {1, 4, {0, 0, 0, 0}, "Inj. 1", 1, 1, 0},
      {0, 3, {0, 0, 0, 1}, "Inj. 1", 0, 0, 1},
      {7, 2, {0, 0, 1, 1}, "Inj. 1", 0, 0, 1},  // a stored byte above 2 acts as normal
      {0, 0, {0, 1, 1, 1}, "Injection TPS", 0, 0, 1},
  };
  InjectionRig rig;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.mode) + " / " + std::to_string(c.cylinders));
    ApplyCouplingView(rig.model, c.mode, c.cylinders);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(rig.S(i).hidden, c.hidden[static_cast<std::size_t>(i)]) << i;
    EXPECT_EQ(rig.S(4).hidden + rig.S(5).hidden, 0);
    EXPECT_EQ(rig.S(0).title, c.title);
    EXPECT_EQ(rig.S(0).linkLeaderId, c.leader);
    EXPECT_EQ(rig.S(0).xAxis.editable + rig.S(0).dataAxis.editable, 2);
    for (int k = 1; k < 4; ++k) {
      EXPECT_EQ(rig.S(k).linkFollowerId, c.follower);
      EXPECT_EQ(rig.S(k).xAxis.editable, c.followerEditable);
      EXPECT_EQ(rig.S(k).dataAxis.editable, c.followerEditable);
      EXPECT_EQ(rig.S(k).yAxis.editable, 0);  // throttle points stay fixed in every mode
    }
  }
}

TEST(InjectionCouplingViewTest, HiddenActiveSheetFallsBackToMap1) {
  InjectionRig rig;
  ApplyCouplingView(rig.model, 0, 4);
  rig.model.SelectSheet(3);
  ApplyCouplingView(rig.model, 0, 2);
  EXPECT_EQ(rig.model.ActiveIndex(), 0);
  rig.model.SelectSheet(5);
  ApplyCouplingView(rig.model, 2, 4);
  EXPECT_EQ(rig.model.ActiveIndex(), 5);  // "Inj. IAP" is never hidden
}

TEST(InjectionCouplingViewTest, Picture) {
  struct Case {
    int mode, cylinders;
    bool visible;
    const char* text;
    TColor colour;
  };
  const Case cases[] = {
      {1, 2, true, "1 -> 2", 0x00FFFF},
      {1, 3, true, "1 -> 2,3", 0x00FFFF},
      {1, 4, true, "1 -> 2,3,4", 0x00FFFF},
      {2, 2, true, "1 = 2", 0xFFFF00},
      {2, 3, true, "1 = 2 = 3", 0xFFFF00},
      {2, 4, true, "1 = 2 = 3 = 4", 0xFFFF00},
      {0, 4, false, "", 0},
      {1, 1, false, "", 0},
      {2, 1, false, "", 0},
      {3, 4, false, "", 0},
  };
  for (const auto& c : cases) {
    const CouplingPictureState p = CouplingPicture(c.mode, c.cylinders);
    EXPECT_EQ(p.visible, c.visible) << c.mode << "/" << c.cylinders;
    if (!c.visible) continue;
    EXPECT_EQ(p.text, c.text);
    EXPECT_EQ(p.colour, c.colour);
  }
}

// ---------------------------------------------------------------- commands

struct ResampleCase {
  const char* name;
  Ints rpm2, row2;  // map 2's points and its values in every row
  Ints rpm1;
  Ints expected;
};

TEST(InjectionCouplingCommandTest, CoupledResamplesMaps2To4OntoMap1) {
  const ResampleCase cases[] = {
      {"between and beyond", {10, 20, 30}, {100, 200, 400}, {15, 20, 40}, {150, 200, 400}},
      {"below the first point", {10, 20, 30}, {100, 200, 400}, {5, 25, 26}, {100, 300, 320}},
      {"half away from zero", {10, 20}, {1, 2}, {15, 20}, {2, 2}},
      {"more points", {10, 30}, {1000, 3000}, {10, 15, 20, 25, 30}, {1000, 1500, 2000, 2500, 3000}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    InjectionRig rig;
    CParamSet params;
    rig.Load(0, c.rpm1, Ints(c.rpm1.size() * 10, 5000));
    for (int k = 1; k < 4; ++k) {
      Ints values;
      for (std::size_t y = 0; y < 10; ++y) values.insert(values.end(), c.row2.begin(), c.row2.end());
      rig.Load(k, c.rpm2, values);
    }
    ApplyCouplingCommand(rig.model, params, rig.copy, 1);
    EXPECT_EQ(params.Value(FieldId::kInjectionCoupling), 1);
    for (int k = 1; k < 4; ++k) {
      EXPECT_EQ(rig.X(k), c.rpm1);
      EXPECT_EQ(rig.Row(k, 0), c.expected);
      EXPECT_EQ(rig.Row(k, 9, false), c.expected);
      // In the parameter set at once: the next store must not lose them.
      const MapGrid& g = params.Grid(static_cast<MapId>(static_cast<int>(MapId::kInjection1) + k));
      EXPECT_EQ(g.columnAxis, c.rpm1);
      EXPECT_EQ(Ints(g.values.begin(), g.values.begin() + static_cast<long>(c.rpm1.size())), c.expected);
    }
  }
}

// Maps 2 and 3 have another base than map 1: interpolating percentages would
// give other times than the ones the unit ran.
TEST(InjectionCouplingCommandTest, ResamplesTimesNotPercentages) {
  InjectionRig rig;
  FixtureTables tables(10, 10, 10);
  for (std::size_t i = 0; i < tables.second.size(); ++i) tables.second[i] = (i % 15) < 1 ? 20 : 10;
  rig.Load(0, {10, 20, 30}, Ints(30, 5000));
  rig.Load(1, {10, 30}, Ints{1000, 3000, 1000, 3000, 1000, 3000, 1000, 3000, 1000, 3000,
                             1000, 3000, 1000, 3000, 1000, 3000, 1000, 3000, 1000, 3000});
  ASSERT_TRUE(ApplyBaseTables(rig.model, tables, tables.bike));
  SetInjectionDisplay(rig.model, false, nullptr);
  ASSERT_EQ(rig.Row(1, 0, false), (Ints{50, 300}));
  CParamSet params;
  ApplyCouplingCommand(rig.model, params, rig.copy, 1);
  EXPECT_EQ(rig.Row(1, 0), (Ints{1000, 2000, 3000}));
  EXPECT_EQ(rig.Row(1, 0, false), (Ints{50, 200, 300}));
}

TEST(InjectionCouplingCommandTest, LeavingAllEqualCopiesMap1) {
  for (int target : {0, 1}) {
    SCOPED_TRACE(target);
    InjectionRig rig;
    CParamSet params;
    params.Value(FieldId::kInjectionCoupling) = 2;
    rig.LoadAll(7000);
    rig.Load(0, {10, 20, 40, 80}, Ints(40, 12340));
    ApplyCouplingCommand(rig.model, params, rig.copy, target);
    EXPECT_EQ(params.Value(FieldId::kInjectionCoupling), target);
    for (int k = 1; k < 4; ++k) {
      EXPECT_EQ(rig.X(k), (Ints{10, 20, 40, 80}));
      EXPECT_EQ(rig.Row(k, 5), (Ints{12340, 12340, 12340, 12340}));
      EXPECT_EQ(params.Grid(static_cast<MapId>(static_cast<int>(MapId::kInjection1) + k)).values[0], 12340);
    }
  }
}

TEST(InjectionCouplingCommandTest, OtherCommandsLeaveMapsAlone) {
  struct Case {
    int from, to;
  };
  for (const Case c : {Case{0, 2}, Case{1, 2}, Case{1, 0}, Case{2, 2}, Case{5, 0}}) {
    InjectionRig rig;
    CParamSet params;
    params.Value(FieldId::kInjectionCoupling) = c.from;
    rig.LoadAll(7000);
    rig.Load(0, rig.X(0), Ints(150, 12340));
    ApplyCouplingCommand(rig.model, params, rig.copy, c.to);
    EXPECT_EQ(params.Value(FieldId::kInjectionCoupling), c.to);
    EXPECT_EQ(rig.Abs(2, 0, 0), 7000) << c.from << " -> " << c.to;
    EXPECT_TRUE(params.Grid(MapId::kInjection3).values.empty());
  }
}

// Entering mode 1 takes the copy: the first edit afterwards propagates alone.
TEST(InjectionCouplingCommandTest, EnteringCoupledTakesTheCopy) {
  InjectionRig rig;
  CParamSet params;
  rig.LoadAll(10000);
  rig.Load(0, rig.X(0), Ints(150, 20000));
  rig.SetBase(0, 20000);
  for (int k = 1; k < 4; ++k) rig.SetBase(k, 10000);
  ApplyCouplingCommand(rig.model, params, rig.copy, 1);
  rig.Type(1, 1, "2.2");
  EXPECT_EQ(rig.Abs(1, 1, 1), 11000);
  EXPECT_EQ(rig.Abs(1, 0, 0), 10000);
}

// ---------------------------------------------------------------- time / percent

TEST(InjectionDisplayTest, PercentRoundTripKeepsUntouchedTimesExact) {
  InjectionRig rig;
  FixtureTables tables(30, 30, 30);  // a base of 3000 in every cell
  rig.LoadAll(12340);                // word 1234
  ASSERT_TRUE(ApplyBaseTables(rig.model, tables, tables.bike));
  EXPECT_EQ(rig.Base(0, 4, 4), 3000);
  SetInjectionDisplay(rig.model, false, nullptr);
  EXPECT_EQ(rig.S(0).Cell(0, 0), 411);
  rig.model.SelectSheet(1);  // a tab switch runs the post-processing
  rig.model.SelectSheet(0);
  rig.Type(1, 0, "412");
  EXPECT_EQ(rig.Abs(0, 1, 0), 12360);
  EXPECT_EQ(rig.Abs(0, 0, 0), 12340);
  EXPECT_EQ(rig.model.StoreSheet(0).values[0] / 10, 1234);
  SetInjectionDisplay(rig.model, true, nullptr);
  EXPECT_EQ(rig.S(0).Cell(0, 0), 12340);
  EXPECT_EQ(rig.S(0).Cell(1, 0), 12360);
}

TEST(InjectionDisplayTest, ColoursAndBackgrounds) {
  static const int green = 0, blue = 0;
  const BackgroundLookup lookup = [](std::string_view name) -> const void* {
    return name == "BGINJG" ? &green : (name == "BGINJB" ? &blue : nullptr);
  };
  InjectionRig rig;
  FixtureTables tables(30, 30, 30);
  ASSERT_TRUE(ApplyBaseTables(rig.model, tables, tables.bike));
  for (bool asTime : {true, false}) {
    SCOPED_TRACE(asTime);
    SetInjectionDisplay(rig.model, asTime, lookup);
    const TColor colour = asTime ? 0xF4FEE4 : 0xFCF2E4;
    for (int i : {0, 1, 2, 3, 5}) {
      EXPECT_EQ(rig.S(i).percentMode, asTime ? 0 : 1) << i;
      EXPECT_EQ(rig.S(i).dataAxis.colour, colour) << i;
      EXPECT_EQ(rig.S(i).xAxis.colour, colour) << i;
      EXPECT_EQ(rig.S(i).yAxis.colour, i == 5 ? 0xFFEEEEu : colour) << i;
      EXPECT_EQ(rig.S(i).dataAxis.background, asTime ? &green : &blue) << i;
    }
    EXPECT_EQ(rig.S(4).dataAxis.colour, 0xFCF2E4u);
    EXPECT_EQ(rig.S(4).dataAxis.background, &blue);
  }
}

// ---------------------------------------------------------------- base tables

TEST(InjectionBaseTablesTest, BikeWithoutTablesShowsTimes) {
  InjectionRig rig;
  FixtureTables tables(30, 30, 30);
  rig.LoadAll(12340);
  ASSERT_TRUE(ApplyBaseTables(rig.model, tables, tables.bike));
  SetInjectionDisplay(rig.model, false, nullptr);
  ASSERT_EQ(rig.S(0).Cell(0, 0), 411);
  EXPECT_FALSE(ApplyBaseTables(rig.model, tables, 38));  // another bike, no tables yet
  for (int i : {0, 1, 2, 3, 5}) {
    EXPECT_FALSE(rig.S(i).HasBaseTable());
    EXPECT_EQ(rig.S(i).percentMode, 0);
  }
  EXPECT_EQ(rig.S(0).Cell(0, 0), 12340);
  SetInjectionDisplay(rig.model, false, nullptr);  // never percent of nothing
  EXPECT_EQ(rig.S(0).Cell(0, 0), 12340);
  EXPECT_EQ(rig.S(0).dataAxis.colour, 0xF4FEE4u);
}

TEST(InjectionBaseTablesTest, TablesPerMapAndScaledPoints) {
  InjectionRig rig;
  FixtureTables tables(30, 50, 70);
  // A slope along the speed points: 3000 at 1000 rpm, 4400 at 15000 rpm.
  for (std::size_t i = 0; i < tables.first.size(); ++i) tables.first[i] = 30 + static_cast<std::int32_t>(i % 15);
  // IAP rows by pressure: 10 at 10 kPa up to 100 at 100 kPa.
  for (std::size_t i = 0; i < tables.iap.size(); ++i) tables.iap[i] = 10 * static_cast<std::int32_t>(i / 15 + 1);
  rig.LoadAll(10000, {10, 15, 150});
  MapGrid iap;
  iap.columnAxis = {10, 15, 150};
  iap.rowAxis = {10, 20, 30, 40, 50, 60, 70, 80, 90, 95};
  iap.values.assign(30, 10000);
  rig.model.LoadSheet(5, iap);
  ASSERT_TRUE(ApplyBaseTables(rig.model, tables, tables.bike));
  for (int map : {0, 3})
    EXPECT_EQ((Ints{rig.Base(map, 0, 0), rig.Base(map, 1, 0), rig.Base(map, 2, 0)}), (Ints{3000, 3050, 4400}));
  for (int map : {1, 2}) EXPECT_EQ(rig.Base(map, 1, 3), 5000);
  EXPECT_EQ(rig.Base(5, 0, 0), 1000);
  EXPECT_EQ(rig.Base(5, 0, 9), 9500);
}

}  // namespace
