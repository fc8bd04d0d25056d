// A live-data log played back into the core: the port closes, the frames
// arrive as if the unit sent them, at the chosen speed, and the port opens
// again at the end.

#include <gtest/gtest.h>

#include <fstream>
#include <memory>

#include "core/AppCore.h"
#include "link/LiveLog.h"
#include "base/Lang.h"
#include "support/FakePort.h"
#include "support/LiveFrames.h"
#include "support/RecordingView.h"
#include "support/TempFolder.h"

namespace {

// A log of `count` frames 100 ms apart, engine speed 1000, 1100, ...
std::string WriteLog(const testsupport::TempFolder& dir, int count) {
  std::string bytes;
  LiveLogHeader header;
  header.programVersion = "test";
  AppendLiveLogHeader(bytes, header);
  for (int i = 0; i < count; ++i) {
    Frame f = testsupport::QuietFrame();
    testsupport::PutWord(f, 48, 1000 + 100 * i);
    SealFrame(f);
    AppendFrameRecord(bytes, std::uint64_t(i) * 100000, f);
  }
  const std::string path = dir.Path() + "/run.vxlog";
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

class PlaybackTest : public ::testing::Test {
 protected:
  PlaybackTest() : core(view, std::make_unique<FakePort>()), port(static_cast<FakePort&>(core.Port())) {
    SetCurrentLanguage(0);
    core.textSlots.Apply(0);
    core.OpenPort();
  }
  RecordingView view;
  CAppCore core;
  FakePort& port;
  testsupport::TempFolder dir;
};

TEST_F(PlaybackTest, FramesArriveAtTheirTimeAndThePortComesBack) {
  const std::string path = WriteLog(dir, 20);
  ASSERT_TRUE(port.IsOpen());
  ASSERT_TRUE(core.StartPlayback(path)) << core.playbackError;
  EXPECT_FALSE(port.IsOpen());
  EXPECT_TRUE(core.playbackActive);

  core.Tick();  // 55 ms: the frame at 0
  EXPECT_EQ(core.live.rpm, 1000);
  core.Tick();  // 110 ms: the frame at 100 ms
  EXPECT_EQ(core.live.rpm, 1100);
  const std::size_t written = port.written.size();
  for (int i = 0; i < 40; ++i) core.Tick();
  EXPECT_EQ(port.written.size(), written) << "nothing is sent during playback";
  EXPECT_FALSE(core.NoConnectionShown());
  // The end holds its last picture, paused.
  EXPECT_EQ(core.live.rpm, 2900);
  EXPECT_EQ(core.playback.Speed(), 0);

  core.StopPlayback();
  EXPECT_FALSE(core.playbackActive);
  EXPECT_TRUE(port.IsOpen());
}

TEST_F(PlaybackTest, SpeedStepAndSeek) {
  ASSERT_TRUE(core.StartPlayback(WriteLog(dir, 20)));
  core.playback.SetSpeed(10);
  core.Tick();  // 550 ms of the log
  EXPECT_EQ(core.live.rpm, 1500);
  EXPECT_EQ(core.playback.FramesPlayed(), 6u);
  core.PlaybackStep();
  EXPECT_EQ(core.live.rpm, 1600);
  EXPECT_EQ(core.playback.Speed(), 0);
  core.Tick();
  EXPECT_EQ(core.live.rpm, 1600) << "paused";
  core.PlaybackSeek(1234567);
  EXPECT_EQ(core.live.rpm, 2200);
  core.PlaybackSeek(0);
  EXPECT_EQ(core.live.rpm, 1000);
}

TEST_F(PlaybackTest, RefusesWhatIsNotALogAndRunsInProgress) {
  const std::string junk = dir.Path() + "/junk.vxlog";
  std::ofstream(junk, std::ios::binary) << "not a log at all";
  EXPECT_FALSE(core.StartPlayback(junk));
  EXPECT_FALSE(core.playbackError.empty());
  EXPECT_FALSE(core.StartPlayback(dir.Path() + "/missing.vxlog"));
  EXPECT_TRUE(port.IsOpen());
  EXPECT_FALSE(core.playbackActive);

  core.StartRead();
  EXPECT_FALSE(core.StartPlayback(WriteLog(dir, 3)));
  EXPECT_TRUE(port.IsOpen());
}

// No run starts while a log plays; edits stay dirty for the unit's return.
TEST_F(PlaybackTest, NoRunDuringPlayback) {
  ASSERT_TRUE(core.StartPlayback(WriteLog(dir, 3)));
  core.StartRead();
  core.StartVerify();
  core.StartProgram();
  EXPECT_EQ(core.mode, LinkMode::Idle);
  core.programAfterChange = true;
  core.dirtyBlocks[3] = true;
  core.ProgramDirtyBlocks();
  EXPECT_EQ(core.mode, LinkMode::Idle);
  EXPECT_TRUE(core.dirtyBlocks[3]);
}

// No recording of what is being played back.
TEST_F(PlaybackTest, PlaybackIsNotRecorded) {
  core.recorder.logsDir = dir.Path();
  ASSERT_TRUE(core.StartRecording(dir.Path() + "/rec.vxlog"));
  ASSERT_TRUE(core.StartPlayback(WriteLog(dir, 5)));
  EXPECT_FALSE(core.recorder.Recording());
  EXPECT_FALSE(core.StartRecording(dir.Path() + "/rec2.vxlog"));
}

}  // namespace
