#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "sheet/TabModel.h"

// A control with one active sheet: X 0..1000 gap 5, Y 0..1000 gap 1, data
// -1000..1000, everything editable and insertable; OnSheetChanged counted.
struct SheetRig {
  CTabModel model{kOptionButtonBar | kOptionTable | kOptionGraph2D | kOptionGraph3D};
  int changes = 0;
  std::vector<std::string> errors;
  int sheet = -1;

  explicit SheetRig(int xCount = 4, int yCount = 3, int xMax = 8, int yMax = 6, std::uint32_t flags = 0) {
    model.SetOnSheetChanged([this](CTabModel&) { ++changes; });
    model.SetOnError([this](std::string_view text, std::string_view caption) {
      errors.push_back(std::string(caption) + "|" + std::string(text));
    });
    sheet = model.DefineSheet("Advance", "RPM", "TPS", "Advance", xMax, yMax, flags);
    model.DefineAxis(sheet, kPartX, "RPM", "", 0, 1000, 1.0, 5, {}, 1, 0, 1, xCount, 1, 0, 1, -3, 1, 0xFFFFFF, nullptr);
    model.DefineAxis(sheet, kPartY, "TPS", "", 0, 1000, 1.0, 1, {}, 1, 0, 1, yCount, 1, 0, 1, -3, 1, 0xFFFFFF, nullptr);
    model.DefineAxis(sheet, kPartData, "ADV", "", -1000, 1000, 1.0, 0, {}, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0xFFFFFF,
                     nullptr);
    for (int x = 0; x < xCount; ++x) S().xAxis.values[static_cast<std::size_t>(x)] = 10 * (x + 1);
    for (int y = 0; y < yCount; ++y) S().yAxis.values[static_cast<std::size_t>(y)] = y + 1;
    model.ApplyAxisRules(sheet, kPartAll | kPartResetElastic);
    model.SelectSheet(sheet);
    changes = 0;
  }

  CSheet& S() { return model.Sheet(sheet); }

  std::vector<int> X() {
    return std::vector<int>(S().xAxis.values.begin(), S().xAxis.values.begin() + S().xAxis.count);
  }
  std::vector<int> Row(int y) {
    std::vector<int> r;
    for (int x = 0; x < S().xAxis.count; ++x) r.push_back(S().Cell(x, y));
    return r;
  }
  void SetRow(int y, std::initializer_list<int> v) {
    int x = 0;
    for (int c : v) S().Cell(x++, y) = c;
  }
  void SetX(std::initializer_list<int> v) {
    int x = 0;
    for (int c : v) S().xAxis.values[static_cast<std::size_t>(x++)] = c;
    model.ApplyAxisRules(sheet, kPartX | kPartResetElastic);
  }
};
