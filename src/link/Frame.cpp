#include "link/Frame.h"

#include <algorithm>

#include "image/FieldCatalogue.h"

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
// Tuning fields of the image carried by the status frame, by frame byte.
struct TuningCopy {
  std::size_t frameByte;
  FieldId field;
};
constexpr TuningCopy kTuningCopies[] = {
    {2, FieldId::kTuningMode},         {3, FieldId::kTuningByTls},        {6, FieldId::kTuningAfrTolerance},
    {7, FieldId::kTuningRpmTolerance}, {8, FieldId::kTuningTpsTolerance}, {9, FieldId::kTuningRevsPerStep},
    {10, FieldId::kTuningStep},        {12, FieldId::kTuningChannel},     {13, FieldId::kTuningMaxAcc},
    {14, FieldId::kTuningAfrMin},      {15, FieldId::kTuningAfrMax},      {16, FieldId::kTuningTpsMin},
    {17, FieldId::kTuningRpmMin},      {18, FieldId::kTuningTempMin},     {19, FieldId::kTuningTempMax},
};
}  // namespace

Frame BuildStatusFrame(const ConfigImage& image, const StatusFrameInputs& in) {
  Frame f{};
  f[0] = kCmdStatus;
  f[1] = in.tuningOn ? 1 : 0;
  for (const auto& c : kTuningCopies) f[c.frameByte] = image[ElementOffset(c.field)];
  std::copy(in.oneShot.begin(), in.oneShot.end(), f.begin() + kStatusTestRequests);
  SealFrame(f);
  return f;
}
