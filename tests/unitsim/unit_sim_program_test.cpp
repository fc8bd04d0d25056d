// Runs the ventrix-unitsim program on its pseudo-terminal.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

fs::path ProgramPath() { return VENTRIX_UNITSIM_EXE; }

struct Child {
  pid_t pid = -1;
  int out = -1;  // its stdout
};

// Its stderr goes to `errPath`, or nowhere when empty.
Child Spawn(const std::vector<std::string>& args, const std::string& errPath = "") {
  int pipeFd[2];
  if (pipe(pipeFd) != 0) return {};
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(pipeFd[1], STDOUT_FILENO);
    const int err =
        errPath.empty() ? open("/dev/null", O_WRONLY) : open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(err, STDERR_FILENO);
    close(pipeFd[0]);
    close(pipeFd[1]);
    std::vector<char*> argv;
    const std::string exe = ProgramPath().string();
    argv.push_back(const_cast<char*>(exe.c_str()));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(exe.c_str(), argv.data());
    _exit(127);
  }
  close(pipeFd[1]);
  return {pid, pipeFd[0]};
}

// Reads until `want` bytes have come or the generous deadline passes.
std::string ReadSome(int fd, std::size_t want, bool untilNewline) {
  std::string got;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (got.size() < want && std::chrono::steady_clock::now() < deadline) {
    if (untilNewline && got.find('\n') != std::string::npos) break;
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    char buf[512];
    const ssize_t n = read(fd, buf, std::min(sizeof buf, want - got.size()));
    if (n <= 0) break;
    got.append(buf, static_cast<std::size_t>(n));
  }
  return got;
}

// The simulator's terminal, opened raw as the program opens the unit's port; -1 on failure.
int OpenRaw(const fs::path& path) {
  const int tty = open(path.c_str(), O_RDWR | O_NOCTTY);
  if (tty < 0) return -1;
  termios t{};
  tcgetattr(tty, &t);
  cfmakeraw(&t);
  tcsetattr(tty, TCSANOW, &t);
  return tty;
}

int WaitExit(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

class UnitSimProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(ProgramPath())) << ProgramPath();
    m_dir = fs::temp_directory_path() / ("unitsim-test-" + std::to_string(getpid()));
    fs::create_directories(m_dir);
  }
  void TearDown() override {
    if (!m_dir.empty()) fs::remove_all(m_dir);
  }
  fs::path m_dir;
};

TEST_F(UnitSimProgramTest, AnswersOnItsTerminalAndCleansUp) {
  const fs::path link = m_dir / "unit";
  const fs::path log = m_dir / "frames.log";
  Child child = Spawn({"--link", link.string(), "--log", log.string()});
  ASSERT_GT(child.pid, 0);
  std::string line = ReadSome(child.out, 256, true);
  ASSERT_NE(line.find('\n'), std::string::npos) << "no terminal path printed";
  line.erase(line.find('\n'));
  EXPECT_EQ(line.rfind("/dev/pts/", 0), 0u) << line;
  EXPECT_EQ(fs::read_symlink(link).string(), line);

  const int tty = OpenRaw(link);
  ASSERT_GE(tty, 0);
  unsigned char frame[152] = {0x30};
  frame[151] = 0xCF;
  ASSERT_EQ(write(tty, frame, sizeof frame), 152);
  const std::string reply = ReadSome(tty, 152, false);
  close(tty);
  ASSERT_EQ(reply.size(), 152u);
  EXPECT_EQ(static_cast<unsigned char>(reply[0]), 0xB0);

  kill(child.pid, SIGTERM);
  EXPECT_EQ(WaitExit(child.pid), 0);
  close(child.out);
  EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
  std::ifstream logIn(log);
  std::stringstream logText;
  logText << logIn.rdbuf();
  EXPECT_NE(logText.str().find("RX [152] 30 00"), std::string::npos);
}

TEST_F(UnitSimProgramTest, ReportsEachTestRequestOnceAndLocksTestsOnRequest) {
  struct Case {
    std::vector<std::string> options;
    int flagByte4;  // live byte 4: bit 3 is "output tests locked"
    std::vector<std::string> reported;
  };
  const Case cases[] = {
      {{}, 0x00, {"ventrix-unitsim: test Injector 1A", "ventrix-unitsim: test Injector 3B"}},
      {{"--tests-locked"},
       0x08,
       {"ventrix-unitsim: test Injector 1A refused: output tests locked",
        "ventrix-unitsim: test Injector 3B refused: output tests locked"}},
  };
  for (const auto& c : cases) {
    const fs::path link = m_dir / "unit";
    const fs::path err = m_dir / "stderr.txt";
    auto args = c.options;
    args.insert(args.end(), {"--link", link.string()});
    Child child = Spawn(args, err.string());
    ASSERT_GT(child.pid, 0);
    ASSERT_NE(ReadSome(child.out, 256, true).find('\n'), std::string::npos) << "no terminal path printed";
    const int tty = OpenRaw(link);
    ASSERT_GE(tty, 0);
    // A status frame with injectors 1A and 3B requested, then one without.
    for (const unsigned char requests : {0x41, 0x00}) {
      unsigned char frame[152] = {0x30};
      frame[20] = requests;
      frame[151] = static_cast<unsigned char>(0xCF ^ requests);
      ASSERT_EQ(write(tty, frame, sizeof frame), 152);
      const std::string reply = ReadSome(tty, 152, false);
      ASSERT_EQ(reply.size(), 152u);
      EXPECT_EQ(static_cast<unsigned char>(reply[4]) & 0x08, c.flagByte4);
    }
    close(tty);
    kill(child.pid, SIGTERM);
    EXPECT_EQ(WaitExit(child.pid), 0);
    close(child.out);

    std::ifstream errIn(err);
    std::vector<std::string> reported;
    for (std::string line; std::getline(errIn, line);)
      if (line.rfind("ventrix-unitsim: test", 0) == 0) reported.push_back(line);
    EXPECT_EQ(reported, c.reported);
  }
}

TEST_F(UnitSimProgramTest, RefusesBadStartOptions) {
  const fs::path shortImage = m_dir / "short.bin";
  std::ofstream(shortImage, std::ios::binary) << std::string(2849, '\0');
  struct Case {
    std::vector<std::string> args;
    int exitCode;
  } const cases[] = {
      {{"--drop-every", "many"}, 2},
      {{"--no-such-option"}, 2},
      {{"--version"}, 2},
      {{"--image", (m_dir / "missing.bin").string()}, 1},
      {{"--image", shortImage.string()}, 1},
      {{"--blank-image", "--image", shortImage.string()}, 2},
      {{"--fault-from", "5", "--fault-until", "4"}, 2},
      {{"--restart-after-ms", "100"}, 2},  // nothing to restart from without --hangup
  };
  for (const auto& c : cases) {
    Child child = Spawn(c.args);
    ASSERT_GT(child.pid, 0);
    EXPECT_EQ(ReadSome(child.out, 256, true), "") << c.args[0];  // no terminal offered
    EXPECT_EQ(WaitExit(child.pid), c.exitCode) << c.args[0];
    close(child.out);
  }
}

}  // namespace
