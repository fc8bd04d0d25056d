#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "image/ConfigImage.h"
#include "link/LiveDerived.h"
#include "link/LiveValues.h"
#include "base/Lang.h"

// One number a live-data frame carries, scaled as the Monitor page shows it.
// The CSV export writes every channel as a column and the time chart can
// plot any of them, so both read a frame through the same decoder, the same
// scales and the same names.
struct LiveChannel {
  const char* key;  // language-neutral and unique: the chart finds channels by it
  // The name is a Monitor page text slot, a named text and a fixed suffix
  // (cylinder, channel), each optional, joined by blanks.
  int slot;             // kNoLiveSlot for none
  const char* nameKey;  // nullptr for none
  const char* suffix;
  const char* unit;  // the same in every language; empty for counts and flags
  int decimals;      // the value is a whole number of 10^-decimals units
  // None where the Monitor page says "error" (a sensor the unit gives up on).
  std::optional<std::int64_t> (*value)(const CLiveValues& live, const LiveDerived& derived);
};

inline constexpr int kNoLiveSlot = -1;

// Every channel, in frame order: the CSV's column order.
std::span<const LiveChannel> LiveChannels();
// The channel with `key`; nullptr when there is none.
const LiveChannel* FindLiveChannel(std::string_view key);
// The channels the chart shows when it first opens.
std::span<const char* const> DefaultChartChannels();

// The channel's name in `language`, without the unit.
std::string LiveChannelName(const LiveChannel& channel, int language = CurrentLanguage());
// The name followed by " [unit]" when there is a unit: a CSV column's
// heading, and what tells apart two channels of one name (a sensor's
// voltage and the value read from it).
std::string LiveChannelHeading(const LiveChannel& channel, int language = CurrentLanguage());

// "Time [s]" in `language`: the heading of the time beside the channels.
std::string LiveTimeHeading(int language = CurrentLanguage());

// The channel's value in one raw live-data frame, decoded as the live display
// decodes it; `image` is the one in force when the frame came (advance and
// injection averages depend on the cylinders fitted).
std::optional<double> LiveChannelValue(const LiveChannel& channel, std::span<const std::uint8_t> frame,
                                       const ConfigImage& image);
