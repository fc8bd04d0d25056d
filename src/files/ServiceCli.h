#pragma once

#include <iosfwd>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The service tools without a window: the options that run them from the
// command line, before anything needs a display. They touch no settings and
// no image state, and need no service marker.
struct ServiceCliCommand {
  const char* option;    // "--write-defaults"
  int operands;          // words that follow it
  const char* synopsis;  // the operands as the usage names them
  const char* help;      // one line for the usage
  // 0, or kExitFileError with a message on `err`.
  int (*run)(std::span<const std::string> operands, std::ostream& out, std::ostream& err);
};

std::span<const ServiceCliCommand> ServiceCliCommands();
const ServiceCliCommand* FindServiceCliCommand(std::string_view option);

// A file could not be read or written; nothing half-written was left.
inline constexpr int kExitFileError = 1;
