#include "image/FieldCatalogue.h"

std::int32_t ReadRaw(const ConfigImage& image, std::size_t offset, FieldWidth width) {
  switch (width) {
    case FieldWidth::kByte:
      return image[offset];
    case FieldWidth::kSignedByte:
      return static_cast<std::int8_t>(image[offset]);
    case FieldWidth::kWord:
      return image[offset] | (image[offset + 1] << 8);
    case FieldWidth::kSignedWord:
      return static_cast<std::int16_t>(static_cast<std::uint16_t>(image[offset] | (image[offset + 1] << 8)));
  }
  return 0;
}

void WriteRaw(ConfigImage& image, std::size_t offset, FieldWidth width, std::int64_t raw) {
  const auto bits = static_cast<std::uint64_t>(raw);  // two's complement: the low bits are what the unit keeps
  image[offset] = static_cast<std::uint8_t>(bits & 0xFF);
  if (IsWord(width)) image[offset + 1] = static_cast<std::uint8_t>((bits >> 8) & 0xFF);
}

std::int32_t ToShown(const FieldInfo& f, std::int32_t raw) { return raw * f.scale + f.shownOffset; }

std::int64_t ToRaw(const FieldInfo& f, std::int32_t shown) {
  // 64 bits so that an extreme shown value minus the offset cannot overflow.
  return (static_cast<std::int64_t>(shown) - f.shownOffset) / f.scale;
}
