#pragma once

#include <string>

#include "monitor/MonitorSetFile.h"

// A monitor set as the program statements that build it, the way the
// built-in sets were first written down. Lines end in CR LF; texts keep the
// set's 8-bit bytes.
std::string MonitorSourceText(const MonitorSet& set);

// Writes the export to `path`: 0, or kCemOpenError when it cannot be written.
int ExportMonitorSourceFile(const std::string& path, const MonitorSet& set);
