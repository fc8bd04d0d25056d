// Any bytes read as a live-data log: the reader stops with a reason or reads
// to the end skipping what is damaged, never reads past the input, never
// keeps more records than the bytes hold, and what it kept writes back to a
// log that reads the same without damage.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "FuzzCheck.h"
#include "link/LiveLog.h"
#include "link/LiveLogCsv.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const LiveLogContents log = ReadLiveLog(std::span<const std::uint8_t>(data, size));
  FUZZ_CHECK(log.stopOffset <= size);
  // Version 1 records are the smallest.
  FUZZ_CHECK(log.frames.size() * LogFrameRecordSize(1) + log.imageChanges.size() * LogImageRecordSize(1) <= size);
  FUZZ_CHECK(log.damagedRecords <= size);
  const bool sound = log.stop == LiveLogStop::kEnd && !log.Damaged();
  FUZZ_CHECK(sound == log.message.empty());
  for (int language = 0; language < 4; ++language)
    FUZZ_CHECK(LiveLogMessage(log, language).empty() == log.message.empty());
  if (!log.HeaderOk()) return 0;
  for (std::size_t f = 1; f < log.frames.size(); ++f) FUZZ_CHECK(log.frames[f - 1].micros <= log.frames[f].micros);

  std::string again;
  AppendLiveLogHeader(again, log.header);
  std::size_t image = 0;
  for (std::size_t f = 0; f <= log.frames.size(); ++f) {
    for (; image < log.imageChanges.size() && log.imageChanges[image].firstFrame == f; ++image)
      AppendImageRecord(again, log.imageChanges[image].micros, log.imageChanges[image].image);
    if (f < log.frames.size()) AppendFrameRecord(again, log.frames[f].micros, log.frames[f].bytes);
  }
  const LiveLogContents reread = ReadLiveLog(again);
  FUZZ_CHECK(reread.stop == LiveLogStop::kEnd);
  FUZZ_CHECK(!reread.Damaged());
  FUZZ_CHECK(reread.frames.size() == log.frames.size());
  FUZZ_CHECK(reread.imageChanges.size() == log.imageChanges.size());
  FUZZ_CHECK(reread.header.unitText == log.header.unitText);

  // The export decodes every frame it is given; a few are enough here.
  LiveLogContents some = log;
  if (some.frames.size() > 8) some.frames.resize(8);
  (void)ExportLiveLogCsv(some, static_cast<int>(size % 4));
  return 0;
}
