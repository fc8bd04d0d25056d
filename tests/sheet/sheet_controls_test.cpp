#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "sheet/SheetControls.h"

namespace {

struct FakeControl : ISheetControl {
  bool focus = false;
  int ticks = 0;
  CTabModel model;
  bool HasInputFocus() const override { return focus; }
  void SheetTick() override { ++ticks; }
  CTabModel& Model() override { return model; }
};

TEST(SheetControlsTest, TwentyControlsAtMost) {
  CSheetControls list;
  std::vector<std::unique_ptr<FakeControl>> controls;
  for (int i = 0; i < 21; ++i) {
    controls.push_back(std::make_unique<FakeControl>());
    EXPECT_EQ(list.Add(controls.back().get()), i < 20) << i;
  }
  EXPECT_EQ(list.Count(), 20);
  EXPECT_EQ(list.At(19), controls[19].get());
  EXPECT_EQ(list.At(20), nullptr);
  EXPECT_FALSE(list.Add(nullptr));
}

TEST(SheetControlsTest, FocusIsAskedInRegistrationOrder) {
  CSheetControls list;
  FakeControl a, b, c;
  for (auto* x : {&a, &b, &c}) list.Add(x);
  EXPECT_EQ(list.Focused(), nullptr);
  c.focus = true;
  EXPECT_EQ(list.Focused(), &c);
  b.focus = true;
  EXPECT_EQ(list.Focused(), &b);
}

TEST(SheetControlsTest, TickRunsEveryControlAndRetakesMarkersOnce) {
  CSheetControls list;
  FakeControl a, b;
  a.model.SetOwnerFields(&list.fields);
  b.model.SetOwnerFields(&list.fields);
  list.Add(&a);
  list.Add(&b);
  list.fields.baseAdvance = 12;
  list.fields.firstLimiter = 9500;
  list.TickAll();
  EXPECT_EQ(a.ticks, 1);
  EXPECT_EQ(b.ticks, 1);
  EXPECT_EQ(a.model.Markers().baseAdvance, 12);
  EXPECT_EQ(b.model.Markers().limiter1, 95);
  EXPECT_EQ(list.fields.sheetControlsFlag & 1, 0);
  // Without the request the markers stay as the controls hold them.
  list.fields.baseAdvance = 20;
  list.TickAll();
  EXPECT_EQ(a.model.Markers().baseAdvance, 12);
  EXPECT_EQ(a.ticks, 2);
}

}  // namespace
