// An edit of a page setting, committed and programmed (F9) through the real
// serial code: the unit's image changes in that field, plus what the
// normalisation derives from it, and nowhere else.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>

#include "core/AppCore.h"
#include "image/FieldCatalogue.h"
#include "support/CoreOnDevice.h"
#include "support/PtyUnit.h"

namespace {

struct EditCase {
  const char* what;
  FieldId field;
  std::int32_t shown;             // the value the user sets on the page
  std::set<std::size_t> changed;  // image bytes expected to differ in the unit
};

class PageEdit : public ::testing::Test {
 protected:
  bool RunToIdle() {
    const int ticks = link.RunToIdle([&] { unit.Pump(); }, 300);
    return ticks < 300;
  }

  testsupport::PtyUnit unit;
  testsupport::CoreOnDevice link{unit.pty.SlavePath()};
  RecordingView& view = link.view;
  std::unique_ptr<CAppCore>& core = link.core;
};

TEST_F(PageEdit, ProgramSendsTheEditedFieldOnly) {
  // Restated offsets: cooling warning byte 35; N2O stages 99 and 100; the
  // build-up time byte 101 (x100 ms).
  const EditCase cases[] = {
      {"a plain setting", FieldId::kCoolingWarning, 107, {35}},
      {"stage 1 above stage 2 raises stage 2 with it", FieldId::kGasStage1, 95, {99, 100}},
      {"a build-up time of 0 is stored as one step", FieldId::kGasBuildUp, 0, {101}},
  };
  ASSERT_TRUE(core->Port().IsOpen());
  core->StartRead();
  ASSERT_TRUE(RunToIdle());
  ASSERT_EQ(view.messageText, "Verify: OK");

  for (const EditCase& c : cases) {
    const ConfigImage before = unit.sim.Image();
    view.onReadActivePage = [&] { core->params.Value(c.field) = c.shown; };
    core->CommitRequest(1, 0);
    view.onReadActivePage = nullptr;
    core->StartProgram();
    ASSERT_TRUE(RunToIdle()) << c.what;
    EXPECT_EQ(view.messageText, "Program device: OK") << c.what;
    EXPECT_EQ(core->imageMatchesUnit, 1) << c.what;
    const ConfigImage after = unit.sim.Image();
    std::set<std::size_t> differing;
    for (std::size_t i = 0; i < after.size(); ++i)
      if (after[i] != before[i]) differing.insert(i);
    EXPECT_EQ(differing, c.changed) << c.what;
  }
}

}  // namespace
