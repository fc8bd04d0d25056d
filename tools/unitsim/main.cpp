// ventrix-unitsim: serves a simulated unit on a pseudo-terminal. The first
// line on stdout is the terminal's path; open it as the unit's serial port.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "UnitSim.h"

namespace {

constexpr int kExitBadOption = 2;
constexpr int kExitFailure = 1;
// Output the PC does not read piles up in the terminal; beyond this the
// simulator drops it rather than grow without bound.
constexpr std::size_t kMaxBacklog = 64 * 1024;

const char kUsage[] =
    "Usage: ventrix-unitsim [options]\n"
    "Serves a simulated ignition unit on a pseudo-terminal. The first line\n"
    "printed is the terminal's path.\n"
    "\n"
    "  --image FILE          starting configuration image (raw, 2850 bytes)\n"
    "  --blank-image         start from an image all zero but the bike type\n"
    "                        (default: a road tune that a Read verifies)\n"
    "  --version N           program version reported (default 83)\n"
    "  --subversion N        program subversion reported (default 0)\n"
    "  --drop-every N        lose every N-th reply\n"
    "  --corrupt-every N     send every N-th reply with a wrong check byte\n"
    "  --delay-ms N          answer N ms after a frame arrives\n"
    "  --garbage-every N     send noise before every N-th reply\n"
    "  --garbage-bytes K     length of that noise (default 17)\n"
    "  --silent-after N      stop answering after N frames\n"
    "  --fault-from N        the faults above and below act on frames N to M\n"
    "  --fault-until M       only, counted from 1 over every valid frame\n"
    "                        received (default: from the first, no end)\n"
    "  --silent              neither act on nor answer frames in that window\n"
    "  --wrong-block-every N  answer every N-th frame with the next block's\n"
    "                        number\n"
    "  --hangup              pull the cable (close the terminal) as frame\n"
    "                        --fault-from arrives\n"
    "  --restart-after-ms N  N ms after the cable is pulled, come back on a new\n"
    "                        terminal (its path printed on a line of its own,\n"
    "                        --link pointed at it), healthy, with the image kept\n"
    "  --steady RPM,THROTTLE  hold the engine at RPM and THROTTLE (x0.1 %)\n"
    "  --tests-locked        report the output tests locked (live flag 4.3);\n"
    "                        the unit then refuses every test but Stop\n"
    "  --log FILE            log every frame with its time\n"
    "  --link PATH           also make PATH a symlink to the terminal\n"
    "  --help                show this text\n"
    "\n"
    "Each output test request is reported on stderr (\"test Injector 1A\").\n"
    "SIGUSR1 switches the unit silent and back, SIGUSR2 locks and unlocks its\n"
    "output tests. SIGINT/SIGTERM end it.\n"
    "Exit status: 0 normal end, 1 failure, 2 bad option.\n";

int g_wakeWrite = -1;

void OnSignal(int sig) {
  const char c = sig == SIGUSR1 ? 'u' : sig == SIGUSR2 ? 'l' : 'q';
  const int saved = errno;
  [[maybe_unused]] auto n = write(g_wakeWrite, &c, 1);
  errno = saved;
}

SimMs MonotonicMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<SimMs>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

struct Options {
  std::optional<std::string> imagePath;
  bool blankImage = false;
  int version = 83;
  int subversion = 0;
  SimFaults faults;
  bool testsLocked = false;
  int steadyRpm = -1;
  int steadyThrottle10 = -1;
  std::optional<std::string> logPath;
  std::optional<std::string> linkPath;
  std::optional<int> restartAfterMs;
  bool help = false;
};

struct OptionError {
  std::string message;
};

int ParseNumber(std::string_view name, std::string_view text, int min, int max) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < min || value > max)
    throw OptionError{std::string(name) + " needs a number from " + std::to_string(min) + " to " + std::to_string(max) +
                      ", not '" + std::string(text) + "'"};
  return value;
}

Options ParseOptions(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    std::string_view name = arg;
    std::optional<std::string_view> inlineValue;
    if (const auto eq = arg.find('='); arg.starts_with("--") && eq != std::string_view::npos) {
      name = arg.substr(0, eq);
      inlineValue = arg.substr(eq + 1);
    }
    const auto value = [&]() -> std::string_view {
      if (inlineValue) return *inlineValue;
      if (i + 1 >= argc) throw OptionError{std::string(name) + " needs a value"};
      return argv[++i];
    };
    if (name == "--help" || name == "-h") {
      o.help = true;
    } else if (name == "--image") {
      o.imagePath = std::string(value());
    } else if (name == "--blank-image") {
      o.blankImage = true;
    } else if (name == "--version") {
      o.version = ParseNumber(name, value(), 0, 255);
    } else if (name == "--subversion") {
      o.subversion = ParseNumber(name, value(), 0, 255);
    } else if (name == "--drop-every") {
      o.faults.dropEvery = ParseNumber(name, value(), 0, 1000000);
    } else if (name == "--corrupt-every") {
      o.faults.corruptEvery = ParseNumber(name, value(), 0, 1000000);
    } else if (name == "--delay-ms") {
      o.faults.delayMs = ParseNumber(name, value(), 0, 600000);
    } else if (name == "--garbage-every") {
      o.faults.garbageEvery = ParseNumber(name, value(), 0, 1000000);
    } else if (name == "--garbage-bytes") {
      o.faults.garbageBytes = ParseNumber(name, value(), 1, 4096);
    } else if (name == "--silent-after") {
      o.faults.silentAfter = ParseNumber(name, value(), 0, 1000000000);
    } else if (name == "--fault-from") {
      o.faults.fromFrame = ParseNumber(name, value(), 1, 1000000000);
    } else if (name == "--fault-until") {
      o.faults.untilFrame = ParseNumber(name, value(), 1, 1000000000);
    } else if (name == "--silent") {
      o.faults.silent = true;
    } else if (name == "--wrong-block-every") {
      o.faults.wrongBlockEvery = ParseNumber(name, value(), 0, 1000000);
    } else if (name == "--hangup") {
      o.faults.hangup = true;
    } else if (name == "--restart-after-ms") {
      o.restartAfterMs = ParseNumber(name, value(), 0, 600000);
    } else if (name == "--steady") {
      const std::string_view v = value();
      const auto comma = v.find(',');
      if (comma == std::string_view::npos) throw OptionError{"--steady needs RPM,THROTTLE"};
      o.steadyRpm = ParseNumber(name, v.substr(0, comma), 0, 30000);
      o.steadyThrottle10 = ParseNumber(name, v.substr(comma + 1), 0, 1000);
    } else if (name == "--tests-locked") {
      o.testsLocked = true;
    } else if (name == "--log") {
      o.logPath = std::string(value());
    } else if (name == "--link") {
      o.linkPath = std::string(value());
    } else {
      throw OptionError{"unknown option '" + std::string(arg) + "'"};
    }
  }
  if (o.imagePath && o.blankImage) throw OptionError{"--image and --blank-image exclude each other"};
  if (o.faults.untilFrame != 0 && o.faults.untilFrame < o.faults.fromFrame)
    throw OptionError{"--fault-until must not come before --fault-from"};
  if (o.restartAfterMs && !o.faults.hangup) throw OptionError{"--restart-after-ms needs --hangup"};
  return o;
}

std::optional<ConfigImage> LoadImage(const std::string& path, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open image file '" + path + "': " + std::strerror(errno);
    return std::nullopt;
  }
  std::vector<char> bytes(kImageSize + 1);
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  const auto got = static_cast<std::size_t>(in.gcount());
  if (got != kImageSize) {
    error = "image file '" + path + "' must hold exactly " + std::to_string(kImageSize) + " bytes, it holds " +
            (got > kImageSize ? "more" : std::to_string(got));
    return std::nullopt;
  }
  ConfigImage image;
  std::copy_n(bytes.begin(), kImageSize, image.begin());
  return image;
}

void MakeRaw(int fd) {
  termios t{};
  if (tcgetattr(fd, &t) != 0) return;
  cfmakeraw(&t);
  cfsetispeed(&t, B57600);
  cfsetospeed(&t, B57600);
  t.c_cflag |= CLOCAL | CREAD;
  tcsetattr(fd, TCSANOW, &t);
}

// The link is ours when it still points at our terminal: never remove
// something a user put there in the meantime.
void RemoveLink(const std::string& link, const std::string& target) {
  char buf[4096];
  const ssize_t n = readlink(link.c_str(), buf, sizeof buf - 1);
  if (n < 0) return;
  buf[n] = '\0';
  if (target == buf) unlink(link.c_str());
}

// A program killed while it held the port leaves the terminal marked
// exclusive (TIOCEXCL); since we keep this side open the terminal lives on,
// and without root nobody could open it again. Nobody holds the port's lock
// then: clear the mark, as a real device's last close would.
void ClearOrphanedExclusive(int slave) {
  int exclusive = 0;
  if (ioctl(slave, TIOCGEXCL, &exclusive) != 0 || exclusive == 0) return;
  if (flock(slave, LOCK_EX | LOCK_NB) != 0) return;  // its holder is alive
  ioctl(slave, TIOCNXCL);
  flock(slave, LOCK_UN);
}

bool MakeLink(const std::string& link, const std::string& target, std::string& error) {
  struct stat st {};
  if (lstat(link.c_str(), &st) == 0) {
    // A symlink left by an earlier run may be replaced; anything else is not ours.
    if (!S_ISLNK(st.st_mode)) {
      error = "'" + link + "' exists and is not a symbolic link";
      return false;
    }
    unlink(link.c_str());
  }
  if (symlink(target.c_str(), link.c_str()) != 0) {
    error = "cannot create link '" + link + "': " + std::strerror(errno);
    return false;
  }
  return true;
}

// The unit's end of the cable: a pseudo-terminal whose slave the program
// opens as its serial device.
struct Terminal {
  int master = -1;
  int slave = -1;
  std::string slavePath;

  bool Open(std::string& error) {
    master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
      error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
      return false;
    }
    const char* name = ptsname(master);
    if (!name) {
      error = std::string("ptsname failed: ") + std::strerror(errno);
      return false;
    }
    slavePath = name;
    // We hold the slave side open ourselves for the whole run: otherwise the
    // master reports a hang-up (POLLHUP, EIO on read) whenever the program has
    // the port closed, before it first connects and between its reconnects.
    // We never read from it, so the program still gets every byte.
    slave = open(slavePath.c_str(), O_RDWR | O_NOCTTY);
    if (slave < 0) {
      error = "cannot open " + slavePath + ": " + std::strerror(errno);
      return false;
    }
    MakeRaw(master);
    MakeRaw(slave);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    fcntl(master, F_SETFD, FD_CLOEXEC);
    fcntl(slave, F_SETFD, FD_CLOEXEC);
    return true;
  }
  bool IsOpen() const { return master >= 0; }
  // Closing the master hangs up every open slave: the program sees its
  // device vanish, as when a USB adapter is pulled.
  void Close() {
    if (slave >= 0) close(slave);
    if (master >= 0) close(master);
    slave = master = -1;
  }
};

}  // namespace

int main(int argc, char** argv) {
  Options opt;
  try {
    opt = ParseOptions(argc, argv);
  } catch (const OptionError& e) {
    std::cerr << "ventrix-unitsim: " << e.message << "\nTry 'ventrix-unitsim --help'.\n";
    return kExitBadOption;
  }
  if (opt.help) {
    std::cout << kUsage;
    return 0;
  }

  UnitSimConfig config;
  if (opt.imagePath) {
    std::string error;
    auto image = LoadImage(*opt.imagePath, error);
    if (!image) {
      std::cerr << "ventrix-unitsim: " << error << "\n";
      return kExitFailure;
    }
    config.image = *image;
  } else if (opt.blankImage) {
    config.image = BlankSimImage();
  }
  config.version = static_cast<std::uint8_t>(opt.version);
  config.subversion = static_cast<std::uint8_t>(opt.subversion);
  config.faults = opt.faults;
  config.testsLocked = opt.testsLocked;
  config.steadyRpm = opt.steadyRpm;
  config.steadyThrottle10 = opt.steadyThrottle10;
  config.startMs = MonotonicMs();
  CUnitSim sim(config);
  if (opt.logPath && !sim.OpenFrameLog(*opt.logPath)) {
    std::cerr << "ventrix-unitsim: cannot open log file '" << *opt.logPath << "'\n";
    return kExitFailure;
  }

  Terminal term;
  if (std::string error; !term.Open(error)) {
    std::cerr << "ventrix-unitsim: " << error << "\n";
    return kExitFailure;
  }

  int wake[2];
  if (pipe(wake) != 0) {
    std::cerr << "ventrix-unitsim: pipe failed: " << std::strerror(errno) << "\n";
    return kExitFailure;
  }
  for (int fd : wake) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    fcntl(fd, F_SETFD, FD_CLOEXEC);
  }
  g_wakeWrite = wake[1];
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGUSR1, &sa, nullptr);
  sigaction(SIGUSR2, &sa, nullptr);
  signal(SIGPIPE, SIG_IGN);

  if (opt.linkPath) {
    std::string error;
    if (!MakeLink(*opt.linkPath, term.slavePath, error)) {
      std::cerr << "ventrix-unitsim: " << error << "\n";
      return kExitFailure;
    }
  }

  std::cout << term.slavePath << std::endl;
  // When the unit comes back after a pulled cable; -1 while it is not due.
  SimMs restartAtMs = -1;

  std::vector<std::uint8_t> backlog;
  bool running = true;
  int status = 0;
  SimMs nextExclusiveCheck = 0;
  std::size_t testRequestsReported = 0;
  while (running) {
    const SimMs now = MonotonicMs();
    if (sim.HungUp() && term.IsOpen()) {
      term.Close();
      backlog.clear();
      if (opt.linkPath) RemoveLink(*opt.linkPath, term.slavePath);
      std::cerr << "ventrix-unitsim: cable pulled\n";
      if (opt.restartAfterMs) restartAtMs = now + *opt.restartAfterMs;
    }
    if (restartAtMs >= 0 && now >= restartAtMs) {
      restartAtMs = -1;
      std::string error;
      if (!term.Open(error) || (opt.linkPath && !MakeLink(*opt.linkPath, term.slavePath, error))) {
        std::cerr << "ventrix-unitsim: restart failed: " << error << "\n";
        status = kExitFailure;
        break;
      }
      sim.Restart();
      std::cout << term.slavePath << std::endl;
      std::cerr << "ventrix-unitsim: restarted on " << term.slavePath << "\n";
    }
    if (term.IsOpen() && now >= nextExclusiveCheck) {
      ClearOrphanedExclusive(term.slave);
      nextExclusiveCheck = now + 500;
    }
    auto due = sim.TakeOutput(now);
    backlog.insert(backlog.end(), due.begin(), due.end());
    if (backlog.size() > kMaxBacklog) backlog.clear();
    if (!backlog.empty() && term.IsOpen()) {
      const ssize_t n = write(term.master, backlog.data(), backlog.size());
      if (n > 0) backlog.erase(backlog.begin(), backlog.begin() + n);
    }

    int timeout = 1000;
    if (const auto next = sim.NextOutputDueMs())
      timeout = static_cast<int>(std::clamp<SimMs>(*next - MonotonicMs(), 0, 1000));
    if (!backlog.empty()) timeout = std::min(timeout, 10);
    if (restartAtMs >= 0) timeout = static_cast<int>(std::clamp<SimMs>(restartAtMs - MonotonicMs(), 0, timeout));
    // Without a terminal only the signals are waited for (poll skips fd -1).
    pollfd fds[2] = {{term.master, POLLIN, 0}, {wake[0], POLLIN, 0}};
    const int ready = poll(fds, 2, timeout);
    if (ready < 0) {
      if (errno == EINTR) continue;
      std::cerr << "ventrix-unitsim: poll failed: " << std::strerror(errno) << "\n";
      status = kExitFailure;
      break;
    }
    if (fds[1].revents & POLLIN) {
      char c;
      while (read(wake[0], &c, 1) == 1) {
        if (c == 'q') running = false;
        if (c == 'u') {
          sim.SetSilent(!sim.IsSilent());
          std::cerr << "ventrix-unitsim: unit " << (sim.IsSilent() ? "silent" : "answering") << "\n";
        }
        if (c == 'l') {
          sim.SetTestsLocked(!sim.TestsLocked());
          std::cerr << "ventrix-unitsim: output tests " << (sim.TestsLocked() ? "locked" : "unlocked") << "\n";
        }
      }
    }
    if (fds[0].revents & POLLIN) {
      std::uint8_t buf[4096];
      const ssize_t n = read(term.master, buf, sizeof buf);
      if (n > 0) sim.Receive(buf, static_cast<std::size_t>(n), MonotonicMs());
    }
    for (const auto& requests = sim.TestRequests(); testRequestsReported < requests.size(); ++testRequestsReported)
      std::cerr << "ventrix-unitsim: " << TestRequestText(requests[testRequestsReported]) << "\n";
  }

  const auto& st = sim.Stats();
  std::cerr << "ventrix-unitsim: " << st.framesAccepted << " frames answered, " << st.badCheckFrames
            << " with a bad check byte, " << st.resets << " resets\n";
  if (opt.linkPath && term.IsOpen()) RemoveLink(*opt.linkPath, term.slavePath);
  term.Close();
  return status;
}
