#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "link/LiveLog.h"

// The clocks a recording reads: monotonic microseconds for the frames'
// times, wall-clock microseconds since 1970 for the start and the file name.
// Tests replace them.
struct RecorderClock {
  std::function<std::uint64_t()> monotonicMicros;
  std::function<std::int64_t()> unixMicros;
};
RecorderClock SystemRecorderClock();

// "ventrix-YYYYMMDD-HHMMSS.vxlog" in local time.
std::string DatedLogFileName(std::int64_t unixMicros);

// Records the unit's live frames into a log file while the core runs. The
// image is recorded whenever it differs from the last one recorded, just
// before the next frame: every way it changes (pages, sheets, a Read, Undo,
// a file) is caught by one comparison, and it only matters from that frame on.
class CLiveRecorder {
 public:
  CLiveRecorder();
  ~CLiveRecorder();
  CLiveRecorder(const CLiveRecorder&) = delete;
  CLiveRecorder& operator=(const CLiveRecorder&) = delete;

  RecorderClock clock;
  std::string logsDir;  // where a recording without a given path goes
  // Opens the file; tests put a sink that fails on purpose here.
  std::function<std::unique_ptr<ILiveLogSink>(const std::string& path, std::string& error)> openSink = OpenLiveLogFile;

  // Starts recording into `path`, or a dated file in logsDir (created when
  // missing) when `path` is empty. The header's start time and program
  // version are filled in here. False with Error() when the file cannot be
  // written; a running recording is stopped first.
  bool Start(const std::string& path, LiveLogHeader header);
  // Writes what is buffered and closes the file.
  void Stop();
  bool Recording() const { return m_recording; }

  // A valid live frame received (before any decoding); `image` is the image
  // in force as it arrives.
  void OnFrame(std::span<const std::uint8_t, kFrameSize> frame, const ConfigImage& image);
  // Every tick: writes the buffer out once a second.
  void Tick();

  const std::string& Path() const { return m_path; }
  // Since the start; frozen when the recording stops.
  std::uint64_t DurationMicros() const;
  std::uint64_t SizeBytes() const { return m_writer.Size(); }
  std::size_t FrameCount() const { return m_writer.FrameCount(); }

  // Why the last Start failed, or why a recording stopped by itself (a write
  // failed: disk full, medium gone). The file keeps its whole records.
  const std::string& Error() const { return m_error; }
  // True once after a recording stopped by itself, for the window's message.
  bool TakeFailure();

 private:
  void Fail();

  std::unique_ptr<ILiveLogSink> m_sink;
  CLiveLogWriter m_writer;
  ConfigImage m_lastImage{};
  std::string m_path;
  std::string m_error;
  std::uint64_t m_startMicros = 0;
  std::uint64_t m_stopMicros = 0;
  bool m_recording = false;
  bool m_failed = false;
};
