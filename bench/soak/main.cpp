// ventrix-soak: runs the program core with the real serial port against the
// simulated unit for a long time, live data at the conversation's full rate,
// a Read, Verify or Program run now and then and a silent unit every few
// minutes, and says at the end what a long session costs: memory growth,
// late ticks, frames lost and runs that ended without their message.

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/AppCore.h"
#include "link/Frame.h"
#include "link/PosixSerialPort.h"
#include "support/RecordingView.h"
#include "support/SimProcess.h"

namespace {

const char kUsage[] =
    "Usage: ventrix-soak [options]\n"
    "Runs the program core on the real serial code against ventrix-unitsim\n"
    "and prints memory growth, late ticks, lost frames and finished runs.\n"
    "\n"
    "  --minutes N        how long to run (default 5; fractions allowed)\n"
    "  --run-every S      start a Read, Verify or Program run every S seconds (default 40)\n"
    "  --fault-every S    make the unit silent every S seconds (default 150); every\n"
    "                     second fault lands in a run, which must then fail\n"
    "  --silence S        how long the unit stays silent (default 5)\n"
    "  --sim PATH         the simulator (default: the one built with this tool)\n"
    "  --help             show this text\n"
    "\n"
    "Exit status: 0 when every run ended with its message, 1 otherwise, 2 bad option.\n";

constexpr long kLateNs = 10'000'000;  // a tick later than this counts as late
constexpr long kTickNs = long(kTickMs) * 1'000'000;

struct Options {
  double minutes = 5;
  double runEvery = 40;
  double faultEvery = 150;
  double silence = 5;
  std::string sim = VENTRIX_UNITSIM_EXE;
};

long long NowNs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<long long>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

void SleepUntilNs(long long when) {
  const timespec ts{static_cast<time_t>(when / 1'000'000'000), static_cast<long>(when % 1'000'000'000)};
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) != 0) {
  }
}

long RssKb() {
  long pages = 0, resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

std::optional<double> ParsePositive(std::string_view text) {
  double v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || !(v > 0)) return std::nullopt;
  return v;
}

std::optional<Options> ParseOptions(int argc, char** argv, bool& help) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      help = true;
      continue;
    }
    if (i + 1 >= argc) {
      std::fprintf(stderr, "ventrix-soak: %s needs a value\n", argv[i]);
      return std::nullopt;
    }
    const std::string_view value = argv[++i];
    if (arg == "--sim") {
      o.sim = std::string(value);
      continue;
    }
    double* target = arg == "--minutes"       ? &o.minutes
                     : arg == "--run-every"   ? &o.runEvery
                     : arg == "--fault-every" ? &o.faultEvery
                     : arg == "--silence"     ? &o.silence
                                              : nullptr;
    const auto number = ParsePositive(value);
    if (!target || !number) {
      std::fprintf(stderr, "ventrix-soak: bad option '%s %s'\n", argv[i - 1], argv[i]);
      return std::nullopt;
    }
    *target = *number;
  }
  return o;
}

// The real port, counting what goes over it: a frame sent while the one
// before it still waits for its answer was lost.
class CountingPort : public ISerialPort {
 public:
  bool Open(int comNumber) override { return m_port.Open(comNumber); }
  void Close() override { m_port.Close(); }
  bool IsOpen() const override { return m_port.IsOpen(); }
  std::size_t QueuedBytes() override { return m_port.QueuedBytes(); }
  std::size_t Read(std::uint8_t* dst, std::size_t max) override {
    const std::size_t got = m_port.Read(dst, max);
    if (got >= kFrameSize && FrameIsValid(std::span<const std::uint8_t>(dst, kFrameSize))) {
      ++answered;
      m_waiting = false;
    }
    return got;
  }
  std::size_t Write(const std::uint8_t* src, std::size_t size) override {
    if (m_waiting) ++(m_waitingInFault || inFault ? lostInFaults : lost);
    ++sent;
    m_waiting = true;
    m_waitingInFault = inFault;
    return m_port.Write(src, size);
  }
  void Purge() override { m_port.Purge(); }
  std::string DeviceName(int comNumber) const override { return m_port.DeviceName(comNumber); }
  OpenFailure LastOpenFailure() const override { return m_port.LastOpenFailure(); }
  std::string MenuDetail(int comNumber) const override { return m_port.MenuDetail(comNumber); }

  // Set by the soak while the unit is made silent and until the link is back.
  bool inFault = false;
  long long sent = 0, answered = 0, lost = 0, lostInFaults = 0;

 private:
  CPosixSerialPort m_port;
  bool m_waiting = false;
  bool m_waitingInFault = false;
};

struct RunCounts {
  int started = 0, completed = 0, failedWithMessage = 0, endedWithoutMessage = 0;
};

}  // namespace

int main(int argc, char** argv) {
  bool help = false;
  const std::optional<Options> parsed = ParseOptions(argc, argv, help);
  if (!parsed) {
    std::fputs("Try 'ventrix-soak --help'.\n", stderr);
    return 2;
  }
  if (help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  const Options& opt = *parsed;

  testsupport::SimProcess sim(opt.sim);
  if (!sim.Ok()) {
    std::fprintf(stderr, "ventrix-soak: cannot start the simulator %s\n", opt.sim.c_str());
    return 1;
  }
  for (int com = 1; com <= kPortCount; ++com)
    ::setenv(("VENTRIX_COM" + std::to_string(com)).c_str(), sim.Device().c_str(), 1);

  RecordingView view;
  auto owned = std::make_unique<CountingPort>();
  CountingPort& port = *owned;
  CAppCore core(view, std::move(owned));
  core.textSlots.Apply(0);
  core.OpenPort();

  const auto ticksOf = [](double seconds) { return static_cast<long long>(seconds * 1000.0 / kTickMs); };
  const long long totalTicks = ticksOf(opt.minutes * 60);
  const long long runEvery = std::max(1LL, ticksOf(opt.runEvery));
  const long long faultEvery = std::max(1LL, ticksOf(opt.faultEvery));
  const long long silenceTicks = std::max(1LL, ticksOf(opt.silence));
  // Memory is compared with what the core holds once it has been through
  // every kind of run, not with the empty start.
  const long long baselineTick = std::min(totalTicks / 5, ticksOf(3.5 * opt.runEvery));
  // After the unit answers again the watchdog's reopen may take its period.
  const long long recoveryTicks = kReconnectTicks + kNoConnectionTicks + kTicksPerStep;

  std::printf("ventrix-soak: %.1f min against %s, a run every %.0f s, a fault every %.0f s\n", opt.minutes,
              sim.Device().c_str(), opt.runEvery, opt.faultEvery);
  std::fflush(stdout);

  const long rssStart = RssKb();
  long rssBaseline = rssStart, rssMax = rssStart;
  long long lateTicks = 0, worstLateNs = 0, slowestTickNs = 0;
  RunCounts runs;
  int faults = 0, nextRun = 0;
  long long silentUntil = -1, faultEnds = -1;
  LinkMode before = LinkMode::Idle;

  const auto startRun = [&] {
    if (core.mode != LinkMode::Idle) return;
    switch (nextRun++ % 3) {
      case 0:
        core.StartRead();
        break;
      case 1:
        core.StartVerify();
        break;
      default:
        core.StartProgram();
        break;
    }
    ++runs.started;
  };

  const long long t0 = NowNs();
  long long deadline = t0;
  for (long long tick = 1; tick <= totalTicks; ++tick) {
    deadline += kTickNs;
    SleepUntilNs(deadline);
    const long long late = NowNs() - deadline;
    if (late > kLateNs) ++lateTicks;
    worstLateNs = std::max(worstLateNs, late);
    // A tick that fell a whole period behind is not made up for in a burst,
    // as the window's timer would not either.
    if (late > kTickNs) deadline = NowNs();

    if (tick % runEvery == 0) startRun();
    if (tick % faultEvery == 0 && silentUntil < 0) {
      // Every second fault strikes a run in progress, which must fail.
      if (++faults % 2 == 0) startRun();
      sim.Signal(SIGUSR1);
      silentUntil = tick + silenceTicks;
      port.inFault = true;
    }
    if (tick == silentUntil) {
      sim.Signal(SIGUSR1);
      silentUntil = -1;
      faultEnds = tick + recoveryTicks;
    }
    if (tick == faultEnds) port.inFault = false;

    const long long tickStart = NowNs();
    core.Tick();
    slowestTickNs = std::max(slowestTickNs, NowNs() - tickStart);

    if (before != LinkMode::Idle && core.mode == LinkMode::Idle) {
      if (!view.messageVisible || view.messageText.empty())
        ++runs.endedWithoutMessage;
      else if (view.messageColour == clRed)
        ++runs.failedWithMessage;
      else
        ++runs.completed;
      std::printf("  %6.1f s  run ended: %s\n", double(tick) * kTickMs / 1000.0, view.messageText.c_str());
      std::fflush(stdout);
    }
    before = core.mode;
    view.messageBoxes.clear();

    if (tick == baselineTick) rssBaseline = RssKb();
    if (tick % 200 == 0) rssMax = std::max(rssMax, RssKb());
  }
  const long rssEnd = RssKb();
  rssMax = std::max(rssMax, rssEnd);
  const double seconds = double(NowNs() - t0) / 1e9;

  std::printf("ventrix-soak: %.0f s, %lld ticks\n", seconds, totalTicks);
  std::printf("  RSS           start %ld kB, after warm-up %ld kB, end %ld kB, max %ld kB; growth %+ld kB\n", rssStart,
              rssBaseline, rssEnd, rssMax, rssEnd - rssBaseline);
  std::printf("  late ticks    %lld later than 10 ms, worst %.2f ms; the slowest tick's own work %.2f ms\n", lateTicks,
              double(worstLateNs) / 1e6, double(slowestTickNs) / 1e6);
  std::printf("  frames        %lld sent, %lld answered, %lld lost, %lld lost to the faults\n", port.sent,
              port.answered, port.lost, port.lostInFaults);
  std::printf("  live frames   %d shown\n", view.liveShown);
  std::printf("  runs          %d started, %d completed, %d failed with their message, %d ended without one%s\n",
              runs.started, runs.completed, runs.failedWithMessage, runs.endedWithoutMessage,
              core.mode != LinkMode::Idle ? " (one still running)" : "");
  std::printf("  faults        %d silences of %.0f s\n", faults, opt.silence);
  return runs.endedWithoutMessage == 0 ? 0 : 1;
}
