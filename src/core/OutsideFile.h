#pragma once

#include <string>
#include <string_view>

// Files that come from outside the program's own dialogs: named on the
// command line, handed over by a second start, dropped on the main window or
// double-clicked on the desktop. Each goes where its kind belongs: a tune
// into the image, a monitor set into the monitor window, a live-data log
// into playback.
enum class OutsideFileKind { kConfig, kMonitorSet, kLiveLog };

// By the name's extension, ignoring case: ".cem" a monitor set, ".vxlog" a
// live-data log; anything else is read as a tune, as File > Open would.
OutsideFileKind KindOfOutsideFile(std::string_view path);
// Whether a drop may take the file: the kinds above by their extensions.
bool IsOutsideFileName(std::string_view path);

// Why the file at `path` cannot be opened as its kind: missing, unreadable,
// a folder, or not a file of its kind at all (no version of a tune this
// program reads, no monitor set, no live-data log). Empty when it may be
// opened; a file that opens with warnings (a damaged tune, a log cut short)
// is left to the window, which shows them. English, for the command line.
std::string OutsideFileProblem(const std::string& path);
