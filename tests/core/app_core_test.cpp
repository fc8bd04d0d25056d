#include <gtest/gtest.h>

#include <memory>

#include "core/AppCore.h"
#include "base/Lang.h"
#include "support/FakePort.h"
#include "support/RecordingView.h"

namespace {

class CoreTest : public ::testing::Test {
 protected:
  CoreTest() : core(view, std::make_unique<FakePort>()), port(static_cast<FakePort&>(core.Port())) {
    SetCurrentLanguage(0);
    core.textSlots.Apply(0);
    core.textSlots.SetFileName("data.ign");
  }

  // Runs ticks up to and including tick `last` (ticks are counted from 1).
  void TickTo(int last) {
    while (core.tickCount < last) core.Tick();
  }
  // Tick numbers at which a frame went out, and their command bytes.
  void TickRecordingFrames(int last, std::vector<std::pair<int, int>>& sent) {
    while (core.tickCount < last) {
      const auto before = port.written.size();
      core.Tick();
      for (auto i = before; i < port.written.size(); ++i) sent.emplace_back(core.tickCount, port.written[i][0]);
    }
  }

  RecordingView view;
  CAppCore core;
  FakePort& port;
};

Frame Identity(std::uint8_t code, std::uint8_t version, std::uint8_t subversion) {
  Frame f{};
  f[0] = code;
  f[1 + 10] = version;
  f[1 + 11] = subversion;
  SealFrame(f);
  return f;
}

TEST_F(CoreTest, IdleRhythmIsOneFrameEverySixTicksWithBlockZeroAfterTwentyStatusFrames) {
  core.OpenPort();
  std::vector<std::pair<int, int>> sent;
  TickRecordingFrames(6 * 43, sent);
  ASSERT_EQ(sent.size(), 43u);
  for (std::size_t i = 0; i < sent.size(); ++i) {
    EXPECT_EQ(sent[i].first, 6 * int(i + 1)) << "frame " << i;
    // Step 1 finds no status frames due and refreshes the identity; then
    // 20 status frames, then block 0 again.
    const int expected = (i % 21 == 0) ? 0x40 : 0x30;
    EXPECT_EQ(sent[i].second, expected) << "frame " << i;
  }
}

TEST_F(CoreTest, WatchdogShowsNoConnectionAfterSilenceAndReopensEveryThirtyTicks) {
  core.OpenPort();
  ASSERT_EQ(port.openAttempts.size(), 1u);
  TickTo(6);
  EXPECT_FALSE(view.noConnectionVisible);
  EXPECT_TRUE(view.versionVisible);
  core.Tick();  // tick 7: 24 silent ticks have passed
  EXPECT_TRUE(view.noConnectionVisible);
  EXPECT_FALSE(view.versionVisible);

  std::vector<int> reopenTicks;
  while (core.tickCount < 100) {
    const auto before = port.openAttempts.size();
    core.Tick();
    if (port.openAttempts.size() > before) reopenTicks.push_back(core.tickCount);
  }
  EXPECT_EQ(reopenTicks, (std::vector<int>{36, 66, 96}));
  EXPECT_TRUE(view.messageBoxes.empty()) << "watchdog reopens are silent";
  EXPECT_EQ(port.openAttempts.back(), 2) << "a fixed port stays on its COM number";
}

TEST_F(CoreTest, ValidFrameResetsSilenceAndHidesNoConnection) {
  core.OpenPort();
  TickTo(10);
  ASSERT_TRUE(view.noConnectionVisible);
  Frame bad = UnitReply(0xB0);
  bad[151] ^= 0xFF;
  port.Queue(bad);
  core.Tick();
  EXPECT_EQ(core.silenceTicks, 24) << "a frame with a wrong check byte changes nothing";
  port.Queue(UnitReply(0xB0));
  core.Tick();
  EXPECT_FALSE(view.noConnectionVisible);
  EXPECT_TRUE(view.versionVisible);
  EXPECT_EQ(core.silenceTicks, 1);
}

TEST_F(CoreTest, AutomaticModeScansComPortsSilentlyAndWraps) {
  port.existing = {};  // no port can be opened
  core.portIndex = kAutoPortIndex;
  core.OpenPort();
  EXPECT_EQ(port.openAttempts, (std::vector<int>{1}));
  EXPECT_EQ(core.reconnectTicks, 200);
  TickTo(6);
  EXPECT_EQ(port.openAttempts.size(), 1u) << "no scan before the link has been silent for 24 ticks";
  // From tick 7 on, every failed port moves the scan on at the next tick.
  TickTo(6 + 21);
  std::vector<int> expected{1};
  for (int com = 2; com <= 21; ++com) expected.push_back(com);
  expected.push_back(1);
  EXPECT_EQ(port.openAttempts, expected);
  EXPECT_TRUE(view.messageBoxes.empty());
  EXPECT_EQ(view.checkedPortItem, kAutoPortIndex);
}

TEST_F(CoreTest, AutomaticModeStaysThirtyTicksOnAPortThatOpens) {
  port.existing = {3, 4};
  core.portIndex = kAutoPortIndex;
  core.autoPortIndex = 1;  // COM2 does not exist
  core.OpenPort();
  TickTo(36);
  EXPECT_EQ(port.openAttempts, (std::vector<int>{2, 3}));
  EXPECT_EQ(view.portLabel, "COM= COM3");
  EXPECT_EQ(view.portDevice, "/dev/fake3");
  TickTo(37);
  EXPECT_EQ(port.openAttempts, (std::vector<int>{2, 3, 4}));
}

// The settings' "monitor was open" request opens it once, on the next tick
// and ahead of the sheets' share of that tick.
TEST_F(CoreTest, MonitorOpenRequestOpensTheMonitorOnceOnTheNextTick) {
  core.monitorOpenRequest = true;
  core.Tick();
  core.Tick();
  EXPECT_EQ(view.monitorOpenedAtSheetTick, (std::vector<int>{0}));
  EXPECT_FALSE(core.monitorOpenRequest);
}

TEST_F(CoreTest, FailedOpenOfFixedPortShowsOneMessage) {
  core.OpenPort();
  core.MenuCom1Click(4);  // COM5 does not exist
  ASSERT_EQ(view.messageBoxes.size(), 1u);
  EXPECT_EQ(view.messageBoxes[0], "Com opening error!");
  EXPECT_EQ(view.checkedPortItem, 4);
  EXPECT_EQ(view.portLabel, "COM= COM5");
  TickTo(200);
  EXPECT_GT(port.openAttempts.size(), 3u);
  EXPECT_EQ(view.messageBoxes.size(), 1u) << "the watchdog's reopens are silent";

  core.MenuCom1Click(kAutoPortIndex);
  EXPECT_EQ(view.messageBoxes.size(), 1u) << "automatic mode never shows the message";
}

TEST_F(CoreTest, RetriesEndRunsWithTheirErrorText) {
  struct Case {
    LinkMode mode;
    const char* text;
  };
  const Case cases[] = {
      {LinkMode::Reading, "Read error!"},
      {LinkMode::Verifying, "Verify error!"},
      {LinkMode::Programming, "Program error!"},
  };
  for (const auto& c : cases) {
    RecordingView v;
    CAppCore k(v, std::make_unique<FakePort>());
    k.textSlots.Apply(0);
    auto& p = static_cast<FakePort&>(k.Port());
    k.OpenPort();
    k.mode = c.mode;
    k.command = 0x45;
    k.retries = 0;
    k.programDone = c.mode != LinkMode::Programming;
    std::vector<int> sendTicks;
    while (k.tickCount < 60) {
      const auto before = p.written.size();
      k.Tick();
      if (p.written.size() > before) sendTicks.push_back(k.tickCount);
    }
    // Five sends 6 ticks apart, the run fails at the sixth step; the idle
    // rhythm takes over afterwards.
    ASSERT_GE(sendTicks.size(), 6u) << c.text;
    EXPECT_EQ(std::vector<int>(sendTicks.begin(), sendTicks.begin() + 6), (std::vector<int>{6, 12, 18, 24, 30, 42}))
        << c.text;
    for (int i = 0; i < 5; ++i) EXPECT_EQ(p.written[std::size_t(i)][0], 0x45) << c.text;
    EXPECT_EQ(k.mode, LinkMode::Idle);
    EXPECT_EQ(v.messageText, c.text);
    EXPECT_EQ(v.messageColour, clRed);
    EXPECT_EQ(k.messageTicks, kMessageTicks - (60 - 35));  // set at tick 36, counted down from then
    EXPECT_FALSE(k.programDone) << c.text;
  }
}

TEST_F(CoreTest, MessageTimerHidesLabelAndGaugeAndClearsProgramDone) {
  core.messageTicks = 3;
  core.programDone = true;
  view.messageVisible = view.gaugeVisible = true;
  TickTo(2);
  EXPECT_TRUE(view.messageVisible);
  EXPECT_EQ(view.messageText, "Program device: OK");
  EXPECT_EQ(view.gauge, kProgramGaugeMax);
  core.Tick();
  EXPECT_FALSE(view.messageVisible);
  EXPECT_FALSE(view.gaugeVisible);
  EXPECT_FALSE(core.programDone);
}

TEST_F(CoreTest, SavingCountdownDrivesTheGauge) {
  struct Case {
    std::uint16_t countdown;
    int gauge;
  };
  const Case cases[] = {{5782, 0}, {2891, 10}, {1, 19}, {9000, 0}};
  for (const auto& c : cases) {
    core.live.savingCountdown = c.countdown;
    core.Tick();
    EXPECT_EQ(view.messageText, "Saving:");
    EXPECT_EQ(view.messageColour, clBtnFace);
    EXPECT_EQ(view.gauge, c.gauge) << c.countdown;
    EXPECT_EQ(core.messageTicks, kMessageTicks - 1) << "refreshed, then counted down by the same tick";
  }
}

TEST_F(CoreTest, ReadPortWaitsForAWholeFrameAndDecodesOnlyTheFirst) {
  core.OpenPort();
  TickTo(30);
  const Frame live = UnitReply(0xB0);
  port.incoming.assign(live.begin(), live.begin() + 151);
  core.ReadPort();
  EXPECT_EQ(port.incoming.size(), 151u) << "151 bytes stay queued";
  EXPECT_EQ(core.silenceTicks, 24);

  port.incoming.clear();
  Frame bad = live;
  bad[151] ^= 1;
  port.Queue(bad);
  port.Queue(live);  // 304 bytes: both read, only the (invalid) first decoded
  core.ReadPort();
  EXPECT_TRUE(port.incoming.empty());
  EXPECT_EQ(core.silenceTicks, 24);
}

TEST_F(CoreTest, BlockReplyMustAnswerTheLastCommand) {
  core.OpenPort();
  TickTo(30);
  core.command = 0x40;
  port.Queue(UnitReply(0xC1));  // reply to another block
  core.ReadPort();
  EXPECT_EQ(core.silenceTicks, 24);
  port.Queue(UnitReply(0xC0, 0x11));
  core.ReadPort();
  EXPECT_EQ(core.silenceTicks, 0);
  EXPECT_EQ(core.unitInfo[0], 0x11);
}

TEST_F(CoreTest, BlockFramePayloadFollowsTheMode) {
  core.OpenPort();
  for (std::size_t i = 0; i < kImageSize; ++i) core.image[i] = static_cast<std::uint8_t>(i * 7 + 3);
  struct Case {
    LinkMode mode;
    std::uint8_t command;
    bool imagePayload;
    bool resetMarker;
  };
  const Case cases[] = {
      {LinkMode::Idle, 0x45, true, false},       {LinkMode::Reading, 0x45, false, false},
      {LinkMode::Idle, 0x40, false, false},      {LinkMode::Releasing, 0x00, false, true},
      {LinkMode::Releasing, 0x40, false, true},  {LinkMode::Releasing, 0x05, true, false},
      {LinkMode::Programming, 0x13, true, false},
  };
  for (const auto& c : cases) {
    core.mode = c.mode;
    core.command = c.command;
    core.sendTicks = 4;
    core.SendBlockFrame();
    const Frame& f = port.written.back();
    EXPECT_EQ(core.sendTicks, 0);
    EXPECT_EQ(core.block, c.command & 0x3F);
    EXPECT_EQ(f[0], c.command);
    EXPECT_TRUE(FrameIsValid(f));
    const int b = c.command & 0x3F;
    for (int i = 1; i <= 150; ++i) {
      std::uint8_t expected = c.imagePayload ? core.image[std::size_t(150 * (b - 1) + i - 1)] : 0;
      if (c.resetMarker && i == 13) expected = 0xA5;
      if (c.resetMarker && i == 14) expected = 0x08;
      ASSERT_EQ(f[std::size_t(i)], expected) << "mode " << int(c.mode) << " command " << int(c.command) << " byte " << i;
    }
  }
  EXPECT_EQ(port.written[0][1], core.image[600]) << "block 5 carries image bytes 600..749";
  EXPECT_EQ(port.written[0][150], core.image[749]);
}

TEST_F(CoreTest, StatusFrameCarriesTuningBytesAndOneShotOnce) {
  core.OpenPort();
  core.SendStatusFrame();
  Frame empty{};
  empty[0] = 0x30;
  empty[151] = 0xCF;
  EXPECT_EQ(port.written.back(), empty);

  const std::pair<std::size_t, std::size_t> copies[] = {{340, 2},  {344, 6},  {345, 7},  {346, 8},  {347, 9},
                                                        {348, 10}, {350, 12}, {351, 13}, {378, 14}, {383, 19}};
  for (const auto& [imageByte, frameByte] : copies) core.image[imageByte] = static_cast<std::uint8_t>(frameByte + 100);
  core.image[349] = 0xEE;  // not sent
  core.tuningOn = true;
  core.image[341] = 2;  // item of the tacho/lambda switch, committed into the image
  core.oneShot = {0x41, 0x02, 0x20, 0x08};
  core.SendStatusFrame();
  const Frame f = port.written.back();
  EXPECT_EQ(f[1], 1);
  EXPECT_EQ(f[3], 2);
  for (const auto& [imageByte, frameByte] : copies) EXPECT_EQ(f[frameByte], frameByte + 100) << imageByte;
  EXPECT_EQ(f[11], 0);
  EXPECT_EQ(f[20], 0x41);
  EXPECT_EQ(f[23], 0x08);
  EXPECT_TRUE(FrameIsValid(f));
  core.SendStatusFrame();
  EXPECT_EQ(port.written.back()[20], 0) << "a test request travels in exactly one frame";
}

// --- Port release -----------------------------------------------------------

TEST_F(CoreTest, ReleaseRequestForAnotherPortChangesNothing) {
  core.OpenPort();  // COM2, port number 1
  for (std::uint32_t code : {0x7FFFFFA1u, 0x7FFFFFA2u, 0x7FFFFFA4u}) {
    core.OnPortReleaseMessage(0, code);
    core.OnPortReleaseMessage(2, code);
  }
  EXPECT_EQ(core.mode, LinkMode::Idle);
  EXPECT_TRUE(core.portEnabled);
  EXPECT_EQ(view.languageApplied, 0);

  // In automatic mode the port in use is autoPortIndex.
  core.portIndex = kAutoPortIndex;
  core.autoPortIndex = 1;
  core.OnPortReleaseMessage(20, 0x7FFFFFA1);
  EXPECT_EQ(core.mode, LinkMode::Idle);
  core.OnPortReleaseMessage(1, 0x7FFFFFA1);
  EXPECT_EQ(core.mode, LinkMode::Releasing);
}

TEST_F(CoreTest, ResetAndReleaseSendsTheResetMarkerAndReleasesOnMatchingVersion) {
  core.OpenPort();
  TickTo(3);
  core.command = 0x45;
  core.retries = 4;
  core.OnPortReleaseMessage(1, 0x7FFFFFA2);
  EXPECT_EQ(core.mode, LinkMode::Releasing);
  const auto before = port.written.size();
  core.Tick();  // the step runs at once
  ASSERT_EQ(port.written.size(), before + 1);
  const Frame& f = port.written.back();
  EXPECT_EQ(f[0], 0x00);
  EXPECT_EQ(f[13], 0xA5);
  EXPECT_EQ(f[14], 0x08);

  port.Queue(Identity(0x80, 83, 0));
  core.Tick();
  EXPECT_EQ(core.mode, LinkMode::Idle);
  EXPECT_FALSE(core.portEnabled);
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(view.caption, "  Ventrix_2007       data.ign     (Disconnected by bootloader)");

  // Released: nothing is sent and the watchdog does not reopen.
  const auto attempts = port.openAttempts.size();
  const auto frames = port.written.size();
  TickTo(200);
  EXPECT_EQ(port.written.size(), frames);
  EXPECT_EQ(port.openAttempts.size(), attempts);

  core.OnPortReleaseMessage(1, 0x7FFFFFA4);
  EXPECT_TRUE(core.portEnabled);
  EXPECT_TRUE(port.IsOpen());
  EXPECT_EQ(port.openAttempts.size(), attempts + 1);
  EXPECT_EQ(view.languageApplied, 1);
}

TEST_F(CoreTest, ReleaseKeepsCommandAndRetriesAndFailsAfterTwoSends) {
  core.OpenPort();
  TickTo(6);  // the first idle step sent block 0 (0x40)
  core.retries = 0;
  core.OnPortReleaseMessage(1, 0x7FFFFFA1);
  EXPECT_EQ(core.command, 0x40);
  const auto before = port.written.size();
  TickTo(6 + 18);
  ASSERT_EQ(port.written.size(), before + 2);
  EXPECT_EQ(port.written.back()[0], 0x40);
  EXPECT_EQ(port.written.back()[13], 0xA5) << "block-0 frames carry the reset marker while releasing";
  EXPECT_EQ(core.mode, LinkMode::Idle);
  EXPECT_EQ(view.messageText, "Reset error");
  EXPECT_EQ(view.messageColour, clRed);
  EXPECT_FALSE(core.portEnabled);
  EXPECT_NE(view.caption.find("(Disconnected by bootloader)"), std::string::npos);
}

TEST_F(CoreTest, ReleaseWithMismatchedUnitKeepsThePort) {
  struct Case {
    std::uint8_t version, subversion;
    const char* text;
  };
  const Case cases[] = {
      {82, 0, "Unmatched version of PC and Ignition programs!  PC-83.00, IGN-82.00"},
      {83, 3, "Unmatched subversion of PC and Ignition programs!  PC-83.00, IGN-83.03"},
  };
  for (const auto& c : cases) {
    core.OpenPort();
    core.OnPortReleaseMessage(1, 0x7FFFFFA2);
    core.Tick();
    port.Queue(Identity(0x80, c.version, c.subversion));
    core.Tick();
    EXPECT_EQ(core.mode, LinkMode::Idle);
    EXPECT_TRUE(core.portEnabled);
    EXPECT_TRUE(port.IsOpen());
    ASSERT_FALSE(view.messageBoxes.empty());
    EXPECT_EQ(view.messageBoxes.back(), c.text);
  }
}

// A port that knows why it could not be opened, as the real one does.
class ExplainingPort : public FakePort {
 public:
  OpenFailure failure;
  OpenFailure LastOpenFailure() const override { return IsOpen() ? OpenFailure{} : failure; }
};

TEST(CoreOpenFailure, FixedPortSaysWhyOnceAndAutomaticModeStaysSilent) {
  RecordingView view;
  auto owned = std::make_unique<ExplainingPort>();
  ExplainingPort& port = *owned;
  port.failure.kind = OpenFailureKind::Busy;
  port.failure.device = "/dev/ttyUSB4";
  port.failure.holderPid = 777;
  port.failure.holderName = "minicom";
  CAppCore core(view, std::move(owned));
  SetCurrentLanguage(kGerman);
  core.textSlots.Apply(kGerman);

  core.MenuCom1Click(4);
  ASSERT_EQ(view.messageBoxes.size(), 1u);
  EXPECT_EQ(view.messageBoxes[0],
            "Falscher COM-Anschlußes!\n/dev/ttyUSB4 wird von einem anderen Programm benutzt: minicom (PID 777).");
  while (core.tickCount < 200) core.Tick();
  EXPECT_EQ(view.messageBoxes.size(), 1u) << "the watchdog's reopens are silent";

  core.MenuCom1Click(kAutoPortIndex);
  const auto attempts = port.openAttempts.size();
  while (core.tickCount < 400) core.Tick();
  EXPECT_GT(port.openAttempts.size(), attempts + 3) << "automatic mode keeps scanning";
  EXPECT_EQ(view.messageBoxes.size(), 1u) << "and never says why";
  SetCurrentLanguage(kEnglish);
}

TEST_F(CoreTest, ResetErrorFollowsTheLanguage) {
  SetCurrentLanguage(3);
  core.textSlots.Apply(3);
  core.OpenPort();
  core.OnPortReleaseMessage(1, 0x7FFFFFA2);
  TickTo(20);
  EXPECT_EQ(view.messageText, "Chyba při resetu");
  EXPECT_EQ(view.caption, "  Ventrix_2007       data.ign     (Dočasně odpojeno bootloaderem)");
  SetCurrentLanguage(0);
}

}  // namespace

// --- Block transfer -----------------------------------------------------------

namespace {

struct IdentityBytes {
  std::array<std::uint8_t, 150> p{};
  Frame Reply(std::uint8_t code = 0xC0) const {
    Frame f{};
    f[0] = code;
    std::copy(p.begin(), p.end(), f.begin() + 1);
    SealFrame(f);
    return f;
  }
};

class UnitInfoTest : public CoreTest {
 protected:
  void Receive(const IdentityBytes& id) {
    core.command = 0x40;
    const Frame f = id.Reply();
    core.OnBlockReply(f);
  }
};

TEST_F(UnitInfoTest, TextsFromTheIdentityRecord) {
  struct Case {
    std::uint8_t day, monthCode, year;
    const char* date;
  };
  const Case cases[] = {
      {13, 43, 15, "13. 7.2015"}, {5, 38, 9, " 5.10.2009"}, {31, 12, 26, "31.12.2026"},
      {1, 25, 0, " 1. 1.2000"},   {28, 99, 15, "28.00.2015"},
  };
  for (const auto& c : cases) {
    IdentityBytes id;
    id.p[0] = 'V';
    id.p[1] = 'T';
    id.p[2] = 'X';
    id.p[3] = 7;
    id.p[4] = c.day;
    id.p[5] = c.monthCode;
    id.p[6] = c.year;
    id.p[7] = 9;
    id.p[8] = 5;
    Receive(id);
    EXPECT_EQ(core.unitText, "VTX07");
    EXPECT_EQ(core.unitDate, c.date);
    EXPECT_EQ(core.unitTime, "09:05");
    EXPECT_EQ(core.bootLine, "") << "no boot record";
  }
  IdentityBytes named;
  const std::string name = "Race unit Brno";
  std::copy(name.begin(), name.end(), named.p.begin() + 16);
  Receive(named);
  EXPECT_EQ(core.unitText, name);
  EXPECT_GT(view.unitTextsShown, 0);
}

TEST_F(UnitInfoTest, BootRecordGivesTheFirmwareLineAndUnsettlesTheMatch) {
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  IdentityBytes id;
  id.p[49] = 24;
  std::uint8_t* r = &id.p[50];
  r[6] = 'S';
  r[7] = 3;
  r[8] = 2;
  r[9] = 1;
  const std::uint32_t uploaded = 1436790600;  // 2015-07-13 12:30 UTC
  for (int i = 0; i < 4; ++i) r[10 + i] = static_cast<std::uint8_t>(uploaded >> (8 * i));
  const std::uint8_t serial[8] = {0x2A, 0, 7, 0x15, 13, 1, 3, 2};  // bytes 14..21
  std::copy(serial, serial + 8, r + 14);
  r[23] = 0xA5;
  core.imageMatchesUnit = 1;
  Receive(id);
  EXPECT_EQ(core.bootRecordValid, 1);
  EXPECT_EQ(core.bootLine, "FRM:010203S (150713 12:30)   SN:020301-132107-0002A");
  EXPECT_EQ(core.imageMatchesUnit, 0) << "another boot record: another unit";

  core.imageMatchesUnit = 1;
  Receive(id);
  EXPECT_EQ(core.imageMatchesUnit, 1) << "the same unit again";

  id.p[50 + 23] = 0;
  Receive(id);
  EXPECT_EQ(core.bootRecordValid, 0);
  EXPECT_EQ(core.bootLine, "");
  ::unsetenv("TZ");
  ::tzset();
}

// A block the unit did not store as sent must stay dirty; it used to be
// marked clean before the comparison.
TEST_F(CoreTest, WriteTheUnitDidNotTakeStaysDirty) {
  core.OpenPort();
  core.image[150 * 4 + 10] = 0x42;  // block 5
  core.dirtyBlocks[5] = true;
  core.ProgramDirtyBlocks();
  EXPECT_EQ(view.messageText, "Program device:");
  EXPECT_TRUE(view.messageVisible);
  EXPECT_TRUE(view.gaugeVisible);
  EXPECT_EQ(view.gauge, 5);
  Frame reply = UnitReply(0x85);  // all zero: not what was written
  core.command = 0x05;
  core.OnBlockReply(reply);
  EXPECT_TRUE(core.dirtyBlocks[5]);
  EXPECT_EQ(core.mode, LinkMode::Programming);

  Frame good{};
  good[0] = 0x85;
  std::copy_n(core.image.begin() + 600, 150, good.begin() + 1);
  SealFrame(good);
  core.OnBlockReply(good);
  EXPECT_FALSE(core.dirtyBlocks[5]);
  EXPECT_EQ(core.mode, LinkMode::Idle);
  EXPECT_EQ(view.messageText, "Program device: OK");
  EXPECT_TRUE(core.programDone);
}

TEST_F(CoreTest, StartReadClearsTheFileNameFromTheCaption) {
  core.StartRead();
  EXPECT_EQ(core.mode, LinkMode::Reading);
  EXPECT_EQ(core.command, 0x40);
  EXPECT_EQ(view.messageText, "Read:");
  EXPECT_EQ(view.messageColour, clBtnFace);
  EXPECT_EQ(core.messageTicks, kMessageTicks);
  EXPECT_EQ(core.textSlots.FileName(), "");
  EXPECT_EQ(view.caption, "  Ventrix_2007       ");
}

}  // namespace
