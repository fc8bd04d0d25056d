#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Colours.h"
#include "image/ConfigImage.h"
#include "image/ParamSet.h"
#include "link/LiveValues.h"
#include "base/TextSlots.h"

// What the main window shows of one live-data frame, as states of its
// labels and gauges by object name. An empty optional leaves that property
// of the control as it is.
struct LiveLabelState {
  std::string name;
  std::optional<std::string> text;
  std::optional<TColor> colour;  // background
  std::optional<bool> visible;
};

struct LiveGaugeState {
  std::string name;
  int maximum = 100;  // the minimum is 0; position is kept within 0..maximum
  std::optional<int> position;
  std::optional<TColor> colour;  // colour of the bar
  std::optional<bool> visible;
};

// Where the lambda bar's three bands meet, in per cent of the lambda gauge.
struct LambdaBands {
  int firstEnd = 0;
  int secondEnd = 0;
};

struct LiveDisplay {
  std::vector<LiveLabelState> labels;
  std::vector<LiveGaugeState> gauges;
  LambdaBands lambdaBands;

  const LiveLabelState* Label(std::string_view name) const;
  const LiveGaugeState* Gauge(std::string_view name) const;
};

struct LiveDisplayInputs {
  const CLiveValues& live;
  const ConfigImage& image;
  const CTextSlots& textSlots;
  bool extendedMonitor = false;  // "Extended Monitor": sensor voltages beside the values
  bool imageMatchesUnit = false;
  bool n2oEnabled = false;   // "N2O enable" is checked
  bool serviceMode = false;  // shows the service values Test1..Test8
};

LiveDisplay BuildLiveDisplay(const LiveDisplayInputs& in);

// Gauge ranges, fixed when the page is built.
constexpr int kGaugeRpmMax = 100;  // per cent of the ignition limiter
constexpr int kGaugeCoolantMax = 120;
constexpr int kGaugeDutyMax = 100;

// Controls of the active page that follow the live operating point. A
// coloured control is lime while `on`, else its normal colour (window for
// edits, face for labels); a button's caption is bold while `on`.
enum class HighlightStyle : std::uint8_t { kLime, kBold };
struct LiveHighlight {
  std::string name;
  bool on = false;
  HighlightStyle style = HighlightStyle::kLime;
};

// The highlights of `activePage`, every control of them on or off; the rows
// follow the parameter set the page was written from.
std::vector<LiveHighlight> PageHighlights(const CLiveValues& live, const CParamSet& params, int activePage);
