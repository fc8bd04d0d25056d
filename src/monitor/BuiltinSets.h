#pragma once

#include <cstdint>
#include <vector>

#include "base/Lang.h"
#include "monitor/MonitorSetFile.h"

// The sets the main window's menu offers ("Empty", "Set1", "Set2", "Set3"),
// in menu order.
enum BuiltinSet : int { kSetEmpty = 0, kSet1 = 1, kSet2 = 2, kSet3 = 3, kBuiltinSetCount = 4 };

// The set with its fixed window rectangle; `origWidth`/`origHeight` are 0:
// the layout takes the client area of the window once it is placed.
// Anything outside 0..3 gives the empty set. Headings are in `language`.
MonitorSet BuiltinMonitorSet(int which, int language = CurrentLanguage());

// Set1's picture: the Ventrix logo as a 24-bit BMP file image.
const std::vector<std::uint8_t>& VentrixLogoBmp();
