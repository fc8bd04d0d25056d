#include <gtest/gtest.h>

#include <memory>

#include "core/AppCore.h"
#include "base/Lang.h"
#include "support/FakePort.h"
#include "support/RecordingView.h"

namespace {

class PrintModeTest : public ::testing::Test {
 protected:
  PrintModeTest() : core(view, std::make_unique<FakePort>()), port(static_cast<FakePort&>(core.Port())) {
    SetCurrentLanguage(kEnglish);
    core.textSlots.Apply(kEnglish);
  }
  void TickTo(int last) {
    while (core.tickCount < last) core.Tick();
  }

  RecordingView view;
  CAppCore core;
  FakePort& port;
};

TEST_F(PrintModeTest, StampIsShownOnWhiteForTwoHundredTicksInTheCurrentLanguage) {
  struct Case {
    int language;
    const char* expected;
  };
  const Case cases[] = {
      {kEnglish, "Date and time of printing:  10.12.2026    20:15:03"},
      {kCzech, "Datum a čas tisku:  10.12.2026    20:15:03"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.language);
    core.textSlots.Apply(c.language);
    view.noConnectionVisible = true;
    view.gaugeVisible = true;
    view.messageVisible = false;
    const int start = core.tickCount;
    core.ShowPrintStamp("10.12.2026    20:15:03");
    EXPECT_EQ(view.messageText, c.expected);
    EXPECT_EQ(view.messageColour, 0x00FFFFFFu) << "white";
    EXPECT_TRUE(view.messageVisible);
    EXPECT_FALSE(view.noConnectionVisible);
    EXPECT_FALSE(view.gaugeVisible);
    TickTo(start + 199);
    EXPECT_TRUE(view.messageVisible) << "the stamp stays after printing";
    core.Tick();
    EXPECT_FALSE(view.messageVisible) << "hidden when the 200 ticks are over";
  }
}

// The watchdog shows LabelSpojeni on every silent tick; a print job must not
// get it back onto the paper, yet the reconnect rhythm goes on.
TEST_F(PrintModeTest, LabelSpojeniStaysHiddenWhilePrinting) {
  core.OpenPort();
  core.printMode = true;
  TickTo(40);
  EXPECT_FALSE(view.noConnectionVisible);
  EXPECT_TRUE(core.NoConnectionShown()) << "the link still knows it is silent";
  EXPECT_EQ(port.openAttempts.size(), 2u) << "reopened after 30 silent ticks, as without printing";
  core.printMode = false;
  core.Tick();
  EXPECT_TRUE(view.noConnectionVisible);
}

}  // namespace
