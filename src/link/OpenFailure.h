#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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
  std::string device;  // the path tried; empty when the COM number maps to no device
  std::string group;   // PermissionDenied: the group that owns the device ("dialout")
  std::string owner;   // PermissionDenied: the user that owns it ("root")
  unsigned mode = 0;   // PermissionDenied: its type and permission bits, as stat gives them
  // PermissionDenied: the groups owning the machine's other serial devices.
  std::vector<std::string> serialGroups;
  int holderPid = 0;       // Busy: the process holding the device, 0 when unknown
  std::string holderName;  // its command name
  std::string system;      // Other: the system's error text
};

// The group a user may safely be added to for the device: its own group
// when that is one serial devices use (dialout, uucp, tty, or the group of
// another serial device on the machine), never a group that gives more
// than serial ports (root and the administrators' groups). Empty for none.
std::string SuggestedSerialGroup(const OpenFailure& failure);
// The mode as ls shows it: "crw-rw----".
std::string ModeText(unsigned mode);

// The line shown under "Com opening error!" in `language`: what went wrong
// with COM `comNumber` and what to do about it. Empty for kind None.
std::string OpenFailureText(const OpenFailure& failure, int comNumber, int language);
