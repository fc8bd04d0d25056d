#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "link/Frame.h"

// One output test of the Test page: the button that asks for it and the bit
// of the status frame that carries the request to the unit.
struct TestButton {
  const char* name;         // object name of the button; its caption is in UiTexts by this name
  std::uint8_t statusByte;  // 20..23
  std::uint8_t bit;
};

// The one test button the test lock leaves enabled: it ends a running test.
inline constexpr std::string_view kTestStopButton = "ButtonTestStop";

// All 22 test buttons, in the order of their bits.
std::span<const TestButton> TestButtons();
// The button of that name; nullptr for any other control.
const TestButton* FindTestButton(std::string_view name);
// The button whose request travels in that bit; nullptr when none does.
const TestButton* FindTestButtonAt(int statusByte, int bit);

// Shared click handler of the test buttons: sets the button's bit in the
// requests for the next status frame, so clicks before it accumulate. Any
// other sender changes nothing.
void ButtonTestClick(OneShotBytes& oneShot, std::string_view name);
