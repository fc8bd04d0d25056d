#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "image/ConfigImage.h"
#include "link/Frame.h"

// A live-data log (.vxlog): what the unit sent while connected, kept so a run
// on the road or the dyno can be looked at again. It stores the raw frames,
// never decoded values, so a later decoder fix shows old logs correctly.
//
// Layout, all numbers little-endian:
//   header   magic "VXLOG\r\n\x1a", u16 format version, u32 length of the
//            header body, then the body: program version, the four identity
//            texts (each u16 length + UTF-8), the unit's 150-byte identity
//            record, i64 wall-clock start (microseconds since 1970, UTC) and
//            the 2850-byte image at the start. From version 2 on a u32
//            CRC-32 of the version, the length and the body follows.
//   records  version 2: the sync bytes E7 1C, u8 type, u32 payload length,
//            payload, u32 CRC-32 of type, length and payload. Version 1 had
//            neither sync bytes nor CRC. A frame record's payload is u64
//            microseconds since the start + the 152 frame bytes; an image
//            record's is u64 microseconds + the whole 2850-byte image that is
//            in force from then on.
// The file only ever grows by whole records, so a file cut anywhere reads
// back every record before the cut. A damaged record costs that record only:
// the reader finds the next one by its sync bytes and its CRC, and counts
// what it skipped.
constexpr std::array<std::uint8_t, 8> kLiveLogMagic = {'V', 'X', 'L', 'O', 'G', '\r', '\n', 0x1A};
constexpr std::uint16_t kLiveLogFormatVersion = 2;
constexpr std::array<std::uint8_t, 2> kLogRecordSync = {0xE7, 0x1C};
constexpr std::uint8_t kLogRecordFrame = 1;
constexpr std::uint8_t kLogRecordImage = 2;
constexpr std::size_t kLogFramePayload = 8 + kFrameSize;
constexpr std::size_t kLogImagePayload = 8 + kImageSize;
// Bytes around a record's payload: sync + type + length before, CRC after.
constexpr std::size_t LogRecordHead(int version) { return version >= 2 ? 2 + 1 + 4 : 1 + 4; }
constexpr std::size_t LogRecordTail(int version) { return version >= 2 ? 4 : 0; }
constexpr std::size_t LogFrameRecordSize(int version = kLiveLogFormatVersion) {
  return LogRecordHead(version) + kLogFramePayload + LogRecordTail(version);
}
constexpr std::size_t LogImageRecordSize(int version = kLiveLogFormatVersion) {
  return LogRecordHead(version) + kLogImagePayload + LogRecordTail(version);
}
constexpr std::size_t kLogFrameRecordSize = LogFrameRecordSize();
constexpr std::size_t kLogImageRecordSize = LogImageRecordSize();
constexpr std::size_t kUnitIdentitySize = kPayloadSize;

// CRC-32 as zip and PNG compute it (reflected, polynomial EDB88320).
std::uint32_t LogCrc32(std::span<const std::uint8_t> bytes, std::uint32_t crc = 0);

struct LiveLogHeader {
  std::uint16_t formatVersion = kLiveLogFormatVersion;
  std::string programVersion;
  // The identity texts as the main window showed them when recording began.
  std::string unitText;
  std::string unitDate;
  std::string unitTime;
  std::string bootLine;
  std::array<std::uint8_t, kUnitIdentitySize> unitIdentity{};  // raw block-0 payload
  std::int64_t startUnixMicros = 0;
  ConfigImage image{};
};

struct LiveLogFrame {
  std::uint64_t micros = 0;  // since the start of the recording
  Frame bytes{};
};

struct LiveLogImageChange {
  std::uint64_t micros = 0;
  // Frames recorded before this change; the image holds from that frame on.
  std::size_t firstFrame = 0;
  ConfigImage image{};
};

// Why reading stopped. kEnd and kTruncated keep everything read so far; a
// truncated tail is what a crash or a pulled cord leaves and is not an error.
enum class LiveLogStop : std::uint8_t {
  kEnd,          // every byte read
  kTruncated,    // the last record is cut short
  kBadHeader,    // not a log, or a header that does not hold together
  kNewerFormat,  // a format version this program does not know
};

// What went wrong with the header, for the message.
enum class LiveLogHeaderFault : std::uint8_t { kNone, kNotALog, kCutShort, kNoSuchVersion, kNewerVersion, kFields };

struct LiveLogContents {
  LiveLogHeader header;
  std::vector<LiveLogFrame> frames;
  std::vector<LiveLogImageChange> imageChanges;
  LiveLogStop stop = LiveLogStop::kEnd;
  std::size_t stopOffset = 0;  // byte offset where reading stopped
  LiveLogHeaderFault headerFault = LiveLogHeaderFault::kNone;
  std::uint64_t formatVersion = 0;  // as found in the file, 0 before it was read
  // Records the reader could not trust and skipped (a wrong CRC or check
  // byte, a mangled head, a time going back); it went on behind them.
  std::size_t damagedRecords = 0;
  // The header's CRC did not match: its fields were used as they read.
  bool headerDamaged = false;
  std::string message;  // LiveLogMessage in English, for the error log; empty for a sound log

  // The header was read: frames and images are usable (possibly none).
  bool HeaderOk() const { return stop != LiveLogStop::kBadHeader && stop != LiveLogStop::kNewerFormat; }
  // Everything up to the end was read, a cut last record aside.
  bool Complete() const { return HeaderOk(); }
  // Something was skipped or may be wrong: the tuner is to be told.
  bool Damaged() const { return damagedRecords > 0 || headerDamaged; }

  // The image in force at frame `frame` (the start image before any change).
  const ConfigImage& ImageAtFrame(std::size_t frame) const;
  // The image in force at `micros` since the start.
  const ConfigImage& ImageAt(std::uint64_t micros) const;
  // Index of the last frame recorded at or before `micros` (0 when none is).
  std::size_t FrameAt(std::uint64_t micros) const;
  // Time of the last frame, 0 without frames.
  std::uint64_t DurationMicros() const { return frames.empty() ? 0 : frames.back().micros; }
};

// What the reader found wrong, in `language`: why the header cannot be read,
// or that the header is damaged, records were skipped or the last one is cut.
// Empty for a sound log.
std::string LiveLogMessage(const LiveLogContents& log, int language);

// Reads a whole log from its bytes. Never throws on bad input and allocates
// no more than the input's size.
LiveLogContents ReadLiveLog(std::span<const std::uint8_t> bytes);
LiveLogContents ReadLiveLog(std::string_view bytes);

// Encoders; the writer uses them, tests build files with them, in the
// current format or an older one.
void AppendLiveLogHeader(std::string& out, const LiveLogHeader& header, int version = kLiveLogFormatVersion);
void AppendFrameRecord(std::string& out, std::uint64_t micros, std::span<const std::uint8_t, kFrameSize> frame,
                       int version = kLiveLogFormatVersion);
void AppendImageRecord(std::string& out, std::uint64_t micros, const ConfigImage& image,
                       int version = kLiveLogFormatVersion);

// Where the writer's bytes go. Write returns how many bytes went out (less
// than asked, or -1, on failure); Truncate cuts the file back after a partial
// write so it ends on a whole record.
class ILiveLogSink {
 public:
  virtual ~ILiveLogSink() = default;
  virtual long long Write(const std::uint8_t* data, std::size_t size) = 0;
  virtual bool Sync() = 0;  // onto the disk
  virtual bool Truncate(std::uint64_t size) = 0;
  virtual std::string ErrorText() const = 0;  // the reason of the last failure
};

// A log file opened for writing (created or replaced).
class CLiveLogFileSink : public ILiveLogSink {
 public:
  CLiveLogFileSink() = default;
  ~CLiveLogFileSink() override;
  CLiveLogFileSink(const CLiveLogFileSink&) = delete;
  CLiveLogFileSink& operator=(const CLiveLogFileSink&) = delete;

  bool Open(const std::string& path);
  void Close();
  long long Write(const std::uint8_t* data, std::size_t size) override;
  bool Sync() override;
  bool Truncate(std::uint64_t size) override;
  std::string ErrorText() const override { return m_error; }

 private:
  int m_fd = -1;
  std::string m_path;
  std::string m_error;
};

// Opens a log file for writing (created or replaced); null with the reason
// in `error` when it cannot.
std::unique_ptr<ILiveLogSink> OpenLiveLogFile(const std::string& path, std::string& error);

// Appends records to a sink. Records collect in memory and go out together
// once a second (Flush), so recording costs no system call per frame and a
// crash loses at most the last second. After a failed write the writer is
// dead: it keeps no more records and the file ends on its last whole record.
class CLiveLogWriter {
 public:
  static constexpr std::uint64_t kFlushIntervalMicros = 1'000'000;

  // Writes the header at once; false (and Failed) when that fails.
  bool Begin(ILiveLogSink& sink, const LiveLogHeader& header);
  // `micros` since the start; frames must be valid live frames.
  void AddFrame(std::uint64_t micros, std::span<const std::uint8_t, kFrameSize> frame);
  void AddImage(std::uint64_t micros, const ConfigImage& image);
  // Flushes when a second has passed since the last flush. Call it on every
  // tick as well, so a silent unit does not hold records back.
  void MaybeFlush(std::uint64_t micros);
  // Writes and syncs what is buffered; false when the write failed.
  bool Flush();

  bool Failed() const { return m_failed; }
  const std::string& Error() const { return m_error; }
  // Bytes in the file, plus those still buffered.
  std::uint64_t Size() const { return m_written + m_buffer.size(); }
  // Frames handed in since Begin.
  std::size_t FrameCount() const { return m_frames; }

 private:
  ILiveLogSink* m_sink = nullptr;
  std::string m_buffer;
  std::vector<std::size_t> m_bounds;  // where each buffered record ends
  std::uint64_t m_written = 0;
  std::uint64_t m_lastFlush = 0;
  std::size_t m_frames = 0;
  bool m_failed = false;
  std::string m_error;
};
