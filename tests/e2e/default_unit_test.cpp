// The first thing a user does with the demo: Read (F7) from the simulated
// unit as it starts, through the program's core and its real serial code.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "UnitSim.h"
#include "image/Normalise.h"
#include "support/CoreOnDevice.h"
#include "support/PtyUnit.h"
#include "support/SimProcess.h"

namespace {

ConfigImage Normalised(ConfigImage image) {
  NormaliseImage(image);
  return image;
}

TEST(DefaultUnit, ReadOfTheSimulatorProgramEndsWithItsVerify) {
  struct Case {
    std::vector<std::string> options;
    ConfigImage unitImage;  // what the simulator starts with
    const char* message;
  };
  const Case cases[] = {
      {{}, DefaultSimImage(), "Verify: OK"},
      // Out of the program's limits: the read image is normalised, so it no
      // longer matches what the unit holds.
      {{"--blank-image"}, BlankSimImage(), "Verify error!"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    testsupport::SimProcess sim(VENTRIX_UNITSIM_EXE, c.options);
    ASSERT_TRUE(sim.Ok()) << "simulator did not start";
    testsupport::CoreOnDevice line(sim.Device());
    ASSERT_TRUE(line.core->Port().IsOpen()) << line.view.portLabel;
    line.core->StartRead();
    line.RunToIdle([] { std::this_thread::sleep_for(std::chrono::milliseconds(10)); }, 600);
    EXPECT_EQ(line.view.messageText, c.message);
    EXPECT_TRUE(line.core->image == Normalised(c.unitImage));
  }
}

TEST(DefaultUnit, ReadWhileTheUnitTunesItsMapStillVerifies) {
  testsupport::PtyUnit unit;
  testsupport::CoreOnDevice line(unit.pty.SlavePath());
  ASSERT_TRUE(line.core->Port().IsOpen());
  line.core->tuningOn = true;
  const auto pump = [&unit] { unit.Pump(); };
  // The idle link asks the unit to tune; it does once the ride leaves idle.
  for (int i = 0; i < 1200 && unit.sim.TuningSteps() < 2; ++i) {
    line.core->Tick();
    pump();
  }
  ASSERT_GE(unit.sim.TuningSteps(), 2);
  const int stepsBefore = unit.sim.TuningSteps();

  line.core->StartRead();
  line.RunToIdle(pump, 200);
  EXPECT_EQ(line.view.messageText, "Verify: OK");
  EXPECT_TRUE(line.core->image == unit.sim.Image());
  EXPECT_TRUE(unit.sim.Image() != DefaultSimImage()) << "the read took the tuned map";
  EXPECT_EQ(unit.sim.TuningSteps(), stepsBefore) << "no status frames during a run, so no tuning under it";
}

}  // namespace
