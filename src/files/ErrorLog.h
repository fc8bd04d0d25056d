#pragma once

#include <ctime>
#include <string>
#include <string_view>

#include "base/Codepage.h"

// The error log: one line for every error that escaped an event handler, e.g.
// "<LOG TIME=3.2.2026 14:5:9 VTXLOG1_v83: Access violation>" (local time,
// no leading zeros). The message is converted to `page`; its line breaks
// become blanks, so every error stays one line. No line end.
std::string ErrorLogLine(const std::tm& localTime, std::string_view messageUtf8, CodePage page);

// Appends `line` and CR LF to the log at `path`, creating its folder. A log
// that has reached 1 MiB is first renamed to `path` + ".1" (replacing the
// one before), so the log cannot fill the disk. Best effort: false when the
// line could not be written.
bool AppendErrorLog(const std::string& path, std::string_view line);

// The message as the debugger output takes it: in `page`, at most 255 bytes.
std::string DebugOutputText(std::string_view messageUtf8, CodePage page);
