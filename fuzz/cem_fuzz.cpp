// Any bytes read as a monitor set (".cem"), stored again and exported.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzCheck.h"
#include "monitor/MonitorSetFile.h"
#include "monitor/MonitorSource.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const CemParse parse = ParseMonitorSet(bytes);
  FUZZ_CHECK(parse.result >= kCemOk && parse.result <= kCemUnspecific && parse.result != kCemOpenError);
  FUZZ_CHECK(parse.Applies() || parse.set == MonitorSet{});

  // Nothing is held that the file did not carry.
  std::size_t held = parse.set.records.size() * kCemRecordBytes;
  for (const CemRecord& r : parse.set.records) held += r.text.size() + r.picture.size();
  FUZZ_CHECK(held <= size);
  if (!parse.Applies()) return 0;

  // Whatever was taken over, even from a damaged file, stores as a file that
  // reads back whole; an intact file reads back equal.
  const std::string stored = WriteMonitorSet(parse.set);
  const CemParse again = ParseMonitorSet(stored);
  FUZZ_CHECK(again.result == kCemOk);
  FUZZ_CHECK(WriteMonitorSet(again.set) == stored);
  if (parse.result == kCemOk && again.set.records.size() == parse.set.records.size()) {
    FUZZ_CHECK(again.set == parse.set);
  }

  const std::string source = MonitorSourceText(parse.set);
  FUZZ_CHECK(source.size() >= 2 && source.compare(source.size() - 2, 2, "\r\n") == 0);
  return 0;
}
