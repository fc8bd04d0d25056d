#pragma once

#include <algorithm>
#include <array>

#include "sheet/TabModel.h"

// An ignition-advance map as the advance page defines it: engine speed in
// hundreds of rpm across, throttle down, degrees in the cells. With more
// points than the 15 x 10 of the real map, the axes run on evenly.
inline int DefineAdvanceSheet(CTabModel& model, int xCount = 15, int yCount = 10) {
  const int s = model.DefineSheet("Advance", "RPM", "TPS", "Advance", xCount, yCount, 0x0701);
  const GraduationRecord g1[] = {
      {4000, 2000, 1000, 200, 1000}, {10000, 2000, 1000, 500, 1000}, {25000, 2000, 1000, 1000, 2000}, {0, 0, 0, 0, 0}};
  model.DefineAxis(s, kPartX, "RPM", nullptr, 1, 250, 100, 1, g1, 1, 1, 1, xCount, 0, 0, 1, -1, 0, 0xFCE2F4, nullptr);
  model.DefineAxis(s, kPartY, "TPS", "%", 0, 100, 1, 1, {}, 0, 1, 1, yCount, 1, 0, 0, -2, 0, 0xFCE2F4, nullptr);
  model.DefineAxis(s, kPartData, "ADV", "\xC2\xB0", -20, 60, 1, 0, {}, 1, 2, 0, 0, 0, 0, 0, 0, 0, 0xFCE2F4, nullptr);
  CSheet& sh = model.Sheet(s);
  constexpr std::array<int, 15> rpm{10, 15, 20, 25, 30, 35, 40, 50, 60, 70, 80, 90, 100, 110, 120};
  constexpr std::array<int, 10> tps{0, 5, 10, 15, 20, 30, 40, 60, 80, 100};
  for (int x = 0; x < xCount; ++x)
    sh.xAxis.values[static_cast<std::size_t>(x)] = x < 15 ? rpm[static_cast<std::size_t>(x)] : 120 + 5 * (x - 14);
  for (int y = 0; y < yCount; ++y)
    sh.yAxis.values[static_cast<std::size_t>(y)] = y < 10 ? tps[static_cast<std::size_t>(y)] : std::min(100, 100 + y);
  for (int y = 0; y < yCount; ++y)
    for (int x = 0; x < xCount; ++x) sh.Cell(x, y) = std::clamp(8 + 2 * x - y, -20, 60);
  model.ApplyAxisRules(s, kPartAll | kPartResetElastic);
  model.SelectSheet(s);
  return s;
}
