#include "link/ChartModel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

bool EarlierThan(const ChartSample& s, double t) { return s.t < t; }
bool LaterThan(double t, const ChartSample& s) { return t < s.t; }

void Merge(ChartColumn& into, const ChartColumn& part) {
  if (into.count == 0) {
    into = part;
    return;
  }
  into.count += part.count;
  into.min = std::min(into.min, part.min);
  into.max = std::max(into.max, part.max);
  into.last = part.last;
}

ChartColumn OneSample(double v) { return {1, v, v, v, v}; }

// The whole run of block `i` lies within [i, end) and the blocks are usable.
bool WholeBlockAt(std::size_t i, std::size_t end, std::span<const ChartColumn> blocks) {
  return i % kChartBlockSize == 0 && i + kChartBlockSize <= end && i / kChartBlockSize < blocks.size();
}

}  // namespace

std::vector<ChartColumn> ChartBlocks(std::span<const ChartSample> samples) {
  std::vector<ChartColumn> blocks((samples.size() + kChartBlockSize - 1) / kChartBlockSize);
  for (std::size_t i = 0; i < samples.size(); ++i) Merge(blocks[i / kChartBlockSize], OneSample(samples[i].v));
  return blocks;
}

int ChartColumnOf(double t, double t0, double t1, int width) {
  if (!(t1 > t0) || width <= 0) return 0;
  const int column = int(std::floor((t - t0) / (t1 - t0) * width));
  // The range's end is drawn, so it belongs to the last column, not past it.
  if (column == width && t <= t1) return width - 1;
  return column;
}

std::pair<std::size_t, std::size_t> VisibleRange(std::span<const ChartSample> samples, double t0, double t1) {
  const auto first = std::lower_bound(samples.begin(), samples.end(), t0, EarlierThan);
  const auto last = std::upper_bound(first, samples.end(), t1, LaterThan);
  return {std::size_t(first - samples.begin()), std::size_t(last - samples.begin())};
}

std::vector<ChartColumn> DecimateMinMax(std::span<const ChartSample> samples, double t0, double t1, int width,
                                        std::span<const ChartColumn> blocks) {
  std::vector<ChartColumn> columns(std::size_t(std::max(width, 0)));
  if (width <= 0 || !(t1 > t0)) return columns;
  const auto [first, last] = VisibleRange(samples, t0, t1);
  const double perSecond = width / (t1 - t0);
  // Same rounding as ChartColumnOf, inlined: this runs for every visible
  // sample or run of every lane on each repaint.
  const auto column = [&](double t) { return std::min(int((t - t0) * perSecond), width - 1); };
  for (std::size_t i = first; i < last;) {
    if (WholeBlockAt(i, last, blocks)) {
      const int c = column(samples[i].t);
      if (c == column(samples[i + kChartBlockSize - 1].t)) {
        Merge(columns[std::size_t(c)], blocks[i / kChartBlockSize]);
        i += kChartBlockSize;
        continue;
      }
    }
    Merge(columns[std::size_t(column(samples[i].t))], OneSample(samples[i].v));
    ++i;
  }
  return columns;
}

std::optional<ChartSample> SampleAt(std::span<const ChartSample> samples, double t) {
  const auto after = std::upper_bound(samples.begin(), samples.end(), t, LaterThan);
  if (after == samples.begin()) return std::nullopt;
  return *(after - 1);
}

std::optional<ChartExtent> VisibleExtent(std::span<const ChartSample> samples, double t0, double t1,
                                         std::span<const ChartColumn> blocks) {
  auto [first, last] = VisibleRange(samples, t0, t1);
  if (first > 0) --first;
  if (last < samples.size()) ++last;
  if (first >= last) return std::nullopt;
  ChartColumn all;
  for (std::size_t i = first; i < last;) {
    if (WholeBlockAt(i, last, blocks)) {
      Merge(all, blocks[i / kChartBlockSize]);
      i += kChartBlockSize;
    } else {
      Merge(all, OneSample(samples[i++].v));
    }
  }
  return ChartExtent{all.min, all.max};
}

ChartScale NiceScale(double min, double max, int maxTicks) {
  maxTicks = std::max(maxTicks, 2);
  if (!(max > min)) {
    // A flat line: give it room on both sides, in proportion to its size.
    const double pad = min != 0 ? std::abs(min) * 0.1 : 1;
    min -= pad;
    max += pad;
  }
  const double raw = (max - min) / (maxTicks - 1);
  const double magnitude = std::pow(10, std::floor(std::log10(raw)));
  static constexpr double kSteps[] = {1, 2, 5, 10, 20, 50, 100};
  ChartScale s;
  for (double m : kSteps) {
    s.step = m * magnitude;
    if (s.step < raw) continue;
    s.lo = std::floor(min / s.step) * s.step;
    s.hi = std::ceil(max / s.step) * s.step;
    if (std::lround((s.hi - s.lo) / s.step) + 1 <= maxTicks) break;
  }
  const long count = std::lround((s.hi - s.lo) / s.step) + 1;
  for (long i = 0; i < count; ++i) {
    const double t = s.lo + double(i) * s.step;
    // Multiples of a fractional step land a hair off zero; show them as 0.
    s.ticks.push_back(std::abs(t) < s.step * 1e-9 ? 0.0 : t);
  }
  return s;
}

ChartScale PadScale(ChartScale scale, int height, int pad) {
  if (pad <= 0 || height <= 2 * pad) return scale;
  // lo and hi at `pad` pixels from the lane's edges: extra / (range + 2 extra) = pad / height.
  const double extra = (scale.hi - scale.lo) * pad / (height - 2 * pad);
  scale.lo -= extra;
  scale.hi += extra;
  return scale;
}

ChartScale TimeScale(double t0, double t1, int maxTicks) {
  static constexpr double kClockSteps[] = {1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 900, 1800, 3600, 7200, 10800, 21600};
  maxTicks = std::max(maxTicks, 2);
  ChartScale s;
  if (!(t1 > t0)) {
    s.lo = s.hi = t0;
    s.ticks = {t0};
    return s;
  }
  const double raw = (t1 - t0) / (maxTicks - 1);
  if (raw < 1) {
    s.step = NiceScale(0, t1 - t0, maxTicks).step;  // decimal fractions of a second
  } else {
    const auto it =
        std::find_if(std::begin(kClockSteps), std::end(kClockSteps), [raw](double step) { return step >= raw; });
    // Past six hours, whole multiples of six hours.
    s.step = it != std::end(kClockSteps) ? *it : std::ceil(raw / kClockSteps[15]) * kClockSteps[15];
  }
  s.lo = t0;
  s.hi = t1;
  for (double k = std::ceil(t0 / s.step - 1e-9); k * s.step <= t1 + s.step * 1e-9; k += 1)
    s.ticks.push_back(k * s.step);
  return s;
}

std::vector<ChartLane> LayoutLanes(int count, int top, int height, int gap) {
  std::vector<ChartLane> lanes;
  if (count <= 0) return lanes;
  // Spreads the pixels that do not divide evenly over the lanes, so the
  // last lane ends exactly at the bottom.
  const int total = height + gap;
  for (int i = 0; i < count; ++i) {
    const int a = top + i * total / count;
    const int b = top + (i + 1) * total / count - gap;
    lanes.push_back({a, std::max(b - a, 1)});
  }
  return lanes;
}

double LaneY(const ChartLane& lane, const ChartScale& scale, double v) {
  const double range = scale.hi - scale.lo;
  const double fraction = range > 0 ? (v - scale.lo) / range : 0.5;
  return lane.top + lane.height - fraction * lane.height;
}

void ChartTimeView::SetExtent(double duration) {
  m_start = 0;
  m_extent = std::max(duration, kMinSpan);
  m_t0 = 0;
  m_t1 = m_extent;
}

void ChartTimeView::SetBounds(double start, double end) {
  const bool followed = m_t1 >= m_extent - 1e-9;
  const bool whole = followed && m_t0 <= m_start + 1e-9;
  const double span = Span();
  m_start = start;
  m_extent = std::max(end, start + kMinSpan);
  if (whole) {
    m_t0 = m_start;
    m_t1 = m_extent;
  } else if (followed) {
    m_t1 = m_extent;
    m_t0 = m_t1 - span;
  }
  Clamp();
}

void ChartTimeView::Zoom(double anchor, double factor) {
  const double span = std::clamp(Span() * factor, kMinSpan, m_extent - m_start);
  const double fraction = (anchor - m_t0) / Span();
  m_t0 = anchor - fraction * span;
  m_t1 = m_t0 + span;
  Clamp();
}

void ChartTimeView::Pan(double dt) {
  m_t0 += dt;
  m_t1 += dt;
  Clamp();
}

void ChartTimeView::Reveal(double t) {
  if (t < m_t0) Pan(t - m_t0);
  if (t > m_t1) Pan(t - m_t1);
}

void ChartTimeView::SetRange(double t0, double t1) {
  m_t0 = std::min(t0, t1);
  m_t1 = std::max({t0, t1, m_t0 + kMinSpan});
  Clamp();
}

void ChartTimeView::Clamp() {
  const double span = std::clamp(Span(), kMinSpan, m_extent - m_start);
  m_t0 = std::clamp(m_t0, m_start, m_extent - span);
  m_t1 = m_t0 + span;
}

double ChartTimeView::TimeAtX(double x, int width) const { return width > 0 ? m_t0 + x / width * Span() : m_t0; }

double ChartTimeView::XAtTime(double t, int width) const { return (t - m_t0) / Span() * width; }

std::string FormatChartTime(double seconds, double step) {
  const int decimals = step >= 1 ? 0 : std::clamp(int(std::ceil(-std::log10(step) - 1e-9)), 0, 3);
  seconds = std::max(seconds, 0.0);
  // Rounds once, as a whole count of the last shown decimal, so 59.96 s
  // shown with one decimal reads 0:01:00.0 rather than 0:00:60.0.
  const double unit = std::pow(10, decimals);
  const long long ticks = std::llround(seconds * unit);
  const long long whole = ticks / (long long)unit;
  const long long fraction = ticks % (long long)unit;
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
  std::string text = buffer;
  if (decimals > 0) {
    const std::string digits = std::to_string(fraction);
    text += '.' + std::string(std::size_t(decimals) - std::min(digits.size(), std::size_t(decimals)), '0') + digits;
  }
  return text;
}

std::string FormatChartValue(double value) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%.3f", value);
  std::string text = buffer;
  const auto point = text.find_first_of(".,");
  if (point != std::string::npos) {
    while (text.back() == '0') text.pop_back();
    if (text.size() == point + 1) text.pop_back();
  }
  if (text == "-0") text = "0";
  return text;
}
