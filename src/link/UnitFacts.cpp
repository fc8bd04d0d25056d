#include "link/UnitFacts.h"

#include <cstdio>

std::string UnitVersionsText(int unitVersion) {
  char text[48];
  std::snprintf(text, sizeof text, "  PC-%d, IGN-%d", kUnitVersion, unitVersion);
  return text;
}
