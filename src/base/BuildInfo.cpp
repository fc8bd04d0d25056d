#include "base/BuildInfo.h"

// The only translation unit that reads the compiler's clock, so every
// place that shows the build agrees.
std::string_view BuildDate() { return __DATE__; }
std::string_view BuildTime() { return __TIME__; }

std::string VersionText() { return std::string("ventrix ") + VENTRIX_VERSION + " (built " + VENTRIX_BUILD_DATE + ")"; }
