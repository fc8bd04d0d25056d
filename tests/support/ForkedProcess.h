#pragma once

// Another process for tests that need something held by someone else (a
// port and its lock) and then that someone killed without warning. The
// child is a fork of the test process running `body`.

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>

namespace testsupport {

class ForkedProcess {
 public:
  // Called by `body` once it holds what it should (or failed to): tells the
  // test and keeps the child as it is until it is killed. Never returns.
  using Ready = std::function<void(bool holds)>;

  explicit ForkedProcess(const std::function<void(const Ready&)>& body) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return;
    m_pid = ::fork();
    if (m_pid == 0) {
      ::close(pipeFds[0]);
      const int report = pipeFds[1];
      body([report](bool holds) {
        const char c = holds ? 1 : 0;
        if (::write(report, &c, 1) != 1) ::_exit(1);
        for (;;) ::pause();
      });
      ::_exit(1);  // `body` returned without calling Ready
    }
    ::close(pipeFds[1]);
    m_report = pipeFds[0];
  }
  ~ForkedProcess() {
    Kill();
    if (m_report >= 0) ::close(m_report);
  }
  ForkedProcess(const ForkedProcess&) = delete;
  ForkedProcess& operator=(const ForkedProcess&) = delete;

  pid_t Pid() const { return m_pid; }

  // Waits for the child's report; true when it holds.
  bool WaitReady(std::chrono::milliseconds timeout = std::chrono::seconds(20)) const {
    if (m_pid <= 0) return false;
    pollfd p{m_report, POLLIN, 0};
    char c = 0;
    return ::poll(&p, 1, static_cast<int>(timeout.count())) > 0 && ::read(m_report, &c, 1) == 1 && c == 1;
  }

  // SIGKILL: nothing of the child's own runs any more. Reaped before
  // returning, so everything it held is let go.
  void Kill() {
    if (m_pid <= 0) return;
    ::kill(m_pid, SIGKILL);
    ::waitpid(m_pid, nullptr, 0);
    m_pid = -1;
  }

 private:
  pid_t m_pid = -1;
  int m_report = -1;
};

}  // namespace testsupport
