#pragma once

// A stand-in for the ignition unit at the far end of the serial link: it
// answers the PC's frames the way the unit does, runs a small engine model
// for the live data and can misbehave on request. Plain C++; the caller
// supplies the time (milliseconds on any monotonic clock) with every call.

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <fstream>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "image/ConfigImage.h"
#include "image/MapStorage.h"
#include "link/Frame.h"

using SimMs = std::int64_t;

// Misbehaviour of the unit or its line. Replies are counted from 1 over every
// frame the unit accepts, so with dropEvery = 3 the 3rd, 6th, ... replies are
// lost. A count of 0 turns the fault off. Faults combine: a reply picked for
// both garbage and corruption gets both.
//
// All of them but silentAfter act only on a window of frames: fromFrame to
// untilFrame, counted from 1 over every valid frame the unit receives
// (answered or not; Restart() counts on), so a fault can be made to hit one
// block of a run and to end by itself a few frames later. Nothing in them is
// random: the same faults and the same frames give the same line, byte for
// byte.
struct SimFaults {
  int dropEvery = 0;     // the unit acts on the frame, the reply never arrives
  int corruptEvery = 0;  // the reply arrives with a wrong check byte
  SimMs delayMs = 0;     // a reply is due this long after its frame arrived
  int garbageEvery = 0;  // garbageBytes of noise arrive just before the reply
  int garbageBytes = 17;
  int silentAfter = -1;  // after this many accepted frames the unit goes silent; -1 never
  int fromFrame = 1;
  int untilFrame = 0;       // 0: the window never ends
  bool silent = false;      // frames in the window are neither acted on nor answered
  int wrongBlockEvery = 0;  // the reply names the next block number (19 is followed by 0)
  // The cable is pulled as frame fromFrame is sent: that frame and all after
  // it are lost, and nothing more comes from the unit until Restart().
  bool hangup = false;
};

constexpr std::size_t kIdentitySize = 150;
using IdentityRecord = std::array<std::uint8_t, kIdentitySize>;

// What the unit reports about itself in block 0.
struct UnitIdentity {
  std::string programName = "VTX";  // first three characters are used
  std::uint8_t programNumber = 7;
  std::uint8_t day = 13;
  std::string month = "Jul";  // English three-letter abbreviation
  std::uint8_t year = 15;     // within 2000..2099
  std::uint8_t hour = 14;
  std::uint8_t minute = 30;
  std::string unitName = "Ventrix simulated unit";  // up to 30 characters
  bool withBootRecord = true;
  std::array<std::uint8_t, 6> hardware{0x02, 0x11, 0x07, 0x20, 0x01, 0x04};
  char firmwareLetter = 'S';
  std::array<std::uint8_t, 3> firmware{3, 2, 1};  // boot record bytes 7..9
  std::uint32_t uploadTime = 1436790600;          // 2015-07-13 12:30 UTC
  std::array<std::uint8_t, 8> serial{0x2A, 0x00, 0x07, 0x15, 0x0D, 0x01, 0x03, 0x02};
};

// Low 8 bits of the sum of the abbreviation's character codes ("Jul" -> 43).
std::uint8_t MonthCode(std::string_view abbreviation);
IdentityRecord BuildIdentityRecord(const UnitIdentity& id, std::uint8_t version, std::uint8_t subversion);

// What the unit holds at power-on (DefaultImage.cpp): the program's default
// configuration of the start bike, which its normalisation leaves unchanged,
// so a Read ends with a passing verify.
ConfigImage DefaultSimImage();
// All zero but the bike type: an image the program's normalisation changes,
// so a Read of it ends with a failing verify.
ConfigImage BlankSimImage();

struct UnitSimConfig {
  ConfigImage image = DefaultSimImage();
  std::uint8_t version = 83;
  std::uint8_t subversion = 0;
  UnitIdentity identity;
  SimFaults faults;
  SimMs startMs = 0;               // power-on time on the caller's clock
  std::uint16_t programmings = 0;  // reported in the live data
  bool testsLocked = false;        // live flag 4.3: the unit refuses output tests but Stop
  // Hold the engine at one operating point instead of riding the cycle
  // (tests that look for one map cell); negative: follow the ride.
  int steadyRpm = -1;
  int steadyThrottle10 = -1;
};

// One output test request as the unit received it: a set bit of status
// frame bytes 20..23.
struct SimTestRequest {
  SimMs atMs = 0;
  int statusByte = 0;  // 20..23
  int bit = 0;
  bool refused = false;  // the unit had its output tests locked

  bool operator==(const SimTestRequest&) const = default;
};
// "test Injector 1A", with the reason when refused; a bit that drives no
// output reads "test bit 21.5: no such output".
std::string TestRequestText(const SimTestRequest& request);

// What the engine is doing at some moment; the live frame is made from it.
struct EngineState {
  int rpm = 0;
  int throttle10 = 0;  // x0.1 %
  int gear = 1;        // 1..6
  int speedKmh = 0;
  int coolantC = 20;
  int airC = 25;
  int afr10 = 147;  // x0.1
  int iapKpa = 0;
  int advanceDeg = 0;
  int injA100us = 0;  // injection time A, x100 us
  int injB100us = 0;
  int supplyMv = 13800;
};

// The engine model: a deterministic 60 s ride repeated forever (idle, full
// throttle through the six gears, cruise, roll off to idle), with the
// coolant warming from 20 to 90 C over the first minutes after power-on.
EngineState EngineAt(SimMs sinceStartMs);

struct UnitSimStats {
  int framesAccepted = 0;  // valid frames the unit acted on
  int badCheckFrames = 0;
  int ignoredFrames = 0;      // valid but not a command the unit knows
  int silentFrames = 0;       // valid, arrived while silent
  int staleBytesDropped = 0;  // partial frames thrown away by resynchronisation
  int repliesQueued = 0;
  int repliesDropped = 0;
  int repliesCorrupted = 0;
  int repliesMisnumbered = 0;
  int hangups = 0;
  int garbageBursts = 0;
  int statusFrames = 0;
  int resets = 0;
  std::array<int, kBlockCount> blockReads{};
  std::array<int, kBlockCount> blockWrites{};
};

class CUnitSim {
 public:
  // A partial frame whose last byte is older than this when new bytes come
  // is dropped: the PC writes whole frames, so a gap that long means the
  // rest was lost and the new bytes start a fresh frame.
  static constexpr SimMs kStaleFrameMs = 100;

  CUnitSim();
  explicit CUnitSim(const UnitSimConfig& config);

  // Bytes from the PC. Every complete valid frame is acted on at once and
  // its reply queued, due at nowMs + the configured delay.
  void Receive(const std::uint8_t* data, std::size_t size, SimMs nowMs);
  // Replies (and noise) due by nowMs, in the order the unit sent them.
  std::vector<std::uint8_t> TakeOutput(SimMs nowMs);
  std::optional<SimMs> NextOutputDueMs() const;
  std::size_t PendingOutputBytes() const;
  void DiscardOutput();

  // Re-arms silent-after; it counts all frames accepted since power-on.
  void SetFaults(const SimFaults& faults) {
    m_faults = faults;
    m_silentAfterFired = false;
  }
  const SimFaults& Faults() const { return m_faults; }
  // A silent unit neither answers nor acts on frames (as if switched off).
  void SetSilent(bool silent) { m_silent = silent; }
  bool IsSilent() const { return m_silent; }
  // The cable was pulled (SimFaults::hangup): whoever carries the line must
  // drop it now. The unit keeps its image.
  bool HungUp() const { return m_hungUp; }
  // Power back on after a pulled cable or a fault run: a healthy unit that
  // still holds its image, with nothing half received or queued.
  void Restart();
  // Valid frames received so far: the numbers SimFaults' window counts.
  int FramesSeen() const { return m_framesSeen; }

  // Frame log: one line per frame received and per reply, with the time and
  // a hex dump. Pass nullptr to stop. The stream must outlive the sim.
  void SetFrameLog(std::ostream* log) { m_log = log; }
  // Same, into a file the sim owns (truncated). False when it cannot be opened.
  bool OpenFrameLog(const std::string& path);

  void SetVersion(std::uint8_t version, std::uint8_t subversion);
  std::uint8_t Version() const { return m_version; }
  const IdentityRecord& Identity() const { return m_identity; }
  const ConfigImage& Image() const { return m_image; }
  // Changes bytes on the unit's side, as its own auto-tuning would, and
  // reports the blocks touched in the live data until the PC reads them.
  void ChangeOnUnit(std::size_t offset, std::uint8_t value);
  std::uint16_t ChangedBlocks() const { return m_changedBlocks; }
  // A fixed saving countdown for the live data; 0 lets writes drive it.
  void SetSavingCountdown(std::uint16_t value) { m_savingCountdown = value; }
  // After a block write the unit stores its memory: the countdown runs
  // from kSavingCountdownStart to 0 over kSavingMs.
  static constexpr int kSavingCountdownStart = 5782;
  static constexpr SimMs kSavingMs = 1500;
  std::uint16_t SavingCountdown(SimMs nowMs) const;

  // Auto-tuning: while the status frames say "Tuning on" and the engine is
  // in a tunable state, the unit moves the cell of injection map 1 under the
  // operating point by 1 us every kTuneEveryMs and reports its block changed
  // until the PC reads it. Tuning steps come only with status frames, which
  // the PC does not send during a Read, Verify or Program run: a run never
  // sees the map change under it.
  static constexpr SimMs kTuneEveryMs = 3000;
  static constexpr MapId kTunedMap = MapId::kInjection1;
  int TuningSteps() const { return m_tuningSteps; }

  // The live frame the unit would send at nowMs.
  Frame LiveFrame(SimMs nowMs) const;

  const UnitSimStats& Stats() const { return m_stats; }
  // The last status frame received (all zero before the first).
  const Frame& LastStatusFrame() const { return m_lastStatus; }
  bool TuningOn() const { return m_lastStatus[1] != 0; }
  // Output tests: every request in the order it came, once per status
  // frame that carried it (the PC sends each request in one frame).
  const std::vector<SimTestRequest>& TestRequests() const { return m_testRequests; }
  // How often bit `bit` of status byte 20 + `index` came in.
  int TestRequestCount(int index, int bit) const;
  std::array<std::uint8_t, 4> LastTestBytes() const;
  // Live flag 4.3. A locked unit refuses every test but Stop.
  void SetTestsLocked(bool locked) { m_testsLocked = locked; }
  // The engine now: the ride, or the held operating point.
  EngineState Engine(SimMs nowMs) const;
  bool TestsLocked() const { return m_testsLocked; }

 private:
  void HandleFrame(const Frame& frame, SimMs nowMs);
  std::optional<Frame> Answer(const Frame& frame, SimMs nowMs);
  void Tune(SimMs nowMs);
  void TakeTestRequests(const Frame& status, SimMs nowMs);
  bool InFaultWindow() const;
  void QueueReply(Frame reply, SimMs nowMs);
  void LogLine(SimMs nowMs, std::string_view tag, const std::uint8_t* data, std::size_t size);

  struct Pending {
    SimMs dueMs;
    std::vector<std::uint8_t> bytes;
  };

  ConfigImage m_image;
  std::uint8_t m_version;
  std::uint8_t m_subversion;
  UnitIdentity m_identityInfo;
  IdentityRecord m_identity;
  SimFaults m_faults;
  SimMs m_startMs;
  std::uint16_t m_programmings;
  std::uint16_t m_changedBlocks = 0;
  std::uint16_t m_savingCountdown = 0;
  std::optional<SimMs> m_savingSinceMs;
  SimMs m_lastTuneMs = 0;
  int m_tuningSteps = 0;
  int m_lastTuneDirection = 0;
  bool m_silent = false;
  bool m_testsLocked = false;
  int m_steadyRpm = -1;
  int m_steadyThrottle10 = -1;
  bool m_silentAfterFired = false;
  bool m_hungUp = false;
  int m_framesSeen = 0;

  std::vector<std::uint8_t> m_partial;
  SimMs m_lastByteMs = 0;
  int m_replyNumber = 0;
  std::deque<Pending> m_output;

  Frame m_lastStatus{};
  std::vector<SimTestRequest> m_testRequests;
  UnitSimStats m_stats;

  std::ostream* m_log = nullptr;
  std::ofstream m_ownLog;
};
