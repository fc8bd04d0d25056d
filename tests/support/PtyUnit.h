#pragma once

// The simulated unit behind a real pseudo-terminal: the program opens the
// slave like a serial device, the test pumps bytes between the master and
// an in-process CUnitSim, so a test can reach into the unit (its image, its
// faults) while the program's real serial code does the talking.

#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <vector>

#include "UnitSim.h"
#include "support/Pty.h"

namespace testsupport {

class PtyUnit {
 public:
  explicit PtyUnit(const UnitSimConfig& config = {}) : sim(config) {}

  // One tick's worth of line traffic: waits up to `waitMs` for what the
  // program wrote, hands it to the unit and writes the unit's replies back.
  // Time on the unit's side moves by one tick per call.
  void Pump(int waitMs = 5) {
    nowMs += 55;
    std::uint8_t buf[4096];
    pollfd p{pty.Master(), POLLIN, 0};
    if (::poll(&p, 1, waitMs) > 0) {
      for (;;) {
        const ssize_t n = ::read(pty.Master(), buf, sizeof buf);
        if (n <= 0) break;
        m_stream.insert(m_stream.end(), buf, buf + n);
        sim.Receive(buf, std::size_t(n), nowMs);
      }
    }
    while (m_stream.size() >= kFrameSize) {
      Frame f;
      std::copy_n(m_stream.begin(), kFrameSize, f.begin());
      sent.push_back(f);
      m_stream.erase(m_stream.begin(), m_stream.begin() + kFrameSize);
    }
    const auto out = sim.TakeOutput(nowMs);
    if (!out.empty()) {
      pty.Send(out);
      // Let the bytes cross to the program's side before its next tick.
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }

  // Command bytes of the frames the program sent, status frames left out
  // when `blockFramesOnly`.
  std::vector<int> Commands(bool blockFramesOnly = true) const {
    std::vector<int> out;
    for (const auto& f : sent)
      if (!blockFramesOnly || f[0] != kCmdStatus) out.push_back(f[0]);
    return out;
  }

  Pty pty;
  CUnitSim sim;
  SimMs nowMs = 0;
  std::vector<Frame> sent;

 private:
  std::vector<std::uint8_t> m_stream;
};

}  // namespace testsupport
