#include "link/LiveLog.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "base/TextSlots.h"
#include "base/UiTexts.h"

namespace {

constexpr std::size_t kHeaderFixed = kLiveLogMagic.size() + 2 + 4;

void PutU16(std::string& out, std::uint16_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>(v >> 8));
}

void PutU32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void PutU64(std::string& out, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void PutBytes(std::string& out, std::span<const std::uint8_t> bytes) {
  out.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

void PutText(std::string& out, std::string_view text) {
  // Identity texts are short; a longer one is cut rather than overflow its length field.
  const std::size_t n = std::min<std::size_t>(text.size(), 0xFFFF);
  PutU16(out, static_cast<std::uint16_t>(n));
  out.append(text.data(), n);
}

std::size_t PayloadSizeOf(std::uint64_t type) {
  return type == kLogRecordFrame ? kLogFramePayload : type == kLogRecordImage ? kLogImagePayload : 0;
}

void AppendRecord(std::string& out, std::uint8_t type, std::uint64_t micros, std::span<const std::uint8_t> data,
                  int version) {
  if (version >= 2) PutBytes(out, kLogRecordSync);
  const std::size_t checked = out.size();
  out.push_back(static_cast<char>(type));
  PutU32(out, static_cast<std::uint32_t>(8 + data.size()));
  PutU64(out, micros);
  PutBytes(out, data);
  if (version < 2) return;
  PutU32(out, LogCrc32(std::span(reinterpret_cast<const std::uint8_t*>(out.data()) + checked, out.size() - checked)));
}

// Reads little-endian fields; every read checks the bytes are there first.
class Cursor {
 public:
  Cursor(std::span<const std::uint8_t> bytes, std::size_t pos, std::size_t end)
      : m_bytes(bytes), m_pos(pos), m_end(end) {}

  std::size_t Pos() const { return m_pos; }
  std::size_t Left() const { return m_end - m_pos; }

  bool Uint(int width, std::uint64_t& v) {
    if (Left() < static_cast<std::size_t>(width)) return false;
    v = 0;
    for (int i = 0; i < width; ++i) v |= std::uint64_t(m_bytes[m_pos + std::size_t(i)]) << (8 * i);
    m_pos += std::size_t(width);
    return true;
  }
  bool Bytes(std::span<std::uint8_t> out) {
    if (Left() < out.size()) return false;
    std::memcpy(out.data(), m_bytes.data() + m_pos, out.size());
    m_pos += out.size();
    return true;
  }
  bool Text(std::string& out) {
    std::uint64_t n = 0;
    if (!Uint(2, n) || Left() < n) return false;
    out.assign(reinterpret_cast<const char*>(m_bytes.data() + m_pos), std::size_t(n));
    m_pos += std::size_t(n);
    return true;
  }

 private:
  std::span<const std::uint8_t> m_bytes;
  std::size_t m_pos;
  std::size_t m_end;
};

std::uint64_t ReadU(std::span<const std::uint8_t> bytes, std::size_t pos, int width) {
  std::uint64_t v = 0;
  for (int i = 0; i < width; ++i) v |= std::uint64_t(bytes[pos + std::size_t(i)]) << (8 * i);
  return v;
}

void HeaderFault(LiveLogContents& log, LiveLogStop why, LiveLogHeaderFault fault, std::size_t offset) {
  log.stop = why;
  log.stopOffset = offset;
  log.headerFault = fault;
}

bool ReadHeader(std::span<const std::uint8_t> bytes, LiveLogContents& log, std::size_t& pos) {
  if (bytes.size() < kHeaderFixed || !std::equal(kLiveLogMagic.begin(), kLiveLogMagic.end(), bytes.begin())) {
    const bool magicOk =
        bytes.size() >= kLiveLogMagic.size() && std::equal(kLiveLogMagic.begin(), kLiveLogMagic.end(), bytes.begin());
    HeaderFault(log, LiveLogStop::kBadHeader, magicOk ? LiveLogHeaderFault::kCutShort : LiveLogHeaderFault::kNotALog,
                0);
    return false;
  }
  Cursor c(bytes, kLiveLogMagic.size(), bytes.size());
  std::uint64_t version = 0;
  std::uint64_t bodySize = 0;
  c.Uint(2, version);
  c.Uint(4, bodySize);
  log.formatVersion = version;
  if (version == 0) {
    HeaderFault(log, LiveLogStop::kBadHeader, LiveLogHeaderFault::kNoSuchVersion, kLiveLogMagic.size());
    return false;
  }
  if (version > kLiveLogFormatVersion) {
    HeaderFault(log, LiveLogStop::kNewerFormat, LiveLogHeaderFault::kNewerVersion, kLiveLogMagic.size());
    return false;
  }
  const std::size_t crcSize = version >= 2 ? 4 : 0;
  if (bodySize + crcSize > c.Left()) {
    HeaderFault(log, LiveLogStop::kBadHeader, LiveLogHeaderFault::kCutShort, c.Pos());
    return false;
  }
  LiveLogHeader& h = log.header;
  h.formatVersion = static_cast<std::uint16_t>(version);
  const std::size_t bodyEnd = c.Pos() + std::size_t(bodySize);
  Cursor body(bytes, c.Pos(), bodyEnd);
  std::uint64_t start = 0;
  if (!body.Text(h.programVersion) || !body.Text(h.unitText) || !body.Text(h.unitDate) || !body.Text(h.unitTime) ||
      !body.Text(h.bootLine) || !body.Bytes(h.unitIdentity) || !body.Uint(8, start) || !body.Bytes(h.image)) {
    HeaderFault(log, LiveLogStop::kBadHeader, LiveLogHeaderFault::kFields, body.Pos());
    return false;
  }
  h.startUnixMicros = static_cast<std::int64_t>(start);
  if (crcSize != 0) {
    const auto checked = bytes.subspan(kLiveLogMagic.size(), bodyEnd - kLiveLogMagic.size());
    log.headerDamaged = LogCrc32(checked) != ReadU(bytes, bodyEnd, 4);
  }
  // A later writer of the same version may add fields at the end of the body.
  pos = bodyEnd + crcSize;
  return true;
}

// One record as found at a place in the file.
struct RecordAt {
  enum Kind : std::uint8_t { kGood, kCut, kBad } kind = kBad;
  std::uint64_t type = 0;
  std::uint64_t micros = 0;
  std::size_t payload = 0;  // offset of the payload (the time, then the data)
  std::size_t size = 0;     // of the whole record, framing included
};

// Reads the records of a log of one format version, skipping damage.
class CRecordReader {
 public:
  CRecordReader(std::span<const std::uint8_t> bytes, int version) : m_bytes(bytes), m_version(version) {}

  // The record at `pos`: whole and checked, cut by the end of the file, or not one.
  RecordAt At(std::size_t pos) const {
    RecordAt r;
    const std::size_t left = m_bytes.size() - pos;
    const std::size_t sync = m_version >= 2 ? kLogRecordSync.size() : 0;
    for (std::size_t i = 0; i < std::min(sync, left); ++i)
      if (m_bytes[pos + i] != kLogRecordSync[i]) return r;
    const std::size_t head = LogRecordHead(m_version);
    if (left < head) {
      // The head is cut; what there is of it must still make sense.
      if (left > sync && PayloadSizeOf(m_bytes[pos + sync]) == 0) return r;
      r.kind = RecordAt::kCut;
      return r;
    }
    const std::size_t expected = PlausibleHead(pos + sync);
    if (expected == 0) return r;  // checked before the cut: a garbage length is no cut record
    r.type = m_bytes[pos + sync];
    r.payload = pos + head;
    r.size = head + expected + LogRecordTail(m_version);
    if (left < r.size) {
      r.kind = RecordAt::kCut;
      return r;
    }
    if (m_version >= 2) {
      const std::uint32_t crc = LogCrc32(m_bytes.subspan(pos + sync, 1 + 4 + expected));
      if (crc != ReadU(m_bytes, r.payload + expected, 4)) return r;
    }
    r.micros = ReadU(m_bytes, r.payload, 8);
    if (r.type == kLogRecordFrame) {
      const auto frame = m_bytes.subspan(r.payload + 8, kFrameSize);
      if (frame[0] != kReplyLive || !FrameIsValid(frame)) return r;
    }
    r.kind = RecordAt::kGood;
    return r;
  }

  // The first good record at or after `pos`, or the end.
  std::size_t NextGood(std::size_t pos) const {
    for (; pos < m_bytes.size(); ++pos) {
      // Cheap tests first: most places fail on the first byte.
      if (m_version >= 2 && m_bytes[pos] != kLogRecordSync[0]) continue;
      if (At(pos).kind == RecordAt::kGood) return pos;
    }
    return m_bytes.size();
  }

  // How many records the damaged stretch [from, to) held: the heads that
  // still read give their lengths; where one does not, the next sync bytes
  // (or, in version 1, the next head that reads) start the next record.
  std::size_t CountIn(std::size_t from, std::size_t to) const {
    const std::size_t sync = m_version >= 2 ? kLogRecordSync.size() : 0;
    std::size_t count = 0;
    bool known = true;  // a record surely starts at `from`
    for (std::size_t pos = from; pos < to;) {
      ++count;
      const std::size_t expected = pos + LogRecordHead(m_version) <= to ? PlausibleHead(pos + sync) : 0;
      const std::size_t size = LogRecordHead(m_version) + expected + LogRecordTail(m_version);
      if (expected != 0 && (known || HasSync(pos)) && pos + size <= to) {
        pos += size;
        known = true;
        continue;
      }
      known = false;
      for (++pos; pos < to; ++pos)
        if ((sync == 0 || HasSync(pos)) && pos + LogRecordHead(m_version) <= to && PlausibleHead(pos + sync) != 0)
          break;
    }
    return count;
  }

 private:
  // The payload size the head at `at` (type, length) gives, 0 when it does not read.
  std::size_t PlausibleHead(std::size_t at) const {
    const std::size_t expected = PayloadSizeOf(m_bytes[at]);
    return expected != 0 && ReadU(m_bytes, at + 1, 4) == expected ? expected : 0;
  }
  bool HasSync(std::size_t pos) const {
    return pos + 2 <= m_bytes.size() && m_bytes[pos] == kLogRecordSync[0] && m_bytes[pos + 1] == kLogRecordSync[1];
  }

  std::span<const std::uint8_t> m_bytes;
  int m_version;
};

std::string Num(std::uint64_t n) { return std::to_string(n); }

}  // namespace

// ---------------------------------------------------------------------------
// Reading

LiveLogContents ReadLiveLog(std::string_view bytes) {
  return ReadLiveLog(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

LiveLogContents ReadLiveLog(std::span<const std::uint8_t> bytes) {
  LiveLogContents log;
  std::size_t pos = 0;
  if (!ReadHeader(bytes, log, pos)) {
    log.message = LiveLogMessage(log, kEnglish);
    return log;
  }
  const int version = int(log.formatVersion);
  const CRecordReader reader(bytes, version);
  log.frames.reserve((bytes.size() - pos) / LogFrameRecordSize(version));
  std::uint64_t lastMicros = 0;
  log.stop = LiveLogStop::kEnd;
  while (pos < bytes.size()) {
    const RecordAt r = reader.At(pos);
    if (r.kind == RecordAt::kGood) {
      pos += r.size;
      if (r.micros < lastMicros) {
        // Whole and checked, yet out of order: not trusted either.
        ++log.damagedRecords;
        continue;
      }
      if (r.type == kLogRecordFrame) {
        LiveLogFrame& f = log.frames.emplace_back();
        f.micros = r.micros;
        std::memcpy(f.bytes.data(), bytes.data() + r.payload + 8, kFrameSize);
      } else {
        LiveLogImageChange& change = log.imageChanges.emplace_back();
        change.micros = r.micros;
        change.firstFrame = log.frames.size();
        std::memcpy(change.image.data(), bytes.data() + r.payload + 8, kImageSize);
      }
      lastMicros = r.micros;
      continue;
    }
    const std::size_t next = reader.NextGood(pos + 1);
    if (r.kind == RecordAt::kCut && next == bytes.size()) {
      log.stop = LiveLogStop::kTruncated;
      break;
    }
    log.damagedRecords += reader.CountIn(pos, next);
    pos = next;
  }
  log.stopOffset = pos;
  log.message = LiveLogMessage(log, kEnglish);
  return log;
}

std::string LiveLogMessage(const LiveLogContents& log, int language) {
  const LiveLogTexts& t = kLiveLogTexts;
  const auto at = [&](std::string_view fault) {
    return FillInText(t.atByte.Get(language), {fault, Num(log.stopOffset)});
  };
  switch (log.headerFault) {
    case LiveLogHeaderFault::kNone:
      break;
    case LiveLogHeaderFault::kNotALog:
      return std::string(t.notALog.Get(language));
    case LiveLogHeaderFault::kCutShort:
      return at(t.headerCut.Get(language));
    case LiveLogHeaderFault::kNoSuchVersion:
      return at(FillInText(t.noSuchVersion.Get(language), {Num(log.formatVersion)}));
    case LiveLogHeaderFault::kNewerVersion:
      return FillInText(t.newerVersion.Get(language), {Num(log.formatVersion), Num(kLiveLogFormatVersion)});
    case LiveLogHeaderFault::kFields:
      return at(t.headerFields.Get(language));
  }
  std::string out;
  const auto add = [&out](std::string_view part) {
    if (!out.empty()) out += "; ";
    out += part;
  };
  if (log.headerDamaged) add(t.headerDamaged.Get(language));
  if (log.damagedRecords > 0) add(FillInText(t.damaged.Get(language), {Num(log.damagedRecords)}));
  if (log.stop == LiveLogStop::kTruncated) add(at(t.lastCut.Get(language)));
  return out;
}

const ConfigImage& LiveLogContents::ImageAtFrame(std::size_t frame) const {
  const auto after = std::upper_bound(imageChanges.begin(), imageChanges.end(), frame,
                                      [](std::size_t f, const LiveLogImageChange& c) { return f < c.firstFrame; });
  return after == imageChanges.begin() ? header.image : std::prev(after)->image;
}

const ConfigImage& LiveLogContents::ImageAt(std::uint64_t micros) const {
  const auto after = std::upper_bound(imageChanges.begin(), imageChanges.end(), micros,
                                      [](std::uint64_t t, const LiveLogImageChange& c) { return t < c.micros; });
  return after == imageChanges.begin() ? header.image : std::prev(after)->image;
}

std::size_t LiveLogContents::FrameAt(std::uint64_t micros) const {
  const auto after = std::upper_bound(frames.begin(), frames.end(), micros,
                                      [](std::uint64_t t, const LiveLogFrame& f) { return t < f.micros; });
  return after == frames.begin() ? 0 : static_cast<std::size_t>(after - frames.begin() - 1);
}

// ---------------------------------------------------------------------------
// Encoding

std::uint32_t LogCrc32(std::span<const std::uint8_t> bytes, std::uint32_t crc) {
  static const auto table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (const std::uint8_t b : bytes) crc = table[(crc ^ b) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

void AppendLiveLogHeader(std::string& out, const LiveLogHeader& header, int version) {
  std::string body;
  PutText(body, header.programVersion);
  PutText(body, header.unitText);
  PutText(body, header.unitDate);
  PutText(body, header.unitTime);
  PutText(body, header.bootLine);
  PutBytes(body, header.unitIdentity);
  PutU64(body, static_cast<std::uint64_t>(header.startUnixMicros));
  PutBytes(body, header.image);

  PutBytes(out, kLiveLogMagic);
  const std::size_t checked = out.size();
  PutU16(out, static_cast<std::uint16_t>(version));
  PutU32(out, static_cast<std::uint32_t>(body.size()));
  out += body;
  if (version >= 2)
    PutU32(out, LogCrc32(std::span(reinterpret_cast<const std::uint8_t*>(out.data()) + checked, out.size() - checked)));
}

void AppendFrameRecord(std::string& out, std::uint64_t micros, std::span<const std::uint8_t, kFrameSize> frame,
                       int version) {
  AppendRecord(out, kLogRecordFrame, micros, frame, version);
}

void AppendImageRecord(std::string& out, std::uint64_t micros, const ConfigImage& image, int version) {
  AppendRecord(out, kLogRecordImage, micros, image, version);
}

// ---------------------------------------------------------------------------
// The file

CLiveLogFileSink::~CLiveLogFileSink() { Close(); }

void CLiveLogFileSink::Close() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
}

bool CLiveLogFileSink::Open(const std::string& path) {
  Close();
  m_path = path;
  m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (m_fd < 0) m_error = path + ": " + std::generic_category().message(errno);
  return m_fd >= 0;
}

long long CLiveLogFileSink::Write(const std::uint8_t* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(m_fd, data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      m_error = m_path + ": " + std::generic_category().message(n < 0 ? errno : ENOSPC);
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  return static_cast<long long>(done);
}

bool CLiveLogFileSink::Sync() {
  if (::fdatasync(m_fd) == 0) return true;
  // Devices and pipes cannot be synced; their data is gone as written.
  if (errno == EINVAL || errno == EROFS) return true;
  m_error = m_path + ": " + std::generic_category().message(errno);
  return false;
}

bool CLiveLogFileSink::Truncate(std::uint64_t size) { return ::ftruncate(m_fd, static_cast<off_t>(size)) == 0; }

std::unique_ptr<ILiveLogSink> OpenLiveLogFile(const std::string& path, std::string& error) {
  auto sink = std::make_unique<CLiveLogFileSink>();
  if (sink->Open(path)) return sink;
  error = sink->ErrorText();
  return nullptr;
}

// ---------------------------------------------------------------------------
// The writer

bool CLiveLogWriter::Begin(ILiveLogSink& sink, const LiveLogHeader& header) {
  *this = CLiveLogWriter();
  m_sink = &sink;
  // About a second of frames at the unit's rate, with room to spare.
  m_buffer.reserve(16 * kLogFrameRecordSize);
  AppendLiveLogHeader(m_buffer, header);
  m_bounds.push_back(m_buffer.size());
  return Flush();
}

void CLiveLogWriter::AddFrame(std::uint64_t micros, std::span<const std::uint8_t, kFrameSize> frame) {
  if (m_failed || m_sink == nullptr) return;
  AppendFrameRecord(m_buffer, micros, frame);
  m_bounds.push_back(m_buffer.size());
  ++m_frames;
}

void CLiveLogWriter::AddImage(std::uint64_t micros, const ConfigImage& image) {
  if (m_failed || m_sink == nullptr) return;
  AppendImageRecord(m_buffer, micros, image);
  m_bounds.push_back(m_buffer.size());
}

void CLiveLogWriter::MaybeFlush(std::uint64_t micros) {
  if (micros < m_lastFlush + kFlushIntervalMicros) return;
  m_lastFlush = micros;
  Flush();
}

bool CLiveLogWriter::Flush() {
  if (m_failed || m_sink == nullptr) return false;
  if (m_buffer.empty()) return true;
  const long long n = m_sink->Write(reinterpret_cast<const std::uint8_t*>(m_buffer.data()), m_buffer.size());
  if (n == static_cast<long long>(m_buffer.size()) && m_sink->Sync()) {
    m_written += m_buffer.size();
    m_buffer.clear();
    m_bounds.clear();
    return true;
  }
  // Keep the records that reached the file whole; cut the one that did not.
  const std::size_t wrote = n > 0 ? static_cast<std::size_t>(n) : 0;
  const auto whole = std::upper_bound(m_bounds.begin(), m_bounds.end(), wrote);
  const std::size_t kept = whole == m_bounds.begin() ? 0 : *std::prev(whole);
  if (kept < wrote) m_sink->Truncate(m_written + kept);
  m_written += kept;
  m_buffer.clear();
  m_bounds.clear();
  m_failed = true;
  m_error = m_sink->ErrorText();
  return false;
}
