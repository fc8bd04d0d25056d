#pragma once

// A log sink in memory that can run out of room like a full disk: it takes
// `capacity` bytes, then writes short with "No space left on device".

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

#include "link/LiveLog.h"

namespace testsupport {

class MemoryLogSink : public ILiveLogSink {
 public:
  std::string bytes;
  std::size_t capacity = std::numeric_limits<std::size_t>::max();
  int writes = 0;
  int syncs = 0;

  long long Write(const std::uint8_t* data, std::size_t size) override {
    ++writes;
    const std::size_t room = capacity - std::min(capacity, bytes.size());
    const std::size_t n = std::min(room, size);
    bytes.append(reinterpret_cast<const char*>(data), n);
    return static_cast<long long>(n);
  }
  bool Sync() override {
    ++syncs;
    return true;
  }
  bool Truncate(std::uint64_t size) override {
    bytes.resize(std::min<std::size_t>(bytes.size(), size));
    return true;
  }
  std::string ErrorText() const override { return "memory.vxlog: No space left on device"; }
};

// Hands the writes on to a sink the test keeps, so it outlives the recorder's.
class ForwardingLogSink : public ILiveLogSink {
 public:
  explicit ForwardingLogSink(MemoryLogSink& target) : m_target(target) {}
  long long Write(const std::uint8_t* data, std::size_t size) override { return m_target.Write(data, size); }
  bool Sync() override { return m_target.Sync(); }
  bool Truncate(std::uint64_t size) override { return m_target.Truncate(size); }
  std::string ErrorText() const override { return m_target.ErrorText(); }

 private:
  MemoryLogSink& m_target;
};

}  // namespace testsupport
