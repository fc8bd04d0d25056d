#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "image/ConfigImage.h"
#include "link/LiveDerived.h"
#include "link/LiveValues.h"
#include "shell/Lang.h"

// One number a live-data frame carries, in the unit the Monitor page shows
// it in. The time chart plots these and the CSV export writes them, so both
// read a frame through the same decoder and the same scales.
struct LiveChannel {
  const char* key;   // language-neutral; the name in four languages is found by it
  const char* unit;  // the same in every language; empty for plain counts
  double (*value)(const CLiveValues& live, const LiveDerived& derived);
};

// Every channel, in the order the chart's list and the CSV columns show them.
std::span<const LiveChannel> LiveChannels();
// The channel with `key`; nullptr when there is none.
const LiveChannel* FindLiveChannel(std::string_view key);
// The channels the chart shows when it first opens.
std::span<const char* const> DefaultChartChannels();

// The channel's name in `language` (the key when no name is listed).
std::string_view LiveChannelName(std::string_view key, int language = CurrentLanguage());

// The channel's value in one raw live-data frame, decoded as the live display
// decodes it; `image` is the one in force when the frame came (advance and
// injection averages depend on the cylinders fitted).
double LiveChannelValue(const LiveChannel& channel, std::span<const std::uint8_t> frame, const ConfigImage& image);
