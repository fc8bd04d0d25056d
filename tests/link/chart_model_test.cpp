#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "link/ChartModel.h"

namespace {

// An uneven log: bursts, gaps and repeated times, as a unit that drops
// frames and sends two in one tick gives.
std::vector<ChartSample> UnevenSamples() {
  std::vector<ChartSample> s;
  double t = 0;
  for (int i = 0; i < 2000; ++i) {
    t += (i % 97 == 0) ? 3.7 : (i % 13 == 0) ? 0 : 0.05 + 0.01 * (i % 7);
    s.push_back({t, std::sin(i * 0.37) * 100 + (i % 11) * 3});
  }
  return s;
}

// Every sample checked against every column, with no search and no
// shortcut: the reference the fast path must agree with.
std::vector<ChartColumn> BruteForce(const std::vector<ChartSample>& samples, double t0, double t1, int width) {
  std::vector<ChartColumn> cols(static_cast<std::size_t>(width));
  for (const ChartSample& s : samples) {
    if (s.t < t0 || s.t > t1) continue;
    for (int c = 0; c < width; ++c) {
      const double a = t0 + (t1 - t0) * c / width;
      const double b = t0 + (t1 - t0) * (c + 1) / width;
      const bool inside = (s.t >= a && s.t < b) || (c == width - 1 && s.t == t1);
      if (!inside) continue;
      ChartColumn& col = cols[std::size_t(c)];
      if (col.count++ == 0) col.min = col.max = col.first = s.v;
      col.min = std::min(col.min, s.v);
      col.max = std::max(col.max, s.v);
      col.last = s.v;
      break;
    }
  }
  return cols;
}

TEST(ChartModelTest, DecimationMatchesBruteForce) {
  const auto samples = UnevenSamples();
  const auto blocks = ChartBlocks(samples);
  const double end = samples.back().t;
  struct Case {
    double t0, t1;
    int width;
  } cases[] = {
      {0, end, 800},                          // whole log, fewer columns than samples
      {0, end, 1},                            // one column holds everything
      {10, 12, 640},                          // zoomed in: most columns empty
      {samples[500].t, samples[900].t, 333},  // both ends exactly on samples
      {-5, 3, 100},                           // starts before the log
      {end - 1, end + 50, 50},                // runs past the end
      {end + 1, end + 2, 10},                 // nothing visible
      {40.123, 40.124, 7},                    // narrower than the sample spacing
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.t0 << ".." << c.t1 << " in " << c.width);
    const auto slow = BruteForce(samples, c.t0, c.t1, c.width);
    for (const bool indexed : {false, true}) {
      SCOPED_TRACE(indexed ? "with blocks" : "sample by sample");
      const auto fast = DecimateMinMax(samples, c.t0, c.t1, c.width, indexed ? blocks : std::vector<ChartColumn>{});
      ASSERT_EQ(fast.size(), slow.size());
      int total = 0;
      for (std::size_t i = 0; i < fast.size(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(fast[i].count, slow[i].count);
        total += fast[i].count;
        if (fast[i].count == 0) continue;
        EXPECT_EQ(fast[i].min, slow[i].min);
        EXPECT_EQ(fast[i].max, slow[i].max);
        EXPECT_EQ(fast[i].first, slow[i].first);
        EXPECT_EQ(fast[i].last, slow[i].last);
      }
      const auto visible = std::count_if(samples.begin(), samples.end(),
                                         [&](const ChartSample& s) { return s.t >= c.t0 && s.t <= c.t1; });
      EXPECT_EQ(total, visible);
    }
    const auto extent = VisibleExtent(samples, c.t0, c.t1, blocks);
    const auto plain = VisibleExtent(samples, c.t0, c.t1);
    ASSERT_EQ(extent.has_value(), plain.has_value());
    if (extent) {
      EXPECT_EQ(extent->min, plain->min);
      EXPECT_EQ(extent->max, plain->max);
    }
  }
}

TEST(ChartModelTest, DecimationOfDegenerateInput) {
  const std::vector<ChartSample> samples = {{1, 5}, {2, 6}};
  EXPECT_TRUE(DecimateMinMax(samples, 0, 3, 0).empty());
  EXPECT_TRUE(DecimateMinMax({}, 0, 3, 4)[0].count == 0);
  // An empty time range shows nothing rather than dividing by zero.
  for (const ChartColumn& c : DecimateMinMax(samples, 2, 2, 3)) EXPECT_EQ(c.count, 0);
}

TEST(ChartModelTest, ValueAtTimeIsTheLastSampleAtOrBefore) {
  const std::vector<ChartSample> samples = {{1.0, 10}, {2.0, 20}, {2.0, 21}, {3.5, 35}};
  struct {
    double t;
    std::optional<double> v;
  } cases[] = {
      {0.99, std::nullopt},  // before the first frame nothing was reported
      {1.0, 10},
      {1.999, 10},  // held until the next frame, never interpolated
      {2.0, 21},    // of two frames with one time, the later one
      {3.49, 21},
      {3.5, 35},
      {1e9, 35},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.t);
    const auto s = SampleAt(samples, c.t);
    ASSERT_EQ(s.has_value(), c.v.has_value());
    if (s) {
      EXPECT_EQ(s->v, *c.v);
    }
  }
}

TEST(ChartModelTest, VisibleExtentTakesTheNeighboursOfTheRange) {
  const std::vector<ChartSample> samples = {{0, -50}, {1, 3}, {2, 7}, {3, 4}, {10, 900}};
  const auto e = VisibleExtent(samples, 0.5, 3.5);
  ASSERT_TRUE(e);
  // The lines from -50 and to 900 cross the visible range.
  EXPECT_EQ(e->min, -50);
  EXPECT_EQ(e->max, 900);
  const auto between = VisibleExtent(samples, 4, 5);  // no sample inside, still a line across
  ASSERT_TRUE(between);
  EXPECT_EQ(between->min, 4);
  EXPECT_EQ(between->max, 900);
  EXPECT_FALSE(VisibleExtent({}, 0, 1));
}

TEST(ChartModelTest, NiceScales) {
  struct {
    double min, max;
    int maxTicks;
    double lo, hi, step;
  } cases[] = {
      {0, 9800, 6, 0, 10000, 2000}, {1234, 1236, 5, 1234, 1236, 0.5},
      {12.3, 14.8, 6, 12, 15, 1},  // 0.5 would need 7 ticks
      {-7.5, 32, 5, -20, 40, 20},  // 10 would need 6 ticks
      {5, 5, 5, 4.5, 5.5, 0.5},    // flat: a tenth of the value either side
      {0, 0, 5, -1, 1, 0.5},       // flat at zero
      {0.1, 0.9, 2, 0, 1, 1},      // only two ticks allowed
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.min << ".." << c.max);
    const ChartScale s = NiceScale(c.min, c.max, c.maxTicks);
    EXPECT_DOUBLE_EQ(s.lo, c.lo);
    EXPECT_DOUBLE_EQ(s.hi, c.hi);
    EXPECT_DOUBLE_EQ(s.step, c.step);
    ASSERT_GE(s.ticks.size(), 2u);
    EXPECT_LE(int(s.ticks.size()), c.maxTicks);
    EXPECT_DOUBLE_EQ(s.ticks.front(), s.lo);
    EXPECT_NEAR(s.ticks.back(), s.hi, s.step * 1e-9);
  }
}

// A value on the scale's limit is drawn inside its lane, clear of the
// border and of the clipping a pixel inside it: a closed throttle at 0 % or
// a coolant between 88 and 89 °C must not look like missing data.
TEST(ChartModelTest, PaddedScalesKeepTheLimitsInsideTheLane) {
  struct {
    const char* name;
    double min, max;
    int height;
  } cases[] = {
      {"throttle from closed to wide open", 0, 100, 80},
      {"throttle closed all the time", 0, 0, 80},
      {"coolant between two readings", 88, 89, 60},
      {"a correction below zero", -12.5, 0, 45},
      {"engine speed", 1200, 9800, 200},
  };
  constexpr int kPad = 4;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const ChartScale nice = NiceScale(c.min, c.max, 5);
    const ChartScale padded = PadScale(nice, c.height, kPad);
    EXPECT_EQ(padded.ticks, nice.ticks) << "the ticks stay";
    const ChartLane lane{100, c.height};
    // Exactly kPad pixels inside at the nice limits, further in for data inside them.
    EXPECT_NEAR(LaneY(lane, padded, nice.lo), lane.top + lane.height - kPad, 1e-9);
    EXPECT_NEAR(LaneY(lane, padded, nice.hi), lane.top + kPad, 1e-9);
    EXPECT_LE(LaneY(lane, padded, c.min), lane.top + lane.height - kPad + 1e-9);
    EXPECT_GE(LaneY(lane, padded, c.max), lane.top + kPad - 1e-9);
  }
  // A lane too low for padding keeps its scale.
  const ChartScale nice = NiceScale(0, 100, 2);
  EXPECT_DOUBLE_EQ(PadScale(nice, 8, 4).lo, nice.lo);
}

TEST(ChartModelTest, TimeTicksAtClockSteps) {
  struct {
    double t0, t1;
    int maxTicks;
    double step, first;
    std::size_t count;
  } cases[] = {
      {0, 14400, 8, 3600, 0, 5},     // four hours: every hour, not every 2000 s
      {0, 100, 6, 30, 0, 4},         // 20 s would need 6 gaps
      {95.3, 187.1, 8, 15, 105, 6},  // ticks start at the first multiple inside
      {10, 12.4, 6, 0.5, 10, 5},     // under a second a step: decimal fractions
      {0, 100000, 3, 64800, 0, 2},   // past six hours: multiples of six hours
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.t0 << ".." << c.t1);
    const ChartScale s = TimeScale(c.t0, c.t1, c.maxTicks);
    EXPECT_DOUBLE_EQ(s.step, c.step);
    ASSERT_EQ(s.ticks.size(), c.count);
    EXPECT_DOUBLE_EQ(s.ticks.front(), c.first);
    EXPECT_LE(s.ticks.back(), c.t1);
  }
}

TEST(ChartModelTest, LanesFillTheHeightWithoutOverlap) {
  for (int count : {1, 2, 3, 6, 7}) {
    SCOPED_TRACE(count);
    const auto lanes = LayoutLanes(count, 10, 503, 4);
    ASSERT_EQ(int(lanes.size()), count);
    EXPECT_EQ(lanes.front().top, 10);
    EXPECT_EQ(lanes.back().top + lanes.back().height, 513);
    for (std::size_t i = 1; i < lanes.size(); ++i) {
      EXPECT_EQ(lanes[i].top, lanes[i - 1].top + lanes[i - 1].height + 4);
      EXPECT_LE(std::abs(lanes[i].height - lanes[0].height), 1);
    }
  }
  EXPECT_TRUE(LayoutLanes(0, 0, 100, 4).empty());
  // Each lane maps its own scale: bottom is lo, top is hi.
  const ChartLane lane{100, 50};
  const ChartScale scale = NiceScale(0, 10, 3);
  EXPECT_DOUBLE_EQ(LaneY(lane, scale, scale.lo), 150);
  EXPECT_DOUBLE_EQ(LaneY(lane, scale, scale.hi), 100);
}

TEST(ChartModelTest, TimeViewZoomKeepsTheAnchorAndStaysInTheLog) {
  ChartTimeView view;
  view.SetExtent(14400);
  view.Zoom(3600, 0.01);
  EXPECT_NEAR(view.Span(), 144, 1e-9);
  // The anchor keeps its place on screen: a quarter in before, a quarter in after.
  EXPECT_NEAR(view.XAtTime(3600, 1000), 1000 * 3600.0 / 14400, 1e-6);
  view.Pan(-1e6);  // dragged far past the start
  EXPECT_EQ(view.T0(), 0);
  EXPECT_NEAR(view.Span(), 144, 1e-9);
  view.Zoom(0, 1e-9);  // no deeper than the shortest span
  EXPECT_DOUBLE_EQ(view.Span(), ChartTimeView::kMinSpan);
  view.Zoom(0, 1e9);  // no wider than the log
  EXPECT_DOUBLE_EQ(view.T0(), 0);
  EXPECT_DOUBLE_EQ(view.T1(), 14400);
  view.SetRange(100, 200);
  view.Reveal(250);
  EXPECT_DOUBLE_EQ(view.T1(), 250);
  EXPECT_DOUBLE_EQ(view.Span(), 100);
  EXPECT_DOUBLE_EQ(view.TimeAtX(view.XAtTime(207.25, 640), 640), 207.25);
}

// Live data rolls: the newest end moves on, the oldest drops off.
TEST(ChartModelTest, RollingBoundsFollowTheNewestDataUnlessMovedAway) {
  ChartTimeView view;
  view.SetBounds(0, 10);
  view.SetBounds(0, 100);
  EXPECT_DOUBLE_EQ(view.T0(), 0);
  EXPECT_DOUBLE_EQ(view.T1(), 100) << "all of it, as it grows";
  view.SetRange(40, 100);  // the last minute
  view.SetBounds(10, 110);
  EXPECT_DOUBLE_EQ(view.T0(), 50);
  EXPECT_DOUBLE_EQ(view.T1(), 110) << "showing the newest, so it goes on doing so";
  view.Pan(-30);  // the user looks back
  view.SetBounds(20, 120);
  EXPECT_DOUBLE_EQ(view.T0(), 20);
  EXPECT_DOUBLE_EQ(view.T1(), 80) << "kept where the user put it";
  view.SetBounds(40, 140);
  EXPECT_DOUBLE_EQ(view.T0(), 40) << "until that part of the data is gone";
  view.Pan(-1000);
  EXPECT_DOUBLE_EQ(view.T0(), 40);
  view.Zoom(100, 1e9);
  EXPECT_DOUBLE_EQ(view.Span(), 100) << "no wider than the data";
}

TEST(ChartModelTest, Texts) {
  EXPECT_EQ(FormatChartTime(3725, 60), "1:02:05");
  EXPECT_EQ(FormatChartTime(59.96, 0.5), "0:01:00.0");
  EXPECT_EQ(FormatChartTime(12.345, 0.01), "0:00:12.35");
  EXPECT_EQ(FormatChartTime(-1, 1), "0:00:00");
  EXPECT_EQ(FormatChartValue(12.3000001), "12.3");
  EXPECT_EQ(FormatChartValue(6400), "6400");
  EXPECT_EQ(FormatChartValue(-0.0001), "0");
  EXPECT_EQ(FormatChartValue(-2.5), "-2.5");
}

}  // namespace
