#pragma once

#include <string>
#include <string_view>

// When this program was built, as the compiler spells it: "Dec 10 2026" (a
// day below 10 is padded with a blank) and "20:15:03". The EXE line of a
// configuration file and the About window show the same two texts;
// SOURCE_DATE_EPOCH fixes them for reproducible builds.
std::string_view BuildDate();
std::string_view BuildTime();
// "ventrix 0.1.0 (built 2026-12-10)", for --version and the log headers.
std::string VersionText();
