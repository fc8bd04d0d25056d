#pragma once

#include <cstdint>

// Request codes a firmware loader sends with the number of the port it wants.
constexpr std::uint32_t kReleasePort = 0x7FFFFFA1;          // release the port
constexpr std::uint32_t kResetAndReleasePort = 0x7FFFFFA2;  // reset the unit, then release
constexpr std::uint32_t kPortFree = 0x7FFFFFA4;             // the port is free again
