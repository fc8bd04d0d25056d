#include "UnitSim.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>

#include "link/TestButtons.h"
#include "base/UiTexts.h"

namespace {

void PutWord(Frame& f, std::size_t at, int value) {
  const auto v = static_cast<std::uint16_t>(value);
  f[at] = static_cast<std::uint8_t>(v & 0xFF);
  f[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

std::uint8_t U8(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); }

// Engine speed per km/h in each gear, and where the model shifts.
constexpr double kGearRatio[6] = {140, 105, 85, 72, 62, 55};
constexpr int kUpshiftRpm = 9000;
constexpr int kDownshiftRpm = 3000;
constexpr int kIdleRpm = 1300;
constexpr SimMs kCycleMs = 60000;
// A map's speed axis counts in steps of 100 rpm.
constexpr int kRpmPerAxisStep = 100;

struct Key {
  double s;
  double value;
};
// One ride: idle, full throttle up to 160 km/h, cruise, roll off, idle.
constexpr Key kSpeedKeys[] = {{0, 0}, {10, 0}, {30, 160}, {34, 160}, {50, 0}, {60, 0}};
constexpr Key kThrottleKeys[] = {{0, 1.5}, {10, 1.5}, {10.6, 85}, {30, 85},  {30.6, 35},
                                 {34, 35}, {34.4, 0}, {49.5, 0},  {50, 1.5}, {60, 1.5}};

template <std::size_t N>
double Interpolate(const Key (&keys)[N], double s) {
  for (std::size_t i = 1; i < N; ++i) {
    if (s <= keys[i].s) {
      const double span = keys[i].s - keys[i - 1].s;
      const double t = span > 0 ? (s - keys[i - 1].s) / span : 1.0;
      return keys[i - 1].value + t * (keys[i].value - keys[i - 1].value);
    }
  }
  return keys[N - 1].value;
}

// +1 while the ride speeds up or holds, -1 while it slows down.
int SpeedTrend(double s) {
  for (std::size_t i = 1; i < std::size(kSpeedKeys); ++i)
    if (s < kSpeedKeys[i].s) return kSpeedKeys[i].value < kSpeedKeys[i - 1].value ? -1 : 1;
  return 1;
}

void AppendHex(std::string& out, const std::uint8_t* data, std::size_t size) {
  static const char kDigits[] = "0123456789ABCDEF";
  for (std::size_t i = 0; i < size; ++i) {
    if (i) out += ' ';
    out += kDigits[data[i] >> 4];
    out += kDigits[data[i] & 0x0F];
  }
}

}  // namespace

std::uint8_t MonthCode(std::string_view abbreviation) {
  unsigned sum = 0;
  for (char c : abbreviation) sum += static_cast<unsigned char>(c);
  return static_cast<std::uint8_t>(sum & 0xFF);
}

IdentityRecord BuildIdentityRecord(const UnitIdentity& id, std::uint8_t version, std::uint8_t subversion) {
  IdentityRecord r{};
  for (std::size_t i = 0; i < 3 && i < id.programName.size(); ++i) r[i] = static_cast<std::uint8_t>(id.programName[i]);
  r[3] = id.programNumber;
  r[4] = id.day;
  r[5] = MonthCode(id.month);
  r[6] = id.year;
  r[7] = id.hour;
  r[8] = id.minute;
  r[10] = version;
  r[11] = subversion;
  for (std::size_t i = 0; i < 30 && i < id.unitName.size(); ++i) r[16 + i] = static_cast<std::uint8_t>(id.unitName[i]);
  if (id.withBootRecord) {
    r[49] = 24;
    std::uint8_t* boot = r.data() + 50;
    std::copy(id.hardware.begin(), id.hardware.end(), boot);
    boot[6] = static_cast<std::uint8_t>(id.firmwareLetter);
    std::copy(id.firmware.begin(), id.firmware.end(), boot + 7);
    for (int i = 0; i < 4; ++i) boot[10 + i] = static_cast<std::uint8_t>(id.uploadTime >> (8 * i));
    std::copy(id.serial.begin(), id.serial.end(), boot + 14);
    boot[23] = 0xA5;
  }
  return r;
}

EngineState EngineAt(SimMs sinceStartMs) {
  EngineState e;
  const SimMs t = std::max<SimMs>(sinceStartMs, 0);
  const double s = static_cast<double>(t % kCycleMs) / 1000.0;
  const double total = static_cast<double>(t) / 1000.0;

  e.coolantC = static_cast<int>(std::lround(90.0 - 70.0 * std::exp(-total / 120.0)));
  e.airC = 25;

  const double speed = Interpolate(kSpeedKeys, s);
  const double throttle = Interpolate(kThrottleKeys, s);
  e.speedKmh = static_cast<int>(std::lround(speed));
  e.throttle10 = static_cast<int>(std::lround(throttle * 10));

  // Up the box: the lowest gear that stays under the shift speed. Down the
  // box: the highest gear that still pulls; below that the clutch is in.
  int gear = 6;
  if (SpeedTrend(s) > 0) {
    for (int g = 1; g <= 6; ++g)
      if (speed * kGearRatio[g - 1] <= kUpshiftRpm) {
        gear = g;
        break;
      }
  } else {
    gear = 1;
    for (int g = 6; g >= 1; --g)
      if (speed * kGearRatio[g - 1] >= kDownshiftRpm) {
        gear = g;
        break;
      }
  }
  e.gear = gear;
  const double idle = kIdleRpm + 30.0 * std::sin(total * 2.7);
  e.rpm = static_cast<int>(std::lround(std::max(idle, speed * kGearRatio[gear - 1])));

  const double load = throttle / 100.0;
  e.iapKpa = static_cast<int>(std::lround(e.rpm > 2500 && throttle < 1 ? 22 : 30 + 68 * std::sqrt(load)));
  e.afr10 = static_cast<int>(std::lround(147 - 22 * load));
  e.advanceDeg = static_cast<int>(std::lround(10 + 28.0 * std::min(e.rpm, 6000) / 6000.0 - 8 * load));
  const bool fuelCut = throttle < 1 && e.rpm > 2500;
  const double warmUp = 1.0 + (90 - e.coolantC) / 200.0;
  e.injA100us = fuelCut ? 0 : static_cast<int>(std::lround((14 + 80 * load + e.rpm / 2000.0) * warmUp));
  e.injB100us = fuelCut || load < 0.5 ? 0 : static_cast<int>(std::lround(60 * (load - 0.5)));
  e.supplyMv = 13800 + static_cast<int>(std::lround(60 * std::sin(total * 0.9)));
  return e;
}

CUnitSim::CUnitSim() : CUnitSim(UnitSimConfig{}) {}

CUnitSim::CUnitSim(const UnitSimConfig& config)
    : m_image(config.image),
      m_version(config.version),
      m_subversion(config.subversion),
      m_identityInfo(config.identity),
      m_identity(BuildIdentityRecord(config.identity, config.version, config.subversion)),
      m_faults(config.faults),
      m_startMs(config.startMs),
      m_programmings(config.programmings),
      m_testsLocked(config.testsLocked),
      m_steadyRpm(config.steadyRpm),
      m_steadyThrottle10(config.steadyThrottle10) {}

EngineState CUnitSim::Engine(SimMs nowMs) const {
  EngineState e = EngineAt(std::max<SimMs>(nowMs - m_startMs, 0));
  if (m_steadyRpm >= 0) e.rpm = m_steadyRpm;
  if (m_steadyThrottle10 >= 0) e.throttle10 = m_steadyThrottle10;
  return e;
}

bool CUnitSim::OpenFrameLog(const std::string& path) {
  m_ownLog.close();
  m_ownLog.clear();
  m_ownLog.open(path, std::ios::out | std::ios::trunc);
  if (!m_ownLog) return false;
  m_log = &m_ownLog;
  return true;
}

void CUnitSim::SetVersion(std::uint8_t version, std::uint8_t subversion) {
  m_version = version;
  m_subversion = subversion;
  m_identity = BuildIdentityRecord(m_identityInfo, version, subversion);
}

void CUnitSim::ChangeOnUnit(std::size_t offset, std::uint8_t value) {
  if (offset >= kImageSize) return;
  m_image[offset] = value;
  const int block = static_cast<int>(offset / kBlockSize) + 1;
  // The changed-block word has 16 bits: blocks 17..19 cannot be reported.
  if (block <= 16) m_changedBlocks |= static_cast<std::uint16_t>(1u << (block - 1));
}

std::array<std::uint8_t, 4> CUnitSim::LastTestBytes() const {
  std::array<std::uint8_t, 4> bytes;
  std::copy_n(m_lastStatus.begin() + kStatusTestRequests, bytes.size(), bytes.begin());
  return bytes;
}

int CUnitSim::TestRequestCount(int index, int bit) const {
  const int statusByte = static_cast<int>(kStatusTestRequests) + index;
  return static_cast<int>(std::count_if(m_testRequests.begin(), m_testRequests.end(), [&](const SimTestRequest& r) {
    return r.statusByte == statusByte && r.bit == bit;
  }));
}

std::string TestRequestText(const SimTestRequest& request) {
  const TestButton* button = FindTestButtonAt(request.statusByte, request.bit);
  if (!button)
    return "test bit " + std::to_string(request.statusByte) + "." + std::to_string(request.bit) + ": no such output";
  std::string text = "test ";
  for (const auto& caption : ControlCaptions())
    if (std::string_view(caption.name) == button->name) text += caption.text.Get(kEnglish);
  if (request.refused) text += " refused: output tests locked";
  return text;
}

void CUnitSim::TakeTestRequests(const Frame& status, SimMs nowMs) {
  for (std::size_t i = 0; i < kTestRequestBytes; ++i)
    for (int bit = 0; bit < 8; ++bit) {
      if (!(status[kStatusTestRequests + i] & (1u << bit))) continue;
      SimTestRequest r{nowMs, static_cast<int>(kStatusTestRequests + i), bit, false};
      const TestButton* button = FindTestButtonAt(r.statusByte, r.bit);
      // Stop ends a running test, so a lock never holds it back.
      r.refused = m_testsLocked && !(button && button->name == kTestStopButton);
      m_testRequests.push_back(r);
      LogLine(nowMs, TestRequestText(r), nullptr, 0);
    }
}

void CUnitSim::Receive(const std::uint8_t* data, std::size_t size, SimMs nowMs) {
  if (size == 0) return;
  if (!m_partial.empty() && nowMs - m_lastByteMs > kStaleFrameMs) {
    m_stats.staleBytesDropped += static_cast<int>(m_partial.size());
    LogLine(nowMs, "RX stale, dropped", m_partial.data(), m_partial.size());
    m_partial.clear();
  }
  m_lastByteMs = nowMs;
  m_partial.insert(m_partial.end(), data, data + size);
  std::size_t used = 0;
  while (m_partial.size() - used >= kFrameSize) {
    Frame f;
    std::copy_n(m_partial.begin() + static_cast<std::ptrdiff_t>(used), kFrameSize, f.begin());
    used += kFrameSize;
    HandleFrame(f, nowMs);
  }
  m_partial.erase(m_partial.begin(), m_partial.begin() + static_cast<std::ptrdiff_t>(used));
}

void CUnitSim::HandleFrame(const Frame& frame, SimMs nowMs) {
  if (!FrameIsValid(frame)) {
    ++m_stats.badCheckFrames;
    LogLine(nowMs, "RX bad check", frame.data(), frame.size());
    return;
  }
  if (m_hungUp) {
    LogLine(nowMs, "RX lost, cable pulled", frame.data(), frame.size());
    return;
  }
  ++m_framesSeen;
  if (m_faults.hangup && InFaultWindow()) {
    m_hungUp = true;
    ++m_stats.hangups;
    // What was still on its way to the PC goes with the cable.
    m_output.clear();
    LogLine(nowMs, "cable pulled, lost", frame.data(), frame.size());
    return;
  }
  if (m_faults.silent && InFaultWindow()) {
    ++m_stats.silentFrames;
    LogLine(nowMs, "RX silent", frame.data(), frame.size());
    return;
  }
  if (!m_silentAfterFired && m_faults.silentAfter >= 0 && m_stats.framesAccepted >= m_faults.silentAfter) {
    m_silentAfterFired = true;
    m_silent = true;
    LogLine(nowMs, "unit goes silent", nullptr, 0);
  }
  if (m_silent) {
    ++m_stats.silentFrames;
    LogLine(nowMs, "RX silent", frame.data(), frame.size());
    return;
  }
  auto reply = Answer(frame, nowMs);
  if (!reply) {
    ++m_stats.ignoredFrames;
    LogLine(nowMs, "RX ignored", frame.data(), frame.size());
    return;
  }
  ++m_stats.framesAccepted;
  LogLine(nowMs, "RX", frame.data(), frame.size());
  QueueReply(*reply, nowMs);
}

std::optional<Frame> CUnitSim::Answer(const Frame& frame, SimMs nowMs) {
  const std::uint8_t cmd = frame[0];
  if (cmd & kReplyFlag) return std::nullopt;

  Frame reply{};
  reply[0] = static_cast<std::uint8_t>(cmd ^ kReplyFlag);
  if (cmd == kCmdStatus) {
    ++m_stats.statusFrames;
    m_lastStatus = frame;
    TakeTestRequests(frame, nowMs);
    if (TuningOn()) Tune(nowMs);
    reply = LiveFrame(nowMs);
    return reply;
  }

  const int block = cmd & kCmdBlockMask;
  if (block > kMaxBlock) return std::nullopt;
  const bool read = (cmd & kCmdReadFlag) != 0;
  if (read)
    ++m_stats.blockReads[block];
  else
    ++m_stats.blockWrites[block];

  if (block == 0) {
    if (frame[kResetMarkerIndex] == kResetMarker0 && frame[kResetMarkerIndex + 1] == kResetMarker1) {
      ++m_stats.resets;
      LogLine(nowMs, "reset requested", nullptr, 0);
    } else if (!read) {
      // A Program run opens with the block-0 write: count it as one programming.
      ++m_programmings;
    }
    std::copy(m_identity.begin(), m_identity.end(), reply.begin() + 1);
  } else {
    auto* stored = m_image.data() + BlockOffset(block);
    if (read) {
      if (block <= 16) m_changedBlocks &= static_cast<std::uint16_t>(~(1u << (block - 1)));
    } else {
      std::copy_n(frame.begin() + 1, kBlockSize, stored);
      m_savingSinceMs = nowMs;
    }
    std::copy_n(stored, kBlockSize, reply.begin() + 1);
  }
  SealFrame(reply);
  return reply;
}

bool CUnitSim::InFaultWindow() const {
  return m_framesSeen >= m_faults.fromFrame && (m_faults.untilFrame == 0 || m_framesSeen <= m_faults.untilFrame);
}

void CUnitSim::Restart() {
  m_hungUp = false;
  m_silent = false;
  m_faults = {};
  m_silentAfterFired = false;
  m_partial.clear();
  m_output.clear();
  LogLine(m_lastByteMs, "restart", nullptr, 0);
}

void CUnitSim::QueueReply(Frame reply, SimMs nowMs) {
  const int n = ++m_replyNumber;
  const bool inWindow = InFaultWindow();
  const auto hits = [n, inWindow](int every) { return inWindow && every > 0 && n % every == 0; };
  if (hits(m_faults.dropEvery)) {
    ++m_stats.repliesDropped;
    LogLine(nowMs, "TX dropped", reply.data(), reply.size());
    return;
  }
  std::string tag = "TX";
  // Live data has no block number to get wrong.
  if (hits(m_faults.wrongBlockEvery) && reply[0] != kReplyLive) {
    const int other = ((reply[0] & kCmdBlockMask) + 1) % (kMaxBlock + 1);
    reply[0] = static_cast<std::uint8_t>((reply[0] & ~kCmdBlockMask) | other);
    SealFrame(reply);
    ++m_stats.repliesMisnumbered;
    tag = "TX misnumbered";
  }
  Pending p{nowMs + (inWindow ? std::max<SimMs>(m_faults.delayMs, 0) : 0), {}};
  if (hits(m_faults.garbageEvery) && m_faults.garbageBytes > 0) {
    ++m_stats.garbageBursts;
    // Deterministic noise, different for each burst.
    std::uint32_t x = 0x9E3779B9u ^ static_cast<std::uint32_t>(n);
    for (int i = 0; i < m_faults.garbageBytes; ++i) {
      x = x * 1664525u + 1013904223u;
      p.bytes.push_back(static_cast<std::uint8_t>(x >> 24));
    }
    LogLine(nowMs, "TX garbage", p.bytes.data(), p.bytes.size());
  }
  if (hits(m_faults.corruptEvery)) {
    ++m_stats.repliesCorrupted;
    reply[kCheckByteIndex] ^= 0x5A;
    tag = "TX corrupted";
  }
  LogLine(nowMs, tag, reply.data(), reply.size());
  p.bytes.insert(p.bytes.end(), reply.begin(), reply.end());
  ++m_stats.repliesQueued;
  m_output.push_back(std::move(p));
}

std::vector<std::uint8_t> CUnitSim::TakeOutput(SimMs nowMs) {
  std::vector<std::uint8_t> out;
  // Strictly in order: a later reply never overtakes an earlier one, even if
  // the delay was shortened in between.
  while (!m_output.empty() && m_output.front().dueMs <= nowMs) {
    const auto& bytes = m_output.front().bytes;
    out.insert(out.end(), bytes.begin(), bytes.end());
    m_output.pop_front();
  }
  return out;
}

std::optional<SimMs> CUnitSim::NextOutputDueMs() const {
  if (m_output.empty()) return std::nullopt;
  return m_output.front().dueMs;
}

std::size_t CUnitSim::PendingOutputBytes() const {
  std::size_t n = 0;
  for (const auto& p : m_output) n += p.bytes.size();
  return n;
}

void CUnitSim::DiscardOutput() { m_output.clear(); }

std::uint16_t CUnitSim::SavingCountdown(SimMs nowMs) const {
  if (m_savingCountdown != 0 || !m_savingSinceMs) return m_savingCountdown;
  const SimMs elapsed = nowMs - *m_savingSinceMs;
  if (elapsed >= kSavingMs || elapsed < 0) return 0;
  return static_cast<std::uint16_t>(kSavingCountdownStart - elapsed * kSavingCountdownStart / kSavingMs);
}

void CUnitSim::Tune(SimMs nowMs) {
  const EngineState e = Engine(nowMs);
  if (e.rpm < 1500 || e.throttle10 < 20 || nowMs - m_lastTuneMs < kTuneEveryMs) return;
  m_lastTuneMs = nowMs;
  // The cell under the operating point: the last throttle row and the last
  // point of the map's own speed axis at or below it.
  const MapLayout& m = Map(kTunedMap);
  static_assert(IsWord(Map(kTunedMap).valueWidth), "a tuning step changes both bytes of a word");
  int row = 0;
  while (row + 1 < m.rows && e.throttle10 >= 10 * m.fixedRows[std::size_t(row + 1)]) ++row;
  int column = 0;
  while (column + 1 < m.columns && e.rpm >= kRpmPerAxisStep * m_image[m.axisOffset + std::size_t(column + 1)]) ++column;
  const std::size_t at = MapValueOffset(m, row, column);
  // Rich mixture (AFR below 13.5): less fuel, lean: more.
  m_lastTuneDirection = e.afr10 < 135 ? -1 : 1;
  const int tuned = std::clamp(ReadRaw(m_image, at, m.valueWidth) + m_lastTuneDirection, 0, 0xFFFF);
  ChangeOnUnit(at, static_cast<std::uint8_t>(tuned & 0xFF));
  ChangeOnUnit(at + 1, static_cast<std::uint8_t>(tuned >> 8));
  ++m_tuningSteps;
  LogLine(nowMs, "tuning step", nullptr, 0);
}

Frame CUnitSim::LiveFrame(SimMs nowMs) const {
  const SimMs since = std::max<SimMs>(nowMs - m_startMs, 0);
  const EngineState e = Engine(nowMs);
  const bool running = e.rpm > 0;
  Frame f{};
  f[0] = kReplyLive;
  // Inputs are reported inverted: all four inputs idle reads as set bits.
  f[1] = 0x55;
  f[2] = 0x01 | 0xC0;                                       // tacho/lambda input idle, both servos in order
  if (e.rpm >= 8900) f[2] |= 0x04;                          // ignition limiter touching
  f[3] = static_cast<std::uint8_t>(running ? 0x60 : 0x00);  // crank and cam pickups
  if (e.coolantC >= 85) f[3] |= 0x10;                       // fan on
  f[4] = m_testsLocked ? 0x08 : 0x00;
  f[5] = 0;
  for (int c = 0; c < 4; ++c) {
    f[10 + c] = static_cast<std::uint8_t>(static_cast<std::int8_t>(std::clamp(e.advanceDeg - (c & 1), -60, 60)));
    f[14 + c] = U8(e.injA100us == 0 ? 0 : e.injA100us + (c & 1));
    f[18 + c] = U8(e.injB100us);
  }
  f[23] = U8(e.coolantC + 100);
  f[24] = U8(e.airC + 100);
  f[25] = U8(e.gear);
  f[26] = U8(e.throttle10 > 200 ? 100 : 60);
  f[27] = static_cast<std::uint8_t>(e.rpm >= 8500 ? 2 : 0);
  int tuning = 2;  // "tuning is off"
  if (TuningOn()) {
    tuning = e.rpm < 1500 ? 21 : e.throttle10 < 20 ? 20 : 16;
    // Just after a step: "Adding" or "Decrease".
    if (tuning == 16 && m_tuningSteps > 0 && nowMs - m_lastTuneMs < 500) tuning = m_lastTuneDirection > 0 ? 14 : 15;
  }
  f[28] = static_cast<std::uint8_t>(tuning);
  f[29] = U8(e.afr10);
  PutWord(f, 46, e.rpm > 6000 ? 25 : 30);
  PutWord(f, 48, e.rpm);
  PutWord(f, 50, 4100);
  PutWord(f, 52, 1000);
  PutWord(f, 54, 400 + e.iapKpa * 40);
  PutWord(f, 56, 500 + e.throttle10 * 4);
  PutWord(f, 58, std::clamp(450 + (147 - e.afr10) * 16, 100, 900));
  PutWord(f, 60, 4500 - e.coolantC * 40);
  PutWord(f, 62, 4500 - e.airC * 40);
  PutWord(f, 64, e.supplyMv);
  PutWord(f, 66, 2500);
  PutWord(f, 68, 2510);
  PutWord(f, 70, 2400);
  PutWord(f, 72, 2410);
  PutWord(f, 74, 2500);
  PutWord(f, 76, m_programmings);
  PutWord(f, 78, m_stats.framesAccepted);
  PutWord(f, 80, m_stats.resets);
  PutWord(f, 94, static_cast<int>((since / 100) & 0xFFFF));
  PutWord(f, 96, 300);
  PutWord(f, 98, 120);
  PutWord(f, 100, (90 - e.coolantC) * 5);
  PutWord(f, 102, 0);
  PutWord(f, 104, 0);
  PutWord(f, 106, since < 10000 ? static_cast<int>(300 - since * 300 / 10000) : 0);
  PutWord(f, 108, 1000);
  PutWord(f, 110, 1000 + (90 - e.coolantC) / 2);
  PutWord(f, 112, 1000);
  PutWord(f, 114, 0);
  PutWord(f, 116, e.speedKmh);
  PutWord(f, 118, 500 + e.gear * 600);
  PutWord(f, 120, e.speedKmh > 0 ? e.rpm * 10 / e.speedKmh : 0);
  for (int g = 0; g < 6; ++g) PutWord(f, 122 + 2 * g, static_cast<int>(kGearRatio[g] * 10));
  PutWord(f, 134, e.speedKmh == 0 ? 1000 + (kIdleRpm - e.rpm) : 1000);
  PutWord(f, 136, e.iapKpa);
  PutWord(f, 138, e.throttle10);
  PutWord(f, 140, 0);
  PutWord(f, 142, e.speedKmh == 0 ? 20 + (90 - e.coolantC) / 2 : 0);
  PutWord(f, 144, e.throttle10);
  PutWord(f, 146, m_changedBlocks);
  PutWord(f, 148, SavingCountdown(nowMs));
  f[150] = m_version;
  SealFrame(f);
  return f;
}

void CUnitSim::LogLine(SimMs nowMs, std::string_view tag, const std::uint8_t* data, std::size_t size) {
  if (!m_log) return;
  char head[48];
  std::snprintf(head, sizeof head, "%10lld ms ", static_cast<long long>(nowMs));
  std::string line = head;
  line += tag;
  if (size) {
    line += " [" + std::to_string(size) + "] ";
    AppendHex(line, data, size);
  }
  line += '\n';
  *m_log << line << std::flush;
}
