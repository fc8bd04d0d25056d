#pragma once

// Runs the ventrix-unitsim program as a child process for end-to-end tests
// and reads the pseudo-terminal path it prints first.

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

extern char** environ;

namespace testsupport {

class SimProcess {
 public:
  explicit SimProcess(const std::string& exe, std::vector<std::string> options = {}) {
    int out[2];
    if (::pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::vector<std::string> argv{exe};
    argv.insert(argv.end(), options.begin(), options.end());
    std::vector<char*> cargv;
    for (auto& a : argv) cargv.push_back(a.data());
    cargv.push_back(nullptr);
    if (::posix_spawn(&m_pid, exe.c_str(), &actions, nullptr, cargv.data(), environ) != 0) m_pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    m_out = out[0];
    if (m_pid > 0) m_device = ReadLine(std::chrono::seconds(5));
  }
  ~SimProcess() {
    Stop();
    if (m_out >= 0) ::close(m_out);
  }
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  bool Ok() const { return m_pid > 0 && !m_device.empty(); }
  const std::string& Device() const { return m_device; }
  void Signal(int sig) const {
    if (m_pid > 0) ::kill(m_pid, sig);
  }
  // Ends the simulator and waits for it: its side of the cable is gone.
  void Stop() {
    if (m_pid <= 0) return;
    ::kill(m_pid, SIGTERM);
    int status = 0;
    ::waitpid(m_pid, &status, 0);
    m_pid = -1;
  }

 private:
  std::string ReadLine(std::chrono::milliseconds timeout) {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
      pollfd p{m_out, POLLIN, 0};
      if (::poll(&p, 1, 50) <= 0) continue;
      char c;
      if (::read(m_out, &c, 1) != 1) break;
      if (c == '\n') return line;
      line += c;
    }
    return {};
  }

  pid_t m_pid = -1;
  int m_out = -1;
  std::string m_device;
};

}  // namespace testsupport
