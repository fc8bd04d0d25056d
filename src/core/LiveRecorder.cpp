#include "core/LiveRecorder.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "files/Paths.h"
#include "base/BuildInfo.h"

RecorderClock SystemRecorderClock() {
  return {[] {
            return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                                  std::chrono::steady_clock::now().time_since_epoch())
                                                  .count());
          },
          [] {
            return static_cast<std::int64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                                 std::chrono::system_clock::now().time_since_epoch())
                                                 .count());
          }};
}

std::string DatedLogFileName(std::int64_t unixMicros) {
  const std::time_t seconds = static_cast<std::time_t>(unixMicros / 1'000'000);
  std::tm local{};
  localtime_r(&seconds, &local);
  char name[64];
  std::strftime(name, sizeof name, "ventrix-%Y%m%d-%H%M%S.vxlog", &local);
  return name;
}

CLiveRecorder::CLiveRecorder() : clock(SystemRecorderClock()) {}

CLiveRecorder::~CLiveRecorder() { Stop(); }

bool CLiveRecorder::Start(const std::string& path, LiveLogHeader header) {
  Stop();
  m_error.clear();
  m_failed = false;
  header.startUnixMicros = clock.unixMicros();
  header.programVersion = VersionText();
  std::string target = path;
  if (target.empty()) {
    if (!EnsureDirectory(logsDir, &m_error)) return false;
    target = logsDir + "/" + DatedLogFileName(header.startUnixMicros);
  }
  m_sink = openSink(target, m_error);
  if (!m_sink) return false;
  m_path = target;
  m_startMicros = clock.monotonicMicros();
  m_stopMicros = m_startMicros;
  m_lastImage = header.image;
  m_recording = true;
  if (!m_writer.Begin(*m_sink, header)) {
    Fail();
    m_failed = false;  // the caller reports a refused start
    return false;
  }
  return true;
}

void CLiveRecorder::Stop() {
  if (!m_recording) return;
  m_stopMicros = clock.monotonicMicros();
  if (!m_writer.Flush() && m_writer.Failed()) {
    Fail();
    return;
  }
  m_recording = false;
  m_sink.reset();
}

void CLiveRecorder::OnFrame(std::span<const std::uint8_t, kFrameSize> frame, const ConfigImage& image) {
  if (!m_recording) return;
  const std::uint64_t now = clock.monotonicMicros() - m_startMicros;
  if (std::memcmp(image.data(), m_lastImage.data(), kImageSize) != 0) {
    m_lastImage = image;
    m_writer.AddImage(now, image);
  }
  m_writer.AddFrame(now, frame);
  m_writer.MaybeFlush(now);
  if (m_writer.Failed()) Fail();
}

void CLiveRecorder::Tick() {
  if (!m_recording) return;
  m_writer.MaybeFlush(clock.monotonicMicros() - m_startMicros);
  if (m_writer.Failed()) Fail();
}

std::uint64_t CLiveRecorder::DurationMicros() const {
  if (m_path.empty()) return 0;
  return (m_recording ? clock.monotonicMicros() : m_stopMicros) - m_startMicros;
}

bool CLiveRecorder::TakeFailure() {
  const bool failed = m_failed;
  m_failed = false;
  return failed;
}

void CLiveRecorder::Fail() {
  m_error = m_writer.Error();
  m_failed = true;
  m_recording = false;
  m_stopMicros = clock.monotonicMicros();
  m_sink.reset();
}
