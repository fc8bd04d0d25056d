// The commit of the parameter pages through the core: when a request runs
// the sequence, and what the sequence does.

#include <gtest/gtest.h>

#include "core/AppCore.h"
#include "image/FieldCatalogue.h"
#include "support/FakePort.h"
#include "support/RecordingView.h"

namespace {

struct Request {
  int tick;  // core tick count at which the request is made
  int control;
  int key;  // 0 = now
};

struct GateCase {
  const char* what;
  std::vector<Request> requests;
  std::vector<int> commitTicks;  // the ticks at which the sequence ran
};

// Runs the core tick by tick, making each request at its tick (after that
// tick's own check), and notes when the commit sequence ran.
std::vector<int> CommitTicks(const std::vector<Request>& requests, int lastTick) {
  RecordingView view;
  CAppCore core(view, std::make_unique<FakePort>());
  std::vector<int> ticks;
  view.onReadActivePage = [&] { ticks.push_back(core.tickCount); };
  for (int t = 1; t <= lastTick; ++t) {
    core.Tick();
    for (const Request& r : requests)
      if (r.tick == t) core.CommitRequest(r.control, r.key);
  }
  return ticks;
}

TEST(CommitGate, RequestsCommitAtTheirTicks) {
  // Up/down keys are the control's id + 1, as the window gives them.
  const GateCase cases[] = {
      {"a typed value or a check box commits at once", {{3, 7, 0}}, {3}},
      {"three clicks 100 ms apart commit once, 5 ticks after the third", {{10, 4, 5}, {12, 4, 5}, {14, 4, 5}}, {19}},
      {"a click on a second up/down commits both at once, and nothing stays pending", {{10, 4, 5}, {12, 9, 10}}, {12}},
      {"Enter after clicks on the same control commits at once, once", {{10, 4, 5}, {11, 4, 0}}, {11}},
      {"leaving another edit takes the pending clicks with it", {{10, 4, 5}, {11, 2, 0}}, {11}},
      {"a click after the commit starts a new run", {{10, 4, 5}, {16, 4, 5}}, {15, 21}},
  };
  for (const GateCase& c : cases) EXPECT_EQ(CommitTicks(c.requests, 30), c.commitTicks) << c.what;
}

TEST(CommitGate, PendingChangeGoesInBeforeARunAndNeverDuringARead) {
  RecordingView view;
  CAppCore core(view, std::make_unique<FakePort>());
  core.NormaliseAndLoad();
  int reads = 0;
  view.onReadActivePage = [&] {
    ++reads;
    core.params.Value(FieldId::kGasStage1) = 40;  // the user's edit on the page
  };

  core.CommitRequest(4, 5);
  EXPECT_EQ(reads, 0);
  core.StartRead();  // the pending change is committed first
  EXPECT_EQ(reads, 1);
  EXPECT_EQ(core.image[99], 40);
  EXPECT_FALSE(core.pendingCommit.Pending());

  // During the Read the image fills block by block: no commit stores into it.
  ASSERT_EQ(core.mode, LinkMode::Reading);
  core.image[99] = 0;
  core.CommitRequest(7, 0);
  EXPECT_EQ(reads, 1);
  EXPECT_EQ(core.image[99], 0);
}

TEST(CommitGate, SequenceStoresNormalisesLoadsAndWritesThePageBack) {
  RecordingView view;
  CAppCore core(view, std::make_unique<FakePort>());
  core.NormaliseAndLoad();
  // Stage 2 below stage 1 is raised to it; a build-up time of 0 becomes one step.
  view.onReadActivePage = [&] {
    core.params.Value(FieldId::kGasStage1) = 50;
    core.params.Value(FieldId::kGasStage2) = 30;
    core.params.Value(FieldId::kGasBuildUp) = 0;
  };
  core.CommitRequest(1, 0);
  EXPECT_EQ(view.activePageWrites, 1);
  EXPECT_EQ(core.image[99], 50);
  EXPECT_EQ(core.image[100], 50);
  EXPECT_EQ(core.params.Value(FieldId::kGasStage2), 50);
  EXPECT_EQ(core.image[101], 1);
  EXPECT_EQ(core.params.Value(FieldId::kGasBuildUp), 100);
  EXPECT_FALSE(core.reloadGuard);
}

}  // namespace
