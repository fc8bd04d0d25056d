#include "link/Frame.h"

#include <algorithm>

std::uint8_t FrameCheckByte(std::span<const std::uint8_t> frame) {
  std::uint8_t x = 0xFF;
  for (std::size_t i = 0; i < kCheckByteIndex && i < frame.size(); ++i) x ^= frame[i];
  return x;
}

void SealFrame(Frame& frame) { frame[kCheckByteIndex] = FrameCheckByte(frame); }

bool FrameIsValid(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kFrameSize) return false;
  std::uint8_t x = 0xFF;
  for (std::size_t i = 0; i < kFrameSize; ++i) x ^= bytes[i];
  return x == 0;
}

Frame BuildBlockFrame(std::uint8_t command, const ConfigImage& image, bool zeroPayload, bool resetMarker) {
  Frame f{};
  f[0] = command;
  const int b = command & kCmdBlockMask;
  // A block number above 19 has no image slice behind it: leave the payload
  // zero rather than read past the image.
  if (!zeroPayload && b > 0 && b <= kMaxBlock) {
    const auto* src = image.data() + BlockOffset(b);
    std::copy(src, src + kBlockSize, f.begin() + 1);
  }
  if (resetMarker && b == 0) {
    f[kResetMarkerIndex] = kResetMarker0;
    f[kResetMarkerIndex + 1] = kResetMarker1;
  }
  SealFrame(f);
  return f;
}

namespace {
// Image bytes of the tuning set-up copied into the status frame: frame byte,
// image offset, count.
struct TuningCopy {
  std::size_t frameByte;
  std::size_t imageByte;
  std::size_t count;
};
constexpr TuningCopy kTuningCopies[] = {
    {2, 340, 1},   // tuning mode
    {6, 344, 5},   // AFR, speed, throttle/IAP tolerances, revolutions per step, step
    {12, 350, 1},  // tuned channel
    {13, 351, 1},  // maximum acceleration correction
    {14, 378, 6},  // AFR min/max, throttle min, speed min, temperature min/max
};
}  // namespace

Frame BuildStatusFrame(const ConfigImage& image, const StatusFrameInputs& in) {
  Frame f{};
  f[0] = kCmdStatus;
  f[1] = in.tuningOn ? 1 : 0;
  f[3] = in.tachoLambdaItem;
  for (const auto& c : kTuningCopies)
    std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(c.imageByte), c.count,
                f.begin() + static_cast<std::ptrdiff_t>(c.frameByte));
  std::copy(in.oneShot.begin(), in.oneShot.end(), f.begin() + 20);
  SealFrame(f);
  return f;
}
