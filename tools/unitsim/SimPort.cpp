#include "SimPort.h"

#include <algorithm>
#include <cstring>

CSimPort::CSimPort(CUnitSim& sim, std::set<int> existingPorts) : m_sim(sim), m_existing(std::move(existingPorts)) {}

void CSimPort::Unplug() {
  m_plugged = false;
  if (m_openCom != 0) m_dead = true;
  m_rx.clear();
  m_sim.DiscardOutput();
}

bool CSimPort::Open(int comNumber) {
  Close();
  ++m_openAttempts;
  if (!m_plugged || !m_existing.contains(comNumber)) {
    ++m_failedOpens;
    return false;
  }
  m_openCom = comNumber;
  m_dead = false;
  return true;
}

void CSimPort::Close() {
  if (m_openCom == 0) return;
  Purge();
  m_openCom = 0;
  m_dead = false;
  m_txPartial.clear();
}

void CSimPort::Pull() {
  if (!Live()) return;
  const auto bytes = m_sim.TakeOutput(m_nowMs);
  m_rx.insert(m_rx.end(), bytes.begin(), bytes.end());
}

std::size_t CSimPort::QueuedBytes() {
  Pull();
  return Live() ? m_rx.size() : 0;
}

std::size_t CSimPort::Read(std::uint8_t* dst, std::size_t max) {
  Pull();
  if (!Live()) return 0;
  const std::size_t n = std::min(max, m_rx.size());
  std::memcpy(dst, m_rx.data(), n);
  m_rx.erase(m_rx.begin(), m_rx.begin() + static_cast<std::ptrdiff_t>(n));
  return n;
}

std::size_t CSimPort::Write(const std::uint8_t* src, std::size_t size) {
  if (!Live() || size == 0) return 0;
  m_txPartial.insert(m_txPartial.end(), src, src + size);
  while (m_txPartial.size() >= kFrameSize) {
    Frame f;
    std::copy_n(m_txPartial.begin(), kFrameSize, f.begin());
    m_written.push_back(f);
    m_txPartial.erase(m_txPartial.begin(), m_txPartial.begin() + kFrameSize);
  }
  m_sim.Receive(src, size, m_nowMs);
  return size;
}

void CSimPort::Purge() {
  // What has reached the port's input is thrown away; replies the unit has
  // not sent yet (delay fault) still arrive later, as on a real line.
  Pull();
  m_rx.clear();
}

std::string CSimPort::DeviceName(int comNumber) const {
  return m_existing.contains(comNumber) ? "simulated unit" : std::string();
}
