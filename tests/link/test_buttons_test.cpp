#include <gtest/gtest.h>

#include <array>
#include <string>
#include <string_view>

#include "link/TestButtons.h"
#include "base/UiTexts.h"

namespace {

struct Row {
  const char* name;
  const char* caption;  // English
  int statusByte;
  int bit;
};
// The output tests as the unit knows them, restated: which status frame bit
// each button sets.
constexpr Row kRows[] = {
    {"ButtonTestJet1A", "Injector 1A", 20, 0},
    {"ButtonTestJet2A", "Injector 2A", 20, 1},
    {"ButtonTestJet3A", "Injector 3A", 20, 2},
    {"ButtonTestJet4A", "Injector 4A", 20, 3},
    {"ButtonTestJet1B", "Injector 1B", 20, 4},
    {"ButtonTestJet2B", "Injector 2B", 20, 5},
    {"ButtonTestJet3B", "Injector 3B", 20, 6},
    {"ButtonTestJet4B", "Injector 4B", 20, 7},
    {"ButtonTestIgn1", "Ignition 1", 21, 0},
    {"ButtonTestIgn2", "Ignition 2", 21, 1},
    {"ButtonTestIgn3", "Ignition 3", 21, 2},
    {"ButtonTestIgn4", "Ignition 4", 21, 3},
    {"ButtonTestPilotLight", "Pilot light", 22, 0},
    {"ButtonTestFuelPump", "Fuel pump", 22, 1},
    {"ButtonTestCooling", "Cooling", 22, 2},
    {"ButtonTestGas", "Gas", 22, 3},
    {"ButtonTestRpm", "Rpm", 22, 4},
    {"ButtonTestStop", "Stop", 22, 5},
    {"ButtonTestServoInPlus", "Intake servo plus", 23, 0},
    {"ButtonTestServoInMinus", "Intake servo minus", 23, 1},
    {"ButtonTestServoExPlus", "Exhaust servo plus", 23, 2},
    {"ButtonTestServoExMinus", "Exhaust servo minus", 23, 3},
};

std::string EnglishCaption(std::string_view name) {
  for (const auto& t : ControlCaptions())
    if (name == t.name) return std::string(t.text.Get(kEnglish));
  return "(none)";
}

TEST(TestButtonsTest, EachButtonSetsItsOwnBitAndHasItsCaption) {
  ASSERT_EQ(TestButtons().size(), std::size(kRows));
  for (const auto& row : kRows) {
    const TestButton* b = FindTestButton(row.name);
    ASSERT_NE(b, nullptr) << row.name;
    EXPECT_EQ(FindTestButtonAt(row.statusByte, row.bit), b) << row.name;
    EXPECT_EQ(EnglishCaption(row.name), row.caption);

    OneShotBytes oneShot{};
    ButtonTestClick(oneShot, row.name);
    OneShotBytes expected{};
    expected[std::size_t(row.statusByte - 20)] = static_cast<std::uint8_t>(1u << row.bit);
    EXPECT_EQ(oneShot, expected) << row.name;
  }
  EXPECT_EQ(FindTestButtonAt(21, 4), nullptr) << "a bit no button sets";
  EXPECT_EQ(FindTestButtonAt(24, 0), nullptr);
}

TEST(TestButtonsTest, ClicksAccumulateAndOtherSendersAreIgnored) {
  OneShotBytes oneShot{};
  ButtonTestClick(oneShot, "ButtonTestJet1A");
  ButtonTestClick(oneShot, "ButtonTestJet3B");
  ButtonTestClick(oneShot, "ButtonTestJet1A");
  EXPECT_EQ(oneShot, (OneShotBytes{0x41, 0, 0, 0}));

  for (const char* other :
       {"", "ButtonRead", "ButtonTestJet5A", "buttontestjet2a", "ButtonTestJet2A ", "GroupBoxTestJet"})
    ButtonTestClick(oneShot, other);
  EXPECT_EQ(oneShot, (OneShotBytes{0x41, 0, 0, 0}));

  for (const auto& row : kRows) ButtonTestClick(oneShot, row.name);
  EXPECT_EQ(oneShot, (OneShotBytes{0xFF, 0x0F, 0x3F, 0x0F}));
}

}  // namespace
