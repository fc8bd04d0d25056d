#include "link/LiveLog.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

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

void PutRecordHead(std::string& out, std::uint8_t type, std::size_t payload) {
  out.push_back(static_cast<char>(type));
  PutU32(out, static_cast<std::uint32_t>(payload));
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

void Stop(LiveLogContents& log, LiveLogStop why, std::size_t offset, std::string message) {
  log.stop = why;
  log.stopOffset = offset;
  log.message = std::move(message) + " at byte " + std::to_string(offset);
}

bool ReadHeader(std::span<const std::uint8_t> bytes, LiveLogContents& log, std::size_t& pos) {
  if (bytes.size() < kHeaderFixed || !std::equal(kLiveLogMagic.begin(), kLiveLogMagic.end(), bytes.begin())) {
    const bool magicOk =
        bytes.size() >= kLiveLogMagic.size() && std::equal(kLiveLogMagic.begin(), kLiveLogMagic.end(), bytes.begin());
    Stop(log, LiveLogStop::kBadHeader, 0, magicOk ? "Log header cut short" : "Not a Ventrix live-data log");
    return false;
  }
  Cursor c(bytes, kLiveLogMagic.size(), bytes.size());
  std::uint64_t version = 0;
  std::uint64_t bodySize = 0;
  c.Uint(2, version);
  c.Uint(4, bodySize);
  if (version == 0) {
    Stop(log, LiveLogStop::kBadHeader, kLiveLogMagic.size(), "Log format version 0 does not exist");
    return false;
  }
  if (version > kLiveLogFormatVersion) {
    Stop(log, LiveLogStop::kNewerFormat, kLiveLogMagic.size(),
         "Log format version " + std::to_string(version) + " is newer than this program reads (" +
             std::to_string(kLiveLogFormatVersion) + ")");
    return false;
  }
  if (bodySize > c.Left()) {
    Stop(log, LiveLogStop::kBadHeader, c.Pos(), "Log header cut short");
    return false;
  }
  LiveLogHeader& h = log.header;
  h.formatVersion = static_cast<std::uint16_t>(version);
  const std::size_t bodyEnd = c.Pos() + std::size_t(bodySize);
  Cursor body(bytes, c.Pos(), bodyEnd);
  std::uint64_t start = 0;
  if (!body.Text(h.programVersion) || !body.Text(h.unitText) || !body.Text(h.unitDate) || !body.Text(h.unitTime) ||
      !body.Text(h.bootLine) || !body.Bytes(h.unitIdentity) || !body.Uint(8, start) || !body.Bytes(h.image)) {
    Stop(log, LiveLogStop::kBadHeader, body.Pos(), "Log header is shorter than its fields");
    return false;
  }
  h.startUnixMicros = static_cast<std::int64_t>(start);
  // A later version 1 writer may add fields at the end of the body.
  pos = bodyEnd;
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------
// Reading

LiveLogContents ReadLiveLog(std::string_view bytes) {
  return ReadLiveLog(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

LiveLogContents ReadLiveLog(std::span<const std::uint8_t> bytes) {
  LiveLogContents log;
  std::size_t pos = 0;
  if (!ReadHeader(bytes, log, pos)) return log;

  log.frames.reserve((bytes.size() - pos) / kLogFrameRecordSize);
  std::uint64_t lastMicros = 0;
  while (pos < bytes.size()) {
    Cursor c(bytes, pos, bytes.size());
    std::uint64_t type = 0;
    std::uint64_t length = 0;
    if (!c.Uint(1, type) || !c.Uint(4, length)) {
      Stop(log, LiveLogStop::kTruncated, pos, "Last record cut short");
      return log;
    }
    const std::size_t expected = type == kLogRecordFrame   ? kLogFramePayload
                                 : type == kLogRecordImage ? kLogImagePayload
                                                           : 0;
    if (expected == 0) {
      Stop(log, LiveLogStop::kBadRecord, pos, "Unknown record type " + std::to_string(type));
      return log;
    }
    // Checked before the cut: a garbage length must not pass for a cut record.
    if (length != expected) {
      Stop(log, LiveLogStop::kBadRecord, pos,
           "Record of length " + std::to_string(length) + " where " + std::to_string(expected) + " belongs");
      return log;
    }
    if (c.Left() < length) {
      Stop(log, LiveLogStop::kTruncated, pos, "Last record cut short");
      return log;
    }
    std::uint64_t micros = 0;
    c.Uint(8, micros);
    if (micros < lastMicros) {
      Stop(log, LiveLogStop::kBadRecord, pos, "Record time goes back");
      return log;
    }
    if (type == kLogRecordFrame) {
      LiveLogFrame f;
      f.micros = micros;
      c.Bytes(f.bytes);
      if (f.bytes[0] != kReplyLive || !FrameIsValid(f.bytes)) {
        Stop(log, LiveLogStop::kBadRecord, pos, "Recorded frame is not a valid live-data frame");
        return log;
      }
      log.frames.push_back(f);
    } else {
      LiveLogImageChange& change = log.imageChanges.emplace_back();
      change.micros = micros;
      change.firstFrame = log.frames.size();
      c.Bytes(change.image);
    }
    lastMicros = micros;
    pos = c.Pos();
  }
  log.stop = LiveLogStop::kEnd;
  log.stopOffset = pos;
  log.message.clear();
  return log;
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

void AppendLiveLogHeader(std::string& out, const LiveLogHeader& header) {
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
  PutU16(out, kLiveLogFormatVersion);
  PutU32(out, static_cast<std::uint32_t>(body.size()));
  out += body;
}

void AppendFrameRecord(std::string& out, std::uint64_t micros, std::span<const std::uint8_t, kFrameSize> frame) {
  PutRecordHead(out, kLogRecordFrame, kLogFramePayload);
  PutU64(out, micros);
  PutBytes(out, frame);
}

void AppendImageRecord(std::string& out, std::uint64_t micros, const ConfigImage& image) {
  PutRecordHead(out, kLogRecordImage, kLogImagePayload);
  PutU64(out, micros);
  PutBytes(out, image);
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
