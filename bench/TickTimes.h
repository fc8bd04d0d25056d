#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

// Per-tick times of a run: a tick that repaints stands out only in the tail.
class TickTimes {
 public:
  template <typename F>
  void Time(F&& f) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    m_us.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count());
  }
  void Report(benchmark::State& state) {
    if (m_us.empty()) return;
    std::sort(m_us.begin(), m_us.end());
    auto at = [&](double q) {
      return m_us[std::min(m_us.size() - 1, static_cast<std::size_t>(q * double(m_us.size())))];
    };
    state.counters["p50_us"] = at(0.5);
    state.counters["p99_us"] = at(0.99);
    state.counters["max_us"] = m_us.back();
  }

 private:
  std::vector<double> m_us;
};
