#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <set>
#include <string>
#include <vector>

#include "link/Frame.h"
#include "link/SerialPort.h"

// A scripted port: the test decides which COM numbers exist, queues the
// bytes the "unit" sends and inspects every frame written.
class FakePort : public ISerialPort {
 public:
  std::set<int> existing{2};
  std::vector<int> openAttempts;
  std::vector<Frame> written;
  std::deque<std::uint8_t> incoming;
  int openCom = 0;

  bool Open(int com) override {
    openAttempts.push_back(com);
    openCom = existing.count(com) ? com : 0;
    return openCom != 0;
  }
  void Close() override { openCom = 0; }
  bool IsOpen() const override { return openCom != 0; }
  std::size_t QueuedBytes() override { return IsOpen() ? incoming.size() : 0; }
  std::size_t Read(std::uint8_t* dst, std::size_t max) override {
    const std::size_t n = std::min(max, QueuedBytes());
    std::copy_n(incoming.begin(), n, dst);
    incoming.erase(incoming.begin(), incoming.begin() + static_cast<std::ptrdiff_t>(n));
    return n;
  }
  std::size_t Write(const std::uint8_t* src, std::size_t size) override {
    if (!IsOpen()) return 0;
    Frame f{};
    std::copy_n(src, std::min(size, f.size()), f.begin());
    written.push_back(f);
    return size;
  }
  void Purge() override { incoming.clear(); }
  std::string DeviceName(int com) const override { return "/dev/fake" + std::to_string(com); }

  void Queue(const Frame& f) { incoming.insert(incoming.end(), f.begin(), f.end()); }
};

// A reply frame from the unit with a correct check byte.
inline Frame UnitReply(std::uint8_t code, std::uint8_t fill = 0) {
  Frame f{};
  f[0] = code;
  std::fill(f.begin() + 1, f.begin() + 151, fill);
  SealFrame(f);
  return f;
}
