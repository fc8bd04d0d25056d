#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

// The time chart's data and geometry without a window: channels of samples,
// min/max per pixel column, the value under the cursor, lanes and ticks.

struct ChartSample {
  double t = 0;  // seconds since the start of the log
  double v = 0;
};

// What one pixel column holds of a channel: the extremes for the vertical
// stroke and the first and last values to join it to its neighbours.
struct ChartColumn {
  int count = 0;  // samples in the column; 0 leaves the other fields unset
  double min = 0, max = 0;
  double first = 0, last = 0;
};

// One plotted value over time; samples ascend in time (equal times allowed).
struct ChartChannel {
  std::string key;
  std::string name;
  std::string unit;
  std::vector<ChartSample> samples;
  std::vector<ChartColumn> blocks;  // ChartBlocks(samples), or empty
};

// Summaries of consecutive runs of kChartBlockSize samples (the last run
// may be shorter), made once per channel: a pixel column that holds a whole
// run takes its summary instead of walking its samples.
constexpr std::size_t kChartBlockSize = 16;
std::vector<ChartColumn> ChartBlocks(std::span<const ChartSample> samples);

// The visible time range [t0, t1] split into `width` equal columns; a sample
// at exactly t1 belongs to the last column. Costs O(log n + visible samples
// + width), and with the channel's blocks about O(width x kChartBlockSize +
// visible samples / kChartBlockSize), so a four-hour log zoomed out paints in
// milliseconds. The blocks change the cost, never the result.
std::vector<ChartColumn> DecimateMinMax(std::span<const ChartSample> samples, double t0, double t1, int width,
                                        std::span<const ChartColumn> blocks = {});

// The column a time falls in for that split (may be outside 0..width-1).
int ChartColumnOf(double t, double t0, double t1, int width);

// The last sample at or before `t`: what the unit reported at that moment.
std::optional<ChartSample> SampleAt(std::span<const ChartSample> samples, double t);
// The index range of the samples within [t0, t1].
std::pair<std::size_t, std::size_t> VisibleRange(std::span<const ChartSample> samples, double t0, double t1);

// Lowest and highest value over [t0, t1], with the samples just outside
// included, since the lines to them cross the visible range too. None when
// the channel has no sample to draw there.
struct ChartExtent {
  double min = 0, max = 0;
};
std::optional<ChartExtent> VisibleExtent(std::span<const ChartSample> samples, double t0, double t1,
                                         std::span<const ChartColumn> blocks = {});

// A lane's value scale: round limits around the data and the ticks between
// them, at steps of 1, 2 or 5 times a power of ten.
struct ChartScale {
  double lo = 0, hi = 1;
  double step = 1;
  std::vector<double> ticks;
};
// At most `maxTicks` ticks (at least 2 are wanted); a flat or empty extent
// still gets a scale with height, so a constant line sits mid-lane.
ChartScale NiceScale(double min, double max, int maxTicks);

// Widens `scale` so that its limits lie `pad` pixels inside a lane
// `height` pixels tall: a trace on a limit (a closed throttle at 0 %, a
// coolant between two readings at the top and the bottom of the lane) is
// drawn inside the lane, not on its border, where it would look like
// missing data. The ticks stay where they are.
ChartScale PadScale(ChartScale scale, int height, int pad);

// Time ticks at steps a clock reads well (1, 2, 5, 10, 15, 30 s, 1, 2, 5,
// 10, 15, 30 min, 1, 2, 3, 6 h; below a second 1, 2, 5 tenths and so on):
// the multiples of the step within [t0, t1], at most `maxTicks` of them.
ChartScale TimeScale(double t0, double t1, int maxTicks);

// Stacked lanes filling `height` pixels from `top`, `gap` between lanes.
struct ChartLane {
  int top = 0;
  int height = 0;
};
std::vector<ChartLane> LayoutLanes(int count, int top, int height, int gap);

// The y pixel of `v` in a lane drawn with `scale` (larger values higher up).
double LaneY(const ChartLane& lane, const ChartScale& scale, double v);

// The visible time range, kept within the data and never narrower than
// kMinSpan, zoomed about an anchor time and panned by a time offset.
class ChartTimeView {
 public:
  static constexpr double kMinSpan = 0.5;  // seconds; a few frames at the fastest rate

  // Shows everything from 0 to `duration`.
  void SetExtent(double duration);
  // The data now runs from `start` to `end` (a rolling window of live data):
  // a view of all the data goes on showing all of it, a view of the newest
  // data goes on showing the newest over the same span, and one the user
  // moved into the past stays there while it can.
  void SetBounds(double start, double end);
  double T0() const { return m_t0; }
  double T1() const { return m_t1; }
  double Span() const { return m_t1 - m_t0; }
  double Start() const { return m_start; }
  double Extent() const { return m_extent; }

  // `factor` < 1 zooms in; the anchor stays at the same place on screen.
  void Zoom(double anchor, double factor);
  void Pan(double dt);
  // Moves the view the least so that `t` is inside it.
  void Reveal(double t);
  void SetRange(double t0, double t1);

  // Pixel column <-> time for a plot `width` pixels wide.
  double TimeAtX(double x, int width) const;
  double XAtTime(double t, int width) const;

 private:
  void Clamp();
  double m_start = 0;   // the data's first time
  double m_extent = 1;  // its last time
  double m_t0 = 0, m_t1 = 1;
};

// "h:mm:ss" with as many decimals of the seconds as a tick `step` needs.
std::string FormatChartTime(double seconds, double step);
// A value with up to three decimals, trailing zeros dropped ("12.3", "6400").
std::string FormatChartValue(double value);
