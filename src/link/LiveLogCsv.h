#pragma once

#include <string>

#include "link/LiveLog.h"

// A log as CSV for spreadsheets and plotting tools: a header line of names
// and units in `language`, then one row per frame: the time in seconds and
// every value the frame carries, scaled as the Monitor page shows it. The
// decimal point is always "." whatever the locale. A coolant, intake pressure
// or throttle value the unit reports as a sensor error is an empty cell,
// where the Monitor page says "error".
std::string LiveLogCsvHeader(int language);
// One row (with its line end) for `frame`, read with the image in force then.
void AppendLiveLogCsvRow(std::string& out, const LiveLogFrame& frame, const ConfigImage& image);
std::string ExportLiveLogCsv(const LiveLogContents& log, int language);
