#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "UnitSim.h"
#include "link/SerialPort.h"

// A serial port wired straight to a CUnitSim, for tests of the link and the
// core without any device. Time stands still unless the test moves it with
// AdvanceMs()/SetNowMs(): a reply becomes readable once the port's clock has
// reached the time the sim made it due (at once without a delay fault).
class CSimPort : public ISerialPort {
 public:
  // Only the COM numbers in `existingPorts` can be opened.
  explicit CSimPort(CUnitSim& sim, std::set<int> existingPorts = {2});

  void SetExistingPorts(std::set<int> ports) { m_existing = std::move(ports); }
  void AdvanceMs(SimMs ms) { m_nowMs += ms; }
  void SetNowMs(SimMs nowMs) { m_nowMs = nowMs; }
  SimMs NowMs() const { return m_nowMs; }

  // Pulling the cable loses whatever is on the line. An open port then stays
  // dead (reads nothing, writes go nowhere) until it is opened again after
  // Plug(); opening fails while unplugged.
  void Unplug();
  void Plug() { m_plugged = true; }
  bool IsPlugged() const { return m_plugged; }

  // Everything the program wrote, cut into 152-byte frames.
  const std::vector<Frame>& WrittenFrames() const { return m_written; }
  std::size_t FramesWritten() const { return m_written.size(); }
  void ClearWritten() { m_written.clear(); }

  int OpenAttempts() const { return m_openAttempts; }
  int FailedOpens() const { return m_failedOpens; }
  int OpenedCom() const { return m_openCom; }  // 0 when closed

  // ISerialPort
  bool Open(int comNumber) override;
  void Close() override;
  bool IsOpen() const override { return m_openCom != 0; }
  std::size_t QueuedBytes() override;
  std::size_t Read(std::uint8_t* dst, std::size_t max) override;
  std::size_t Write(const std::uint8_t* src, std::size_t size) override;
  void Purge() override;
  std::string DeviceName(int comNumber) const override;

 private:
  bool Live() const { return m_openCom != 0 && !m_dead; }
  void Pull();

  CUnitSim& m_sim;
  std::set<int> m_existing;
  SimMs m_nowMs = 0;
  bool m_plugged = true;
  bool m_dead = false;
  int m_openCom = 0;
  int m_openAttempts = 0;
  int m_failedOpens = 0;
  std::vector<std::uint8_t> m_rx;
  std::vector<std::uint8_t> m_txPartial;
  std::vector<Frame> m_written;
};
