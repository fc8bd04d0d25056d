#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <regex>

#include "core/AppCore.h"
#include "files/AtomicFile.h"
#include "base/Lang.h"
#include "support/FakePort.h"
#include "support/LiveFrames.h"
#include "support/MemoryLogSink.h"
#include "support/RecordingView.h"
#include "support/TempFolder.h"

namespace {

Frame LiveFrame(int rpm) {
  Frame f = testsupport::QuietFrame();
  testsupport::PutWord(f, 48, rpm);
  SealFrame(f);
  return f;
}

class RecordingTest : public ::testing::Test {
 protected:
  RecordingTest() : core(view, std::make_unique<FakePort>()), port(static_cast<FakePort&>(core.Port())) {
    SetCurrentLanguage(0);
    core.textSlots.Apply(0);
    core.recorder.clock = {[this] { return now; }, [] { return std::int64_t(1'765'400'000) * 1'000'000; }};
    core.recorder.logsDir = folder / "logs";
    core.unitText = "Unit = test";
    core.OpenPort();
  }

  // One tick of 55 ms; `frame` arrives from the unit during it.
  void TickWith(const Frame* frame) {
    now += 55'000;
    if (frame) port.Queue(*frame);
    core.Tick();
  }

  LiveLogContents ReadBack(const std::string& path) {
    std::string bytes;
    EXPECT_TRUE(ReadWholeFile(path, bytes).ok);
    return ReadLiveLog(bytes);
  }

  testsupport::TempFolder folder;
  std::uint64_t now = 5'000'000;
  RecordingView view;
  CAppCore core;
  FakePort& port;
};

TEST_F(RecordingTest, RecordsTheFramesAsReceivedAndEachImageChange) {
  core.image[0] = 3;
  const std::string path = folder / "run.vxlog";
  ASSERT_TRUE(core.StartRecording(path)) << core.recorder.Error();
  EXPECT_TRUE(core.recorder.Recording());

  const Frame a = LiveFrame(1000), b = LiveFrame(2000), c = LiveFrame(3000);
  Frame bad = LiveFrame(4000);
  bad[151] ^= 1;  // ignored by the core, so not recorded either
  TickWith(&a);
  core.image[500] = 77;  // an edit between two frames
  TickWith(&b);
  TickWith(&bad);
  TickWith(&c);
  EXPECT_EQ(core.recorder.DurationMicros(), 4 * 55'000u);
  core.StopRecording();
  EXPECT_FALSE(core.recorder.Recording());

  const LiveLogContents log = ReadBack(path);
  ASSERT_EQ(log.stop, LiveLogStop::kEnd) << log.message;
  EXPECT_EQ(log.header.unitText, "Unit = test");
  EXPECT_EQ(log.header.image[0], 3);
  EXPECT_EQ(log.header.startUnixMicros, 1'765'400'000'000'000);
  ASSERT_EQ(log.frames.size(), 3u);
  EXPECT_EQ(log.frames[0].bytes, a);
  EXPECT_EQ(log.frames[1].bytes, b);
  EXPECT_EQ(log.frames[2].bytes, c);
  EXPECT_EQ(log.frames[0].micros, 55'000u);
  EXPECT_EQ(log.frames[2].micros, 4 * 55'000u);
  ASSERT_EQ(log.imageChanges.size(), 1u);
  EXPECT_EQ(log.imageChanges[0].firstFrame, 1u);
  EXPECT_EQ(log.ImageAtFrame(1)[500], 77);
  EXPECT_EQ(log.ImageAtFrame(0)[500], 0);
  EXPECT_EQ(core.recorder.SizeBytes(), std::filesystem::file_size(path));
}

TEST_F(RecordingTest, AutomaticRecordingStartsAtEachConnectionIntoADatedFile) {
  core.autoRecord = true;
  const Frame f = LiveFrame(1500);
  TickWith(&f);
  ASSERT_TRUE(core.recorder.Recording()) << core.recorder.Error();
  const std::string name = std::filesystem::path(core.recorder.Path()).filename();
  EXPECT_TRUE(std::regex_match(name, std::regex(R"(ventrix-\d{8}-\d{6}\.vxlog)"))) << name;
  EXPECT_EQ(std::filesystem::path(core.recorder.Path()).parent_path(), folder / "logs");

  // Stopped by hand, it stays stopped while this connection lasts.
  core.StopRecording();
  TickWith(&f);
  EXPECT_FALSE(core.recorder.Recording());

  // A new connection after "No connection" starts the next one.
  for (int i = 0; i < kNoConnectionTicks + 1; ++i) TickWith(nullptr);
  ASSERT_TRUE(core.NoConnectionShown());
  TickWith(&f);
  EXPECT_TRUE(core.recorder.Recording());
}

TEST_F(RecordingTest, PlaybackFramesAreNotRecorded) {
  ASSERT_TRUE(core.StartRecording(folder / "run.vxlog"));
  core.playbackActive = true;
  const Frame f = LiveFrame(1500);
  core.OnLiveFrame(f);
  EXPECT_EQ(core.live.rpm, 1500);  // shown all the same
  EXPECT_EQ(core.recorder.FrameCount(), 0u);
  core.StopRecording();
  EXPECT_FALSE(core.StartRecording(folder / "other.vxlog"));
}

TEST_F(RecordingTest, AFullDiskStopsTheRecordingWithAMessageAndTheLinkGoesOn) {
  testsupport::MemoryLogSink sink;
  core.recorder.openSink = [&](const std::string&, std::string&) -> std::unique_ptr<ILiveLogSink> {
    return std::make_unique<testsupport::ForwardingLogSink>(sink);
  };
  ASSERT_TRUE(core.StartRecording("x.vxlog"));
  sink.capacity = sink.bytes.size() + 2 * 165 + 50;  // room for two frames and a bit

  const Frame f = LiveFrame(2500);
  for (int i = 0; i < 40 && core.recorder.Recording(); ++i) TickWith(&f);
  EXPECT_FALSE(core.recorder.Recording());
  EXPECT_EQ(view.messageText, "Recording stopped: memory.vxlog: No space left on device");
  EXPECT_TRUE(view.messageVisible);

  const LiveLogContents log = ReadLiveLog(sink.bytes);
  EXPECT_EQ(log.stop, LiveLogStop::kEnd) << log.message;
  EXPECT_EQ(log.frames.size(), 2u);

  // The unit is still answered and shown.
  const std::size_t sent = port.written.size();
  const Frame g = LiveFrame(3500);
  for (int i = 0; i < kTicksPerStep; ++i) TickWith(&g);
  EXPECT_GT(port.written.size(), sent);
  EXPECT_EQ(core.live.rpm, 3500);
  EXPECT_FALSE(core.NoConnectionShown());
}

TEST_F(RecordingTest, AStartThatCannotWriteSaysWhy) {
  EXPECT_FALSE(core.StartRecording("/dev/full"));
  EXPECT_EQ(core.recorder.Error(), "/dev/full: No space left on device");
  EXPECT_FALSE(core.recorder.Recording());
  core.recorder.logsDir = "/proc/ventrix-cannot-be-here";
  EXPECT_FALSE(core.StartRecording());
  EXPECT_FALSE(core.recorder.Error().empty());
}

}  // namespace
