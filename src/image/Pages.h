#pragma once

#include <array>

// The pages of the main window's page control, by index. The index is the
// tab position; the edit history, the file reader and the default
// configuration refer to pages by these numbers.
enum PageIndex : int {
  kPageBike = 0,
  kPageAdvance = 1,
  kPageInjection = 2,
  kPagePosition = 3,
  kPageCorrections = 4,
  kPageSensors = 5,
  kPageServo = 6,
  kPageRace = 7,
  kPageGear = 8,
  kPageIdle = 9,
  kPageN2o = 10,
  kPageTuning = 11,
  kPageMonitor = 12,
  kPageTest = 13,
  kPageCount = 14
};

// Object names of the pages, in index order.
inline constexpr std::array<const char*, kPageCount> kPageNames = {
    "TabSheet_Bike",  "TabSheet_Advance", "TabSheet_Injection", "TabSheet_Position", "TabSheet_Korekce",
    "TabSheet_Cidla", "TabSheet_Servo",   "TabSheet_Race",      "TabSheet_Gear",     "TabSheet_Idle",
    "TabSheet_Gas",   "TabSheet_Ladeni",  "TabSheet_Monitor",   "TabSheet_Test",
};
