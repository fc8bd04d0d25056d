#include "link/LiveLogCsv.h"

#include <charconv>
#include <cstdint>
#include <string_view>

#include "link/LiveChannels.h"

namespace {

void AppendField(std::string& out, std::string_view text) {
  if (text.find_first_of(",\"\n") == std::string_view::npos) {
    out += text;
    return;
  }
  out += '"';
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

void AppendNumber(std::string& out, std::int64_t value, int decimals) {
  // Fixed point by hand: printf would follow LC_NUMERIC, which a Qt program
  // sets from the user's locale (a Czech comma would split the columns).
  if (value < 0) {
    out += '-';
    value = -value;
  }
  std::int64_t scale = 1;
  for (int i = 0; i < decimals; ++i) scale *= 10;
  char digits[24];
  auto r = std::to_chars(digits, digits + sizeof digits, value / scale);
  out.append(digits, r.ptr);
  if (decimals == 0) return;
  out += '.';
  r = std::to_chars(digits, digits + sizeof digits, value % scale + scale);
  out.append(digits + 1, r.ptr);  // the leading 1 keeps the zeros after the point
}

}  // namespace

std::string LiveLogCsvHeader(int language) {
  std::string out;
  AppendField(out, LiveTimeHeading(language));
  for (const LiveChannel& c : LiveChannels()) {
    out += ',';
    AppendField(out, LiveChannelHeading(c, language));
  }
  out += '\n';
  return out;
}

void AppendLiveLogCsvRow(std::string& out, const LiveLogFrame& frame, const ConfigImage& image) {
  CLiveValues live;
  DecodeLiveFrame(frame.bytes, live);
  const LiveDerived derived = DeriveLiveValues(live, image);
  AppendNumber(out, static_cast<std::int64_t>(frame.micros / 1000), 3);
  for (const LiveChannel& c : LiveChannels()) {
    out += ',';
    if (const auto v = c.value(live, derived)) AppendNumber(out, *v, c.decimals);
  }
  out += '\n';
}

std::string ExportLiveLogCsv(const LiveLogContents& log, int language) {
  std::string out = LiveLogCsvHeader(language);
  // About 4 characters a value.
  out.reserve(out.size() + log.frames.size() * LiveChannels().size() * 4);
  for (std::size_t i = 0; i < log.frames.size(); ++i) AppendLiveLogCsvRow(out, log.frames[i], log.ImageAtFrame(i));
  return out;
}
