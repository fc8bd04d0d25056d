#include <benchmark/benchmark.h>

#include <string>

#include "core/LiveRecorder.h"
#include "files/AtomicFile.h"
#include "link/LiveLog.h"
#include "support/LiveFrames.h"
#include "support/MemoryLogSink.h"
#include "support/TempFolder.h"

namespace {

constexpr std::uint64_t kFrameMicros = 330'000;  // the unit answers every 6 ticks of 55 ms
constexpr std::size_t kFourHourFrames = 44'000;  // four hours at that rate
constexpr std::size_t kImageChangesInFourHours = 50;

Frame SampleFrame(int rpm) {
  Frame f = testsupport::QuietFrame();
  testsupport::PutWord(f, 48, rpm);
  SealFrame(f);
  return f;
}

// What the core adds to each live frame while recording: the image compare
// and the buffered record. The time stands still, so no flush is timed here.
void BM_RecordFrame(benchmark::State& state) {
  testsupport::MemoryLogSink sink;
  CLiveRecorder recorder;
  recorder.clock = {[] { return std::uint64_t(0); }, [] { return std::int64_t(0); }};
  recorder.openSink = [&](const std::string&, std::string&) -> std::unique_ptr<ILiveLogSink> {
    return std::make_unique<testsupport::ForwardingLogSink>(sink);
  };
  const ConfigImage image{};
  recorder.Start("bench.vxlog", {});
  const Frame frame = SampleFrame(4500);
  std::size_t frames = 0;
  for (auto _ : state) {
    recorder.OnFrame(frame, image);
    // A second's worth at the unit's rate would have gone out by now.
    if (++frames % 4096 == 0) {
      state.PauseTiming();
      recorder.Stop();
      sink.bytes.clear();
      recorder.Start("bench.vxlog", {});
      state.ResumeTiming();
    }
  }
}
BENCHMARK(BM_RecordFrame)->Unit(benchmark::kNanosecond);

// The once-a-second write of about three frames into a real file, synced to
// the disk: what a tick pays when a flush falls due.
void BM_FlushOneSecondToDisk(benchmark::State& state) {
  testsupport::TempFolder folder;
  std::string error;
  auto sink = OpenLiveLogFile(folder / "flush.vxlog", error);
  if (!sink) {
    state.SkipWithError(error.c_str());
    return;
  }
  CLiveLogWriter writer;
  writer.Begin(*sink, {});
  const Frame frame = SampleFrame(4500);
  std::uint64_t t = 0;
  for (auto _ : state) {
    for (int i = 0; i < 3; ++i) writer.AddFrame(t += kFrameMicros, frame);
    if (!writer.Flush()) state.SkipWithError(writer.Error().c_str());
  }
}
BENCHMARK(BM_FlushOneSecondToDisk)->Unit(benchmark::kMicrosecond);

// Opening a four-hour log: reading the file and every record in it.
void BM_OpenFourHourLog(benchmark::State& state) {
  testsupport::TempFolder folder;
  std::string bytes;
  LiveLogHeader header;
  header.unitText = "Unit = bench";
  AppendLiveLogHeader(bytes, header);
  ConfigImage image{};
  for (std::size_t i = 0; i < kFourHourFrames; ++i) {
    const std::uint64_t t = i * kFrameMicros;
    if (i % (kFourHourFrames / kImageChangesInFourHours) == 0) {
      image[i % kImageSize] ^= 1;
      AppendImageRecord(bytes, t, image);
    }
    AppendFrameRecord(bytes, t, SampleFrame(int(1000 + i % 9000)));
  }
  const std::string path = folder / "four-hours.vxlog";
  WriteFileAtomic(path, bytes);

  for (auto _ : state) {
    std::string read;
    ReadWholeFile(path, read);
    const LiveLogContents log = ReadLiveLog(read);
    if (log.frames.size() != kFourHourFrames) state.SkipWithError("frames lost");
    benchmark::DoNotOptimize(log.frames.data());
  }
  state.counters["MB"] = double(bytes.size()) / 1e6;
}
BENCHMARK(BM_OpenFourHourLog)->Unit(benchmark::kMillisecond);

}  // namespace
