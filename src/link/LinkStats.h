#pragma once

#include <cstdint>

// What the link has been through since the program started, for the Link
// window and for a tuner's report of a bad cable. The core bumps these as
// frames go and come; nothing is done per tick. Each frame sent is one
// exchange with one outcome: answered well, answered with a wrong check
// byte (a check-byte failure) or not answered before the next frame went
// out (a timeout).

enum class LinkError : std::uint8_t {
  kNone,
  kCheckByte,      // a frame arrived with a wrong check byte
  kNoAnswer,       // the next frame went out with the last one unanswered
  kRunFailed,      // a Read, Verify, Program or port release gave up
  kPortNotOpened,  // the port could not be opened
  kWriteFailed,    // the port took less than a whole frame
};
inline constexpr int kLinkErrorCount = 6;

struct LinkCounters {
  std::uint64_t framesSent = 0;
  std::uint64_t framesReceived = 0;  // whole frames read, good or not
  std::uint64_t checkByteFailures = 0;
  std::uint64_t retries = 0;   // block frames sent again for want of a good answer
  std::uint64_t timeouts = 0;  // frames that got no answer at all in time
  // The last frame sent has had no answer yet: its exchange is still open.
  bool awaitingAnswer = false;
  LinkError lastError = LinkError::kNone;
  std::int64_t lastErrorAtMs = 0;  // wall clock, ms since 1970

  void RecordError(LinkError error, std::int64_t nowMs) {
    lastError = error;
    lastErrorAtMs = nowMs;
  }
};

// The wall clock in ms since 1970; the core takes it through a pointer that tests replace.
std::int64_t SystemWallClockMs();

struct LinkRates {
  double sentPerSecond = 0;
  double receivedPerSecond = 0;
};

// Frames per second between readings of the counters, on a monotonic clock
// in ms. A rate needs at least kMinIntervalMs: a reading sooner than that (a
// refresh on demand) gives the last rate again. The first reading and
// counters that went back (a fresh core) give zero rates. The sent rate
// counts the exchanges that have ended, so a frame still on its way does
// not make the two rates differ while every frame is answered.
class CLinkRateMeter {
 public:
  static constexpr std::int64_t kMinIntervalMs = 500;
  LinkRates Sample(const LinkCounters& counters, std::int64_t monotonicMs);

 private:
  bool m_started = false;
  std::uint64_t m_sent = 0, m_received = 0;
  std::int64_t m_atMs = 0;
  LinkRates m_last;
};
