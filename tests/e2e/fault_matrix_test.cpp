// Every way the line can fail, at every block of every run: the real serial
// code on a pseudo-terminal against an in-process simulated unit, stepped
// tick by tick. Nothing waits on the clock: the unit's time moves 55 ms per
// tick, and each tick carries exactly the bytes the program wrote.

#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "UnitSim.h"
#include "core/AppCore.h"
#include "image/Normalise.h"
#include "link/PosixSerialPort.h"
#include "support/Pty.h"
#include "support/RandomImage.h"
#include "support/RecordingView.h"
#include "support/SimProcess.h"
#include "support/TempFolder.h"

namespace {

// The real port, counting what the program wrote so that the line knows how
// many bytes to wait for on the unit's side.
class CountingPort : public ISerialPort {
 public:
  std::size_t written = 0;

  bool Open(int com) override { return m_port.Open(com); }
  void Close() override { m_port.Close(); }
  bool IsOpen() const override { return m_port.IsOpen(); }
  std::size_t QueuedBytes() override { return m_port.QueuedBytes(); }
  std::size_t Read(std::uint8_t* dst, std::size_t max) override { return m_port.Read(dst, max); }
  std::size_t Write(const std::uint8_t* src, std::size_t size) override {
    const std::size_t n = m_port.Write(src, size);
    written += n;
    return n;
  }
  void Purge() override { m_port.Purge(); }
  std::string DeviceName(int com) const override { return m_port.DeviceName(com); }

 private:
  CPosixSerialPort m_port;
};

// The unit at the end of a cable whose device path (a symbolic link) stays
// the same when the unit comes back on a new terminal.
class Line {
 public:
  Line(const UnitSimConfig& config, std::string linkPath) : sim(config), m_link(std::move(linkPath)) { Plug(); }
  ~Line() { ::unlink(m_link.c_str()); }

  bool Ok() const { return m_pty && m_pty->Ok(); }
  bool Pulled() const { return !m_pty->Ok(); }

  // The unit comes back on a fresh terminal behind the same path, healthy.
  void Restart() {
    m_pty.reset();
    Plug();
    sim.Restart();
  }

  // One tick of line traffic: `bytes` the program just wrote go to the unit,
  // and what the unit has due goes back to the program's port.
  void Carry(std::size_t bytes, ISerialPort& port) {
    nowMs += kTickMs;
    if (!Ok()) return;
    std::size_t got = 0;
    std::uint8_t buf[4096];
    while (got < bytes) {
      const ssize_t n = ::read(m_pty->Master(), buf, sizeof buf);
      if (n > 0) {
        got += std::size_t(n);
        sim.Receive(buf, std::size_t(n), nowMs);
        continue;
      }
      pollfd p{m_pty->Master(), POLLIN, 0};
      if (::poll(&p, 1, 1000) <= 0) break;  // a guard against a hang, never a measure
    }
    framesSent += int(got / kFrameSize);
    if (sim.HungUp()) {
      m_pty->CloseMaster();
      return;
    }
    const auto out = sim.TakeOutput(nowMs);
    if (out.empty()) return;
    const std::size_t before = port.QueuedBytes();
    m_pty->Send(out);
    // The reply is on the program's side before its next tick.
    for (int i = 0; i < 2000 && port.IsOpen() && port.QueuedBytes() < before + out.size(); ++i) {
      pollfd none{-1, 0, 0};
      ::poll(&none, 0, 1);
    }
  }

  CUnitSim sim;
  SimMs nowMs = 0;
  int framesSent = 0;

 private:
  void Plug() {
    m_pty = std::make_unique<testsupport::Pty>();
    const std::string fresh = m_link + ".new";
    ::unlink(fresh.c_str());
    if (::symlink(m_pty->SlavePath().c_str(), fresh.c_str()) != 0 || ::rename(fresh.c_str(), m_link.c_str()) != 0)
      m_pty->CloseMaster();
  }

  std::string m_link;
  std::unique_ptr<testsupport::Pty> m_pty;
};

using testsupport::RandomImage;

enum class RunKind { Read, Verify, Program };
const char* Name(RunKind r) { return r == RunKind::Read ? "Read" : r == RunKind::Verify ? "Verify" : "Program"; }

struct Fault {
  const char* name;
  SimFaults faults;  // the window is set per case
};

// Each fault hits the five sends of one block frame and ends by itself with
// the next frame; the pulled cable ends when the unit comes back.
const Fault kFaults[] = {
    {"cable pulled", {.hangup = true}},
    {"unit silent", {.silent = true}},
    {"every reply corrupt", {.corruptEvery = 1}},
    // Later than all five sends of the frame (5 x 6 ticks of 55 ms).
    {"replies 2 s late", {.delayMs = 2000}},
    {"garbage before replies", {.garbageEvery = 1}},
    {"reply for another block", {.wrongBlockEvery = 1}},
};

class FaultMatrix : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder.IsValid());
    m_dir = std::filesystem::path(folder.Path()) / "unit-link";
    ::setenv("VENTRIX_COM2", m_dir.c_str(), 1);
  }
  void TearDown() override { ::unsetenv("VENTRIX_COM2"); }

  void Connect(const ConfigImage& unitImage) {
    UnitSimConfig config;
    config.image = unitImage;
    line = std::make_unique<Line>(config, m_dir.string());
    ASSERT_TRUE(line->Ok());
    view = std::make_unique<RecordingView>();
    auto counting = std::make_unique<CountingPort>();
    port = counting.get();
    core = std::make_unique<CAppCore>(*view, std::move(counting));
    core->textSlots.Apply(kEnglish);
    core->OpenPort();
    ASSERT_TRUE(core->Port().IsOpen());
  }

  void Tick() {
    const std::size_t before = port->written;
    core->Tick();
    ++ticks;
    line->Carry(port->written - before, *port);
  }
  // Ticks until `done`; false when `limit` ticks were not enough.
  template <typename Done>
  bool TickUntil(Done done, int limit) {
    for (int i = 0; i < limit; ++i) {
      if (done()) return true;
      Tick();
    }
    return done();
  }
  // A valid frame came in during the last tick: the watchdog's count
  // restarted from 0 and went up once.
  bool FrameJustCame() const { return core->silenceTicks == 1; }

  testsupport::TempFolder folder;
  std::unique_ptr<Line> line;
  std::unique_ptr<RecordingView> view;
  CountingPort* port = nullptr;
  std::unique_ptr<CAppCore> core;
  int ticks = 0;

 private:
  std::filesystem::path m_dir;
};

TEST_F(FaultMatrix, EveryFaultAtEveryBlockOfEveryRunEndsRecoverably) {
  struct RunCase {
    RunKind run;
    int firstBlock;  // a Verify has no block 0
    void (CAppCore::*start)();
    const char* error;
    std::uint8_t readFlag;
  };
  const RunCase runs[] = {
      {RunKind::Read, 0, &CAppCore::StartRead, "Read error!", 0x40},
      {RunKind::Verify, 1, &CAppCore::StartVerify, "Verify error!", 0x40},
      {RunKind::Program, 0, &CAppCore::StartProgram, "Program error!", 0x00},
  };
  unsigned seed = 100;
  for (const auto& r : runs) {
    for (int blockNo = r.firstBlock; blockNo <= 19; ++blockNo) {
      for (const auto& f : kFaults) {
        const std::string where = std::string(Name(r.run)) + ", block " + std::to_string(blockNo) + ", " + f.name;
        SCOPED_TRACE(where);
        const ConfigImage unitImage = RandomImage(++seed);
        // A Verify gets as far as the faulted block only with equal blocks.
        const ConfigImage ours = r.run == RunKind::Verify ? unitImage : RandomImage(++seed);
        ASSERT_NO_FATAL_FAILURE(Connect(unitImage));
        core->image = ours;
        LoadParameterSet(core->image, core->params);
        core->ResetHistory();
        // The program knows the unit holds something else: every block is dirty.
        core->dirtyBlocks.fill(true);
        ASSERT_TRUE(TickUntil([&] { return line->sim.FramesSeen() >= 2; }, 20)) << "the idle link is up";

        // The run's frames are numbered on from here: one per block until
        // the faulted block, whose five sends all meet the fault.
        SimFaults faults = f.faults;
        faults.fromFrame = line->sim.FramesSeen() + 1 + (blockNo - r.firstBlock);
        if (!faults.hangup) faults.untilFrame = faults.fromFrame + 4;
        line->sim.SetFaults(faults);
        (core.get()->*r.start)();
        ASSERT_TRUE(TickUntil([&] { return core->mode == LinkMode::Idle; }, 30 + 6 * 25)) << where;

        EXPECT_EQ(view->messageText, r.error) << where;
        EXPECT_EQ(view->messageColour, clRed) << where;
        EXPECT_EQ(core->imageMatchesUnit, 0) << where;
        EXPECT_EQ(core->command, r.readFlag | blockNo) << where << ": the run stopped at the faulted block";
        for (int b = 0; b <= 19; ++b) {
          // Only a Program confirms blocks written, each by its reply.
          const bool written = r.run == RunKind::Program && b < blockNo;
          EXPECT_EQ(core->dirtyBlocks[std::size_t(b)], !written) << where << ", dirty flag of block " << b;
        }

        // The user edits the faulted block at once, before any late reply of
        // the run is in: what comes late must not overwrite the edit.
        const std::size_t edited = BlockOffset(std::max(blockNo, 1)) + 7;
        core->image[edited] ^= 0x5A;
        core->RecordHistory();
        const ConfigImage afterEdit = core->image;

        // The fault clears: the window has ended, or the unit comes back
        // on the same path after the pulled cable.
        if (line->Pulled()) line->Restart();
        ASSERT_TRUE(TickUntil([&] { return FrameJustCame(); }, 30 + 6 + 1))
            << where << ": the link is back within the watchdog's reopen period and one step";
        // Late replies still on the line are the line's, not the user's.
        ASSERT_TRUE(TickUntil([&] { return line->sim.PendingOutputBytes() == 0; }, 60)) << where;

        EXPECT_TRUE(core->image == afterEdit) << where << ": a late reply carried the unit's block into the image";
        if (r.run == RunKind::Read) {
          ConfigImage partial = ours;
          for (int b = 1; b < blockNo; ++b)
            std::copy_n(unitImage.begin() + std::ptrdiff_t(BlockOffset(b)), kBlockSize,
                        partial.begin() + std::ptrdiff_t(BlockOffset(b)));
          NormaliseImage(partial);
          // The blocks read, if any, are one step of the history, the edit the next.
          const bool readAny = blockNo > 1;
          ASSERT_EQ(core->history.Current(), readAny ? 2 : 1) << where;
          core->Undo();
          EXPECT_TRUE(core->image == partial) << where << ": the blocks read before the failure stay";
          core->Undo();
          EXPECT_TRUE(core->image == ours) << where << ": one Undo brings back the image before the Read";
          EXPECT_EQ(view->messageColour, clRed) << where;
          EXPECT_EQ(core->imageMatchesUnit, 0) << where;
        }

        core->StartProgram();
        ASSERT_TRUE(TickUntil([&] { return core->mode == LinkMode::Idle; }, 40 + 20 + 12)) << where;
        core->StartVerify();
        ASSERT_TRUE(TickUntil([&] { return core->mode == LinkMode::Idle; }, 19 + 12)) << where;
        // The text may already follow the unit's saving of the blocks just written.
        EXPECT_EQ(view->messageColour, clBtnFace) << where << ": " << view->messageText;
        EXPECT_EQ(core->imageMatchesUnit, 1) << where;
        EXPECT_TRUE(line->sim.Image() == core->image) << where << ": the unit holds the program's image byte for byte";
        if (HasFailure()) return;  // one case's story is enough to read
        core.reset();
        line.reset();
      }
    }
  }
}

// A Read that fails half way leaves an image that is part unit, part old:
// kept, shown as incomplete, and one Undo from the image before it.
TEST_F(FaultMatrix, FailedReadKeepsItsBlocksAsOneUndoableStep) {
  const ConfigImage unitImage = RandomImage(1);
  const ConfigImage ours = RandomImage(2);
  ASSERT_NO_FATAL_FAILURE(Connect(unitImage));
  core->image = ours;
  LoadParameterSet(core->image, core->params);
  core->ResetHistory();
  ASSERT_TRUE(TickUntil([&] { return line->sim.FramesSeen() >= 2; }, 20));
  // Blocks 0..9 come, block 10 never does.
  SimFaults silent{.silent = true};
  silent.fromFrame = line->sim.FramesSeen() + 11;
  line->sim.SetFaults(silent);
  core->StartRead();
  ASSERT_TRUE(TickUntil([&] { return core->mode == LinkMode::Idle; }, 200));
  ASSERT_EQ(view->messageText, "Read error!");

  const ConfigImage partial = core->image;
  EXPECT_TRUE(std::equal(unitImage.begin() + 150, unitImage.begin() + 150 + 8 * 150, partial.begin() + 150))
      << "blocks 2..9 are the unit's";
  EXPECT_TRUE(std::equal(ours.begin() + 9 * 150, ours.end(), partial.begin() + 9 * 150)) << "blocks 10..19 are ours";
  // The pages hold what the image holds: a commit that changes nothing
  // must not put the old values back over the blocks read.
  core->CommitSequence();
  EXPECT_TRUE(core->image == partial);
  EXPECT_EQ(core->history.Current(), 1) << "the Read is one step, the empty commit none";

  EXPECT_EQ(core->Undo(), -1);
  EXPECT_TRUE(core->image == ours);
  EXPECT_EQ(view->messageText, "Read error!");
  EXPECT_EQ(view->messageColour, clRed);
  EXPECT_EQ(core->imageMatchesUnit, 0);
  EXPECT_FALSE(core->history.CanUndo());
  core->Redo();
  EXPECT_TRUE(core->image == partial);
}

// The simulator program itself: a cable pulled at a given frame, and the
// unit back on the same path, where the program's watchdog finds it again.
TEST(UnitSimProgram, PulledCableComesBackOnTheSameLinkPath) {
  testsupport::TempFolder folder;
  ASSERT_TRUE(folder.IsValid());
  const std::string link = folder.Path() + "/unit-link";
  testsupport::SimProcess unit(VENTRIX_UNITSIM_EXE,
                               {"--link", link, "--fault-from", "3", "--hangup", "--restart-after-ms", "0"});
  ASSERT_TRUE(unit.Ok());
  ::setenv("VENTRIX_COM2", link.c_str(), 1);
  RecordingView view;
  auto counting = std::make_unique<CountingPort>();
  CountingPort& port = *counting;
  CAppCore core(view, std::move(counting));
  core.textSlots.Apply(kEnglish);
  core.OpenPort();
  ASSERT_TRUE(core.Port().IsOpen());
  // One tick, then, when a frame went out, time for its reply to come.
  const auto tick = [&] {
    const std::size_t before = port.written;
    core.Tick();
    for (int i = 0; i < 50 && port.written != before && core.Port().QueuedBytes() < kFrameSize; ++i) {
      pollfd none{-1, 0, 0};
      ::poll(&none, 0, 1);
    }
  };
  const auto tickUntil = [&](auto done, int limit) {
    for (int i = 0; i < limit && !done(); ++i) tick();
    return done();
  };
  ASSERT_TRUE(tickUntil([&] { return core.unitInfo[10] == 83; }, 20)) << "the identity came with frame 1";
  ASSERT_TRUE(tickUntil([&] { return core.NoConnectionShown(); }, 60)) << "the cable is pulled at frame 3";
  // Back within the watchdog's reopen period and one step.
  ASSERT_TRUE(tickUntil([&] { return !core.NoConnectionShown(); }, 30 + 6 + 2));
  core.StartRead();
  ASSERT_TRUE(tickUntil([&] { return core.mode == LinkMode::Idle; }, 200));
  EXPECT_EQ(view.messageText, "Verify: OK") << "the unit came back healthy, its image kept";
  ::unsetenv("VENTRIX_COM2");
}

}  // namespace
