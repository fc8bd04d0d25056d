// Any bytes taken as a frame from the unit: checked, and decoded as live data.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "FuzzCheck.h"
#include "link/Frame.h"
#include "link/LiveValues.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  const bool valid = FrameIsValid(bytes);
  FUZZ_CHECK(!valid || size >= kFrameSize);

  CLiveValues live;
  DecodeLiveFrame(bytes, live);
  (void)LiveCoolantC(live);
  (void)LiveAirC(live);

  // Sealed, any 152 bytes are a valid frame, and one changed byte breaks it.
  if (size >= kFrameSize) {
    Frame frame;
    std::copy_n(data, kFrameSize, frame.begin());
    SealFrame(frame);
    FUZZ_CHECK(FrameIsValid(frame));
    frame[data[0] % kFrameSize] ^= data[1] | 1;
    FUZZ_CHECK(!FrameIsValid(frame));
  }
  return 0;
}
