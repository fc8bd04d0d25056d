#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "UnitSim.h"
#include "image/MapStorage.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Wire facts restated here so a wrong constant in the code cannot hide.
constexpr std::size_t kFrame = 152;

std::uint8_t Check(const std::uint8_t* f) {
  std::uint8_t x = 0xFF;
  for (std::size_t i = 0; i < 151; ++i) x ^= f[i];
  return x;
}

Bytes MakeFrame(std::uint8_t cmd, const Bytes& payload = {}) {
  Bytes f(kFrame, 0);
  f[0] = cmd;
  std::copy(payload.begin(), payload.end(), f.begin() + 1);
  f[151] = Check(f.data());
  return f;
}

Bytes Pattern(std::uint8_t seed) {
  Bytes p(150);
  for (std::size_t i = 0; i < p.size(); ++i) p[i] = static_cast<std::uint8_t>(seed + i * 7);
  return p;
}

Bytes Send(CUnitSim& sim, const Bytes& frame, SimMs now = 0) {
  sim.Receive(frame.data(), frame.size(), now);
  return sim.TakeOutput(now);
}

bool IsValid(const Bytes& f) { return f.size() == kFrame && Check(f.data()) == f[151]; }

Bytes PayloadOf(const Bytes& f) { return Bytes(f.begin() + 1, f.begin() + 151); }

int Word(const Bytes& f, std::size_t at) { return f[at] | (f[at + 1] << 8); }

TEST(UnitSimReplyTest, EachCommandKindGetsOneFrameWithItsReplyCode) {
  enum Payload { kLive, kIdentity, kBlock };
  struct Case {
    std::uint8_t cmd;
    std::uint8_t code;
    Payload payload;
    int block;
  };
  const Case cases[] = {
      {0x30, 0xB0, kLive, 0},   {0x40, 0xC0, kIdentity, 0}, {0x00, 0x80, kIdentity, 0}, {0x41, 0xC1, kBlock, 1},
      {0x53, 0xD3, kBlock, 19}, {0x01, 0x81, kBlock, 1},    {0x13, 0x93, kBlock, 19},   {0x4A, 0xCA, kBlock, 10},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cmd);
    UnitSimConfig cfg;
    for (std::size_t i = 0; i < cfg.image.size(); ++i) cfg.image[i] = static_cast<std::uint8_t>(i * 13 + 1);
    CUnitSim sim(cfg);
    const Bytes request = MakeFrame(c.cmd, (c.cmd & 0x40) ? Pattern(99) : Pattern(3));
    const Bytes reply = Send(sim, request);
    ASSERT_EQ(reply.size(), kFrame);
    EXPECT_TRUE(IsValid(reply));
    EXPECT_EQ(reply[0], c.code);
    if (c.payload == kIdentity) {
      EXPECT_EQ(PayloadOf(reply), Bytes(sim.Identity().begin(), sim.Identity().end()));
    } else if (c.payload == kBlock) {
      // Reads ignore the request's payload; writes answer with what is now stored.
      const Bytes expected = (c.cmd & 0x40)
                                 ? Bytes(cfg.image.begin() + 150 * (c.block - 1), cfg.image.begin() + 150 * c.block)
                                 : Pattern(3);
      EXPECT_EQ(PayloadOf(reply), expected);
    } else {
      EXPECT_EQ(reply[150], 83);
    }
  }
}

TEST(UnitSimReplyTest, WrittenBlockReadsBackAndLeavesNeighboursAlone) {
  CUnitSim sim;
  const Bytes data = Pattern(0x21);
  Send(sim, MakeFrame(0x07, data));
  const ConfigImage before = DefaultSimImage();
  EXPECT_EQ(PayloadOf(Send(sim, MakeFrame(0x47))), data);
  EXPECT_EQ(PayloadOf(Send(sim, MakeFrame(0x46))), Bytes(before.begin() + 750, before.begin() + 900));
  EXPECT_EQ(PayloadOf(Send(sim, MakeFrame(0x48))), Bytes(before.begin() + 1050, before.begin() + 1200));
  EXPECT_TRUE(std::equal(data.begin(), data.end(), sim.Image().begin() + 900));
  EXPECT_EQ(sim.Image()[0], 11);  // bike type untouched
}

TEST(UnitSimReplyTest, ResetMarkerIsCountedAndAnsweredWithIdentity) {
  CUnitSim sim;
  Bytes payload(150, 0);
  payload[12] = 0xA5;  // frame bytes 13 and 14
  payload[13] = 0x08;
  const Bytes reply = Send(sim, MakeFrame(0x00, payload));
  ASSERT_TRUE(IsValid(reply));
  EXPECT_EQ(reply[0], 0x80);
  EXPECT_EQ(reply[11], 83);
  EXPECT_EQ(sim.Stats().resets, 1);
  Send(sim, MakeFrame(0x00));
  EXPECT_EQ(sim.Stats().resets, 1);
}

TEST(UnitSimReplyTest, FramesTheUnitMustNotAnswer) {
  Bytes badCheck = MakeFrame(0x30);
  badCheck[151] ^= 0x01;
  const Bytes cases[] = {badCheck,       MakeFrame(0xB0), MakeFrame(0xC1), MakeFrame(0x54), MakeFrame(0x14, Pattern(1)),
                         MakeFrame(0x3F)};
  CUnitSim sim;
  for (const auto& frame : cases) {
    SCOPED_TRACE(static_cast<int>(frame[0]));
    EXPECT_TRUE(Send(sim, frame).empty());
  }
  // The stream stays in step: the next good frame is answered.
  EXPECT_EQ(Send(sim, MakeFrame(0x41)).size(), kFrame);
  EXPECT_EQ(sim.Stats().badCheckFrames, 1);
  EXPECT_EQ(sim.Image(), DefaultSimImage());
}

TEST(UnitSimReplyTest, PartialFrameIsJoinedOrDroppedDependingOnTheGap) {
  const Bytes frame = MakeFrame(0x30);
  {
    CUnitSim sim;  // split frame, pieces close together
    sim.Receive(frame.data(), 70, 0);
    sim.Receive(frame.data() + 70, kFrame - 70, 40);
    EXPECT_EQ(sim.TakeOutput(40).size(), kFrame);
  }
  {
    CUnitSim sim;  // a lost tail: the stale head must not swallow the next frame
    sim.Receive(frame.data(), 70, 0);
    sim.Receive(frame.data(), kFrame, 500);
    const Bytes out = sim.TakeOutput(500);
    ASSERT_EQ(out.size(), kFrame);
    EXPECT_EQ(out[0], 0xB0);
    EXPECT_EQ(sim.Stats().staleBytesDropped, 70);
  }
}

TEST(UnitSimIdentityTest, RecordLayout) {
  UnitSimConfig cfg;
  cfg.version = 82;
  cfg.subversion = 3;
  CUnitSim sim(cfg);
  const Bytes p = PayloadOf(Send(sim, MakeFrame(0x40)));
  EXPECT_EQ(std::string(p.begin(), p.begin() + 3), "VTX");
  EXPECT_EQ(p[5], 43);  // "Jul"
  EXPECT_EQ(p[10], 82);
  EXPECT_EQ(p[11], 3);
  EXPECT_EQ(std::string(p.begin() + 16, p.begin() + 38), "Ventrix simulated unit");
  EXPECT_EQ(p[49], 24);
  EXPECT_EQ(p[56], 'S');  // firmware letter
  EXPECT_EQ(p[73], 0xA5);
  const std::uint32_t upload = p[60] | p[61] << 8 | p[62] << 16 | static_cast<std::uint32_t>(p[63]) << 24;
  EXPECT_EQ(upload, 1436790600u);

  sim.SetVersion(83, 0);
  const Bytes again = Send(sim, MakeFrame(0x40));
  EXPECT_EQ(again[11], 83);
  EXPECT_EQ(again[12], 0);
}

TEST(UnitSimIdentityTest, MonthCodesOfAllMonths) {
  const std::pair<const char*, int> months[] = {{"Jan", 25}, {"Feb", 13}, {"Mar", 32}, {"Apr", 35},
                                                {"May", 39}, {"Jun", 45}, {"Jul", 43}, {"Aug", 29},
                                                {"Sep", 40}, {"Oct", 38}, {"Nov", 51}, {"Dec", 12}};
  for (const auto& [name, code] : months) EXPECT_EQ(MonthCode(name), code) << name;
}

// Pattern letters per frame sent: '.' good reply, 'x' none, 'c' bad check
// byte, 'g' noise then a good reply, 'w' a good reply naming another block.
std::string ReplyPattern(CUnitSim& sim, int frames, int garbageBytes) {
  std::string pattern;
  for (int i = 0; i < frames; ++i) {
    const std::uint8_t cmd = static_cast<std::uint8_t>(0x41 + i % 19);
    const Bytes out = Send(sim, MakeFrame(cmd));
    if (out.empty()) {
      pattern += 'x';
    } else if (out.size() == kFrame) {
      pattern += !IsValid(out) ? 'c' : out[0] == (cmd ^ 0x80) ? '.' : 'w';
    } else if (out.size() == kFrame + static_cast<std::size_t>(garbageBytes)) {
      pattern += IsValid(Bytes(out.begin() + garbageBytes, out.end())) ? 'g' : '?';
    } else {
      pattern += '?';
    }
  }
  return pattern;
}

TEST(UnitSimFaultTest, FaultPatterns) {
  struct Case {
    const char* name;
    SimFaults faults;
    const char* pattern;
  };
  const auto faults = [](auto set) {
    SimFaults f;
    set(f);
    return f;
  };
  const Case cases[] = {
      {"none", {}, "........"},
      {"drop every 3", faults([](SimFaults& f) { f.dropEvery = 3; }), "..x..x.."},
      {"corrupt every 2", faults([](SimFaults& f) { f.corruptEvery = 2; }), ".c.c.c.c"},
      {"garbage every 4", faults([](SimFaults& f) {
         f.garbageEvery = 4;
         f.garbageBytes = 5;
       }),
       "...g...g"},
      {"silent after 5", faults([](SimFaults& f) { f.silentAfter = 5; }), ".....xxx"},
      {"silent at once", faults([](SimFaults& f) { f.silentAfter = 0; }), "xxxxxxxx"},
      {"drop 2, corrupt 3", faults([](SimFaults& f) {
         f.dropEvery = 2;
         f.corruptEvery = 3;
       }),
       ".xcx.x.x"},
      // A window of frames 3..5 (counted from 1): the fault starts and ends by itself.
      {"corrupt in 3..5", faults([](SimFaults& f) {
         f.corruptEvery = 1;
         f.fromFrame = 3;
         f.untilFrame = 5;
       }),
       "..ccc..."},
      {"silent in 2..3", faults([](SimFaults& f) {
         f.silent = true;
         f.fromFrame = 2;
         f.untilFrame = 3;
       }),
       ".xx....."},
      {"another block from 7", faults([](SimFaults& f) {
         f.wrongBlockEvery = 1;
         f.fromFrame = 7;
       }),
       "......ww"},
      {"cable pulled at 4", faults([](SimFaults& f) {
         f.hangup = true;
         f.fromFrame = 4;
         f.untilFrame = 4;
       }),
       "...xxxxx"},
  };
  for (const auto& c : cases) {
    UnitSimConfig cfg;
    cfg.faults = c.faults;
    CUnitSim sim(cfg);
    EXPECT_EQ(ReplyPattern(sim, 8, c.faults.garbageBytes), c.pattern) << c.name;
  }
}

TEST(UnitSimFaultTest, DroppedReplyStillActsButSilentUnitDoesNot) {
  UnitSimConfig cfg;
  cfg.faults.dropEvery = 1;
  CUnitSim dropping(cfg);
  EXPECT_TRUE(Send(dropping, MakeFrame(0x02, Pattern(5))).empty());
  EXPECT_EQ(dropping.Image()[150], Pattern(5)[0]);

  CUnitSim silent;
  silent.SetSilent(true);
  EXPECT_TRUE(Send(silent, MakeFrame(0x02, Pattern(5))).empty());
  EXPECT_EQ(silent.Image(), DefaultSimImage());
  silent.SetSilent(false);
  EXPECT_EQ(Send(silent, MakeFrame(0x42)).size(), kFrame);
}

TEST(UnitSimFaultTest, WrongBlockReplyNamesTheNextBlockAndLateRepliesOnlyInTheWindow) {
  UnitSimConfig cfg;
  cfg.faults.wrongBlockEvery = 1;
  CUnitSim wrong(cfg);
  EXPECT_EQ(Send(wrong, MakeFrame(0x45))[0], 0xC6);
  EXPECT_EQ(Send(wrong, MakeFrame(0x53))[0], 0xC0) << "after block 19 comes block 0";
  EXPECT_EQ(Send(wrong, MakeFrame(0x30))[0], 0xB0) << "live data keeps its code";

  cfg.faults = {.delayMs = 500, .fromFrame = 2, .untilFrame = 2};
  CUnitSim late(cfg);
  late.Receive(MakeFrame(0x41).data(), kFrame, 0);
  late.Receive(MakeFrame(0x42).data(), kFrame, 0);
  late.Receive(MakeFrame(0x43).data(), kFrame, 0);
  EXPECT_EQ(late.TakeOutput(0).size(), kFrame) << "frame 1 is answered at once";
  EXPECT_TRUE(late.TakeOutput(499).empty()) << "frame 3's reply waits behind frame 2's";
  EXPECT_EQ(late.TakeOutput(500).size(), 2 * kFrame);
}

TEST(UnitSimFaultTest, PulledCableLosesEverythingUntilTheRestart) {
  UnitSimConfig cfg;
  cfg.faults = {.delayMs = 100, .hangup = true};
  cfg.faults.fromFrame = 2;
  CUnitSim sim(cfg);
  sim.Receive(MakeFrame(0x41).data(), kFrame, 0);
  EXPECT_FALSE(sim.HungUp());
  sim.Receive(MakeFrame(0x02, Pattern(9)).data(), kFrame, 10);
  EXPECT_TRUE(sim.HungUp());
  EXPECT_FALSE(sim.NextOutputDueMs()) << "the reply still on its way went with the cable";
  EXPECT_EQ(sim.Image(), DefaultSimImage()) << "the frame never arrived";

  sim.Restart();
  EXPECT_FALSE(sim.HungUp());
  EXPECT_EQ(Send(sim, MakeFrame(0x02, Pattern(9)), 20).size(), kFrame) << "healthy: no delay, no hang-up";
  EXPECT_EQ(sim.Image()[150], Pattern(9)[0]);
  EXPECT_EQ(sim.FramesSeen(), 3);
}

TEST(UnitSimFaultTest, DelayedRepliesComeDueInOrder) {
  UnitSimConfig cfg;
  cfg.faults.delayMs = 200;
  CUnitSim sim(cfg);
  sim.Receive(MakeFrame(0x41).data(), kFrame, 1000);
  sim.Receive(MakeFrame(0x42).data(), kFrame, 1050);
  EXPECT_EQ(sim.NextOutputDueMs(), 1200);
  EXPECT_TRUE(sim.TakeOutput(1199).empty());
  Bytes out = sim.TakeOutput(1200);
  ASSERT_EQ(out.size(), kFrame);
  EXPECT_EQ(out[0], 0xC1);
  EXPECT_TRUE(sim.TakeOutput(1249).empty());
  out = sim.TakeOutput(5000);
  ASSERT_EQ(out.size(), kFrame);
  EXPECT_EQ(out[0], 0xC2);
  EXPECT_FALSE(sim.NextOutputDueMs());
}

TEST(UnitSimLiveTest, OneMinuteOfPlausibleEngineData) {
  UnitSimConfig cfg;
  cfg.startMs = 10000;
  CUnitSim sim(cfg);
  int firstCoolant = -1, lastCoolant = -1, maxRpm = 0, lastSeconds = -1;
  bool gearSeen[7] = {};
  for (SimMs t = 10000; t <= 10000 + 61000; t += 330) {
    const Bytes f = Send(sim, MakeFrame(0x30), t);
    ASSERT_TRUE(IsValid(f));
    ASSERT_EQ(f[0], 0xB0);
    const int rpm = Word(f, 48);
    ASSERT_LE(rpm, 12000);
    ASSERT_GE(f[25], 1);
    ASSERT_LE(f[25], 6);
    gearSeen[f[25]] = true;
    maxRpm = std::max(maxRpm, rpm);
    ASSERT_GE(f[23], 100 + 15);
    ASSERT_LE(f[23], 100 + 95);
    ASSERT_GE(f[23], lastCoolant);  // never cools down
    lastCoolant = f[23];
    if (firstCoolant < 0) firstCoolant = f[23];
    ASSERT_GE(f[29], 120);  // AFR 12.0 .. 15.0
    ASSERT_LE(f[29], 150);
    ASSERT_GE(Word(f, 64), 13000);
    ASSERT_LE(Word(f, 64), 14500);
    ASSERT_LE(Word(f, 138), 1000);  // throttle
    ASSERT_GT(Word(f, 94), lastSeconds);
    lastSeconds = Word(f, 94);
    if (rpm > 0) {
      ASSERT_EQ(f[3] & 0x60, 0x60);  // both pickups receiving
    }
    ASSERT_EQ(f[2] & 0xC0, 0xC0);  // servos in order
    ASSERT_EQ(f[1] & 0x55, 0x55);  // inputs idle read as set
    ASSERT_EQ(Word(f, 146), 0);
    ASSERT_EQ(Word(f, 148), 0);
    ASSERT_EQ(f[150], 83);
    // Idle with the bike standing: about 1300 rpm.
    if (Word(f, 116) == 0) {
      ASSERT_NEAR(rpm, 1300, 100);
    }
  }
  EXPECT_GT(lastCoolant, firstCoolant);
  EXPECT_GE(maxRpm, 8000);
  EXPECT_TRUE(gearSeen[1] && gearSeen[6]);
}

TEST(UnitSimLiveTest, OutputTestsAndTuningBytesAreRecordedOncePerFrame) {
  CUnitSim sim;
  Bytes status(150, 0);
  status[0] = 1;      // tuning on
  status[5] = 7;      // frame byte 6
  status[19] = 0x41;  // frame byte 20: injectors 1A and 3B
  Bytes live = Send(sim, MakeFrame(0x30, status), 20000);
  EXPECT_NE(live[28], 2);  // tuning reported as running
  Send(sim, MakeFrame(0x30), 20330);
  status.assign(150, 0);
  status[21] = 0x20;  // frame byte 22: stop
  Send(sim, MakeFrame(0x30, status), 20660);

  for (int index = 0; index < 4; ++index)
    for (int bit = 0; bit < 8; ++bit) {
      const bool requested = (index == 0 && (bit == 0 || bit == 6)) || (index == 2 && bit == 5);
      EXPECT_EQ(sim.TestRequestCount(index, bit), requested ? 1 : 0) << index << "." << bit;
    }
  EXPECT_EQ(sim.LastTestBytes(), (std::array<std::uint8_t, 4>{0, 0, 0x20, 0}));
  EXPECT_FALSE(sim.TuningOn());
  live = Send(sim, MakeFrame(0x30), 21000);
  EXPECT_EQ(live[28], 2);
}

TEST(UnitSimLiveTest, LockedOutputTestsAreReportedAndRefusedButStop) {
  std::ostringstream log;
  UnitSimConfig config;
  config.testsLocked = true;
  CUnitSim sim(config);
  sim.SetFrameLog(&log);
  Bytes status(150, 0);
  status[19] = 0x01;  // frame byte 20: injector 1A
  status[20] = 0x10;  // frame byte 21 bit 4: no output behind it
  status[21] = 0x22;  // frame byte 22: fuel pump and stop
  EXPECT_EQ(Send(sim, MakeFrame(0x30, status), 500)[4] & 0x08, 0x08) << "live flag 4.3";
  sim.SetTestsLocked(false);
  EXPECT_EQ(Send(sim, MakeFrame(0x30, status), 900)[4] & 0x08, 0);

  struct Expected {
    SimMs at;
    int statusByte;
    int bit;
    bool refused;
    const char* text;
  };
  const Expected expected[] = {
      {500, 20, 0, true, "test Injector 1A refused: output tests locked"},
      {500, 21, 4, true, "test bit 21.4: no such output"},
      {500, 22, 1, true, "test Fuel pump refused: output tests locked"},
      {500, 22, 5, false, "test Stop"},
      {900, 20, 0, false, "test Injector 1A"},
      {900, 21, 4, false, "test bit 21.4: no such output"},
      {900, 22, 1, false, "test Fuel pump"},
      {900, 22, 5, false, "test Stop"},
  };
  std::vector<std::string> logged;
  std::istringstream lines(log.str());
  for (std::string line; std::getline(lines, line);)
    if (const auto at = line.find(" ms test "); at != std::string::npos) logged.push_back(line.substr(at + 4));
  const auto& got = sim.TestRequests();
  ASSERT_EQ(got.size(), std::size(expected));
  ASSERT_EQ(logged.size(), std::size(expected));
  for (std::size_t i = 0; i < got.size(); ++i) {
    const auto& e = expected[i];
    EXPECT_EQ(got[i], (SimTestRequest{e.at, e.statusByte, e.bit, e.refused})) << i;
    EXPECT_EQ(TestRequestText(got[i]), e.text);
    EXPECT_EQ(logged[i], e.text);
  }
}

TEST(UnitSimLiveTest, BlockChangedByTheUnitIsReportedUntilRead) {
  CUnitSim sim;
  sim.ChangeOnUnit(700, 0x5C);
  EXPECT_EQ(Word(Send(sim, MakeFrame(0x30)), 146), 1 << 4);  // block 5
  const Bytes block = Send(sim, MakeFrame(0x45));
  EXPECT_EQ(block[1 + 100], 0x5C);
  EXPECT_EQ(Word(Send(sim, MakeFrame(0x30)), 146), 0);
}

TEST(UnitSimLogTest, EveryFrameIsLoggedWithTimeAndHex) {
  std::ostringstream log;
  CUnitSim sim;
  sim.SetFrameLog(&log);
  Send(sim, MakeFrame(0x41), 1234);
  Bytes bad = MakeFrame(0x42);
  bad[151] ^= 1;
  Send(sim, bad, 1300);
  std::istringstream lines(log.str());
  std::vector<std::string> all;
  for (std::string line; std::getline(lines, line);) all.push_back(line);
  ASSERT_EQ(all.size(), 3u);  // frame, its reply, the bad frame
  EXPECT_NE(all[0].find("1234 ms RX"), std::string::npos);
  EXPECT_NE(all[0].find("41 00 00"), std::string::npos);
  EXPECT_NE(all[1].find("TX"), std::string::npos);
  EXPECT_NE(all[2].find("1300 ms RX bad check"), std::string::npos);
}

TEST(UnitSimLiveTest, SavingCountdownRunsAfterAWrite) {
  CUnitSim sim;
  EXPECT_EQ(Word(Send(sim, MakeFrame(0x30), 1000), 148), 0);
  Send(sim, MakeFrame(0x03, Pattern(3)), 2000);
  struct Case {
    SimMs at;
    int countdown;
  };
  // 5782 down to 0 over 1.5 s.
  const Case cases[] = {{2000, 5782}, {2750, 2891}, {3499, 4}, {3500, 0}, {9000, 0}};
  for (const auto& c : cases) EXPECT_EQ(Word(Send(sim, MakeFrame(0x30), c.at), 148), c.countdown) << c.at;
}

TEST(UnitSimLiveTest, TuningMovesInjectionMapOneAndReportsItsBlock) {
  CUnitSim sim;
  Bytes tuningOn(150, 0);
  tuningOn[0] = 1;
  int steps = 0;
  // Along the ride, once the engine is off idle, a step every 3 s.
  for (SimMs t = 0; t < 60000 && steps == 0; t += 330) {
    const Bytes live = Send(sim, MakeFrame(0x30, tuningOn), t);
    steps = sim.TuningSteps();
    if (steps) {
      EXPECT_NE(Word(live, 146) & 0x60, 0) << "block 6 or 7 reported changed";
      EXPECT_TRUE(live[28] == 14 || live[28] == 15) << "Adding or Decrease just after a step";
    }
  }
  ASSERT_EQ(steps, 1);
  Bytes off(150, 0);
  for (SimMs t = 60000; t < 120000; t += 330) Send(sim, MakeFrame(0x30, off), t);
  EXPECT_EQ(sim.TuningSteps(), 1) << "no tuning while tuning is off";
}

// Regression: the tuned cell was taken by 1000 rpm columns, whatever speed
// points the map's own axis holds.
TEST(UnitSimLiveTest, TuningStepMovesTheCellUnderTheOperatingPoint) {
  CUnitSim sim;
  Bytes tuningOn(150, 0);
  tuningOn[0] = 1;
  SimMs t = 0;
  for (; t < 60000 && sim.TuningSteps() == 0; t += 330) Send(sim, MakeFrame(0x30, tuningOn), t);
  ASSERT_EQ(sim.TuningSteps(), 1);
  const EngineState e = EngineAt(t - 330);
  MapGrid before, after;
  LoadMap(DefaultSimImage(), MapId::kInjection1, before);
  LoadMap(sim.Image(), MapId::kInjection1, after);
  int changed = 0;
  for (int r = 0; r < before.Rows(); ++r)
    for (int c = 0; c < before.Columns(); ++c) {
      if (before.At(r, c) == after.At(r, c)) continue;
      ++changed;
      const auto throttle = [&](int row) { return before.rowAxis[std::size_t(row)] * 10; };
      const auto rpm = [&](int column) { return before.columnAxis[std::size_t(column)] * 100; };
      EXPECT_LE(throttle(r), e.throttle10);
      if (r + 1 < before.Rows()) {
        EXPECT_LT(e.throttle10, throttle(r + 1));
      }
      EXPECT_LE(rpm(c), e.rpm);
      if (c + 1 < before.Columns()) {
        EXPECT_LT(e.rpm, rpm(c + 1));
      }
    }
  EXPECT_EQ(changed, 1);
}

}  // namespace
