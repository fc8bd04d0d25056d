#pragma once

#include <memory>
#include <vector>

#include "monitor/MonitorComponents.h"
#include "monitor/MonitorSetFile.h"

class CParameterCatalogue;

// Between the dashboard's elements and the records a monitor set stores.

// The record of `element`. `number` is the element's place among the set's
// texts or pictures; labels store `units`, indicators `Style` there instead.
CemRecord RecordFromElement(const CMyObj& element, int number = 0);
// A new element for `record`, bound to the catalogue's row for its id; none
// for a kind that no element has.
std::unique_ptr<CMyObj> ElementFromRecord(const CemRecord& record, const CParameterCatalogue& catalogue);

// Every element of `place` in container order, texts and pictures numbered
// from 0 in that order.
std::vector<CemRecord> RecordsFromPlace(const CMyGroup& place);
// Replaces the elements of `place` with those of `records`.
void PlaceFromRecords(CMyGroup& place, const std::vector<CemRecord>& records, const CParameterCatalogue& catalogue);

// Pixel size from a BMP file image's header; {0, 0} when it is not one.
MonTextSize BmpPixelSize(const std::vector<std::uint8_t>& bytes);
