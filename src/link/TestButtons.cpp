#include "link/TestButtons.h"

#include <algorithm>

namespace {
constexpr TestButton kTestButtons[] = {
    {"ButtonTestJet1A", 20, 0},        {"ButtonTestJet2A", 20, 1},        {"ButtonTestJet3A", 20, 2},
    {"ButtonTestJet4A", 20, 3},        {"ButtonTestJet1B", 20, 4},        {"ButtonTestJet2B", 20, 5},
    {"ButtonTestJet3B", 20, 6},        {"ButtonTestJet4B", 20, 7},        {"ButtonTestIgn1", 21, 0},
    {"ButtonTestIgn2", 21, 1},         {"ButtonTestIgn3", 21, 2},         {"ButtonTestIgn4", 21, 3},
    {"ButtonTestPilotLight", 22, 0},   {"ButtonTestFuelPump", 22, 1},     {"ButtonTestCooling", 22, 2},
    {"ButtonTestGas", 22, 3},          {"ButtonTestRpm", 22, 4},          {"ButtonTestStop", 22, 5},
    {"ButtonTestServoInPlus", 23, 0},  {"ButtonTestServoInMinus", 23, 1}, {"ButtonTestServoExPlus", 23, 2},
    {"ButtonTestServoExMinus", 23, 3},
};

constexpr bool RequestsFitTheStatusFrame() {
  for (const auto& b : kTestButtons)
    if (b.statusByte < kStatusTestRequests || b.statusByte >= kStatusTestRequests + kTestRequestBytes || b.bit > 7)
      return false;
  return true;
}
static_assert(RequestsFitTheStatusFrame());
}  // namespace

std::span<const TestButton> TestButtons() { return kTestButtons; }

const TestButton* FindTestButton(std::string_view name) {
  const auto it = std::find_if(std::begin(kTestButtons), std::end(kTestButtons),
                               [name](const TestButton& b) { return name == b.name; });
  return it == std::end(kTestButtons) ? nullptr : &*it;
}

const TestButton* FindTestButtonAt(int statusByte, int bit) {
  const auto it = std::find_if(std::begin(kTestButtons), std::end(kTestButtons),
                               [&](const TestButton& b) { return b.statusByte == statusByte && b.bit == bit; });
  return it == std::end(kTestButtons) ? nullptr : &*it;
}

void ButtonTestClick(OneShotBytes& oneShot, std::string_view name) {
  if (const TestButton* b = FindTestButton(name))
    oneShot[b->statusByte - kStatusTestRequests] |= static_cast<std::uint8_t>(1u << b->bit);
}
