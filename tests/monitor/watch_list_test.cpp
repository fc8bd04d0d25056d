// The "Add watch" list: tree, checks and what OK changes.

#include <gtest/gtest.h>

#include "monitor/WatchList.h"

namespace {

// The monitor shows RPM as label and value.
WatchChecks Existing(int id) { return id == kCidRpm ? WatchChecks{true, true, false} : WatchChecks{}; }

TEST(WatchList, TreeOpensAndClosesGroups) {
  const CParameterCatalogue catalogue;
  CWatchList list(catalogue, Existing);
  const auto closed = list.VisibleRows();
  for (const auto& row : closed) EXPECT_EQ(row.depth, 0);
  ASSERT_FALSE(closed.empty());
  EXPECT_TRUE(closed.front().group);

  list.ToggleOpen(1000);  // "Basic"
  const auto open = list.VisibleRows();
  EXPECT_GT(open.size(), closed.size());
  EXPECT_EQ(open[1].cid->id, kCidRpm);
  EXPECT_EQ(open[1].depth, 1);
  list.ToggleOpen(1000);
  EXPECT_EQ(list.VisibleRows().size(), closed.size());

  list.MoveCurrent(CWatchList::Move::kEnd, 10);
  EXPECT_EQ(list.Current(), static_cast<int>(closed.size()) - 1);
  list.MoveCurrent(CWatchList::Move::kPageDown, 10);
  EXPECT_EQ(list.Current(), static_cast<int>(closed.size()) - 1);
  list.MoveCurrent(CWatchList::Move::kPageUp, 100);
  EXPECT_EQ(list.Current(), 0);
  list.MoveCurrent(CWatchList::Move::kUp, 10);
  EXPECT_EQ(list.Current(), 0);
}

TEST(WatchList, ChecksAndChanges) {
  const CParameterCatalogue catalogue;
  CWatchList list(catalogue, Existing);
  EXPECT_EQ(list.Checks(kCidRpm), (WatchChecks{true, true, false}));
  EXPECT_TRUE(list.Changes().empty());
  EXPECT_EQ(list.GroupState(1000, kWatchLabel), GroupCheck::kSome);

  list.Toggle(kCidRpm, kWatchIndicator);  // add
  list.Toggle(kCidRpm, kWatchLabel);      // remove
  auto changes = list.Changes();
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].id, kCidRpm);
  EXPECT_EQ(changes[0].depth, 1);
  EXPECT_EQ(changes[0].added, (WatchChecks{false, false, true}));
  EXPECT_EQ(changes[0].removed, (WatchChecks{true, false, false}));

  // A group's check sets its whole subtree, then clears it.
  list.Toggle(1000, kWatchValue);
  EXPECT_EQ(list.GroupState(1000, kWatchValue), GroupCheck::kAll);
  list.Toggle(1000, kWatchValue);
  EXPECT_EQ(list.GroupState(1000, kWatchValue), GroupCheck::kNone);
  EXPECT_EQ(list.Checks(kCidRpm)[kWatchValue], false);
  // Toggling back restores the opening state: no change for that column.
  list.Toggle(kCidRpm, kWatchValue);
  changes = list.Changes();
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_FALSE(changes[0].removed[kWatchValue]);
}

}  // namespace
