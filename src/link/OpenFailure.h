#pragma once

#include <cstdint>
#include <string>

// Why a serial port could not be opened, told apart so that the user gets
// the fix and not just the failure.
enum class OpenFailureKind : std::uint8_t {
  None,              // the last open worked, or the port cannot tell
  NoDevice,          // nothing at that path, or no device behind the COM number
  PermissionDenied,  // the device exists but the user may not open it
  Busy,              // another program holds it
  NotSerial,         // it opens, but it is no terminal
  Other,             // anything else; `system` says what
};

struct OpenFailure {
  OpenFailureKind kind = OpenFailureKind::None;
  std::string device;      // the path tried; empty when the COM number maps to no device
  std::string group;       // PermissionDenied: the group that owns the device ("dialout")
  int holderPid = 0;       // Busy: the process holding the device, 0 when unknown
  std::string holderName;  // its command name
  std::string system;      // Other: the system's error text
};

// The line shown under "Com opening error!" in `language`: what went wrong
// with COM `comNumber` and what to do about it. Empty for kind None.
std::string OpenFailureText(const OpenFailure& failure, int comNumber, int language);
