// Any bytes read as the image state file.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzCheck.h"
#include "files/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  // Read over two different fillings: the bytes reached are the same in
  // both, and from the first byte not reached on every byte keeps its filling.
  ConfigImage low, high;
  ReservedStateBytes lowReserved, highReserved;
  low.fill(0x00), lowReserved.fill(0x00);
  high.fill(0xFF), highReserved.fill(0xFF);
  ReadImageState(text, low, lowReserved);
  ReadImageState(text, high, highReserved);
  auto byteAt = [](const ConfigImage& image, const ReservedStateBytes& reserved, std::size_t i) {
    return i < image.size() ? image[i] : reserved[i - image.size()];
  };
  bool reached = true;
  for (std::size_t i = 0; i < kImageSize + kReservedStateSize; ++i) {
    const std::uint8_t a = byteAt(low, lowReserved, i), b = byteAt(high, highReserved, i);
    reached = reached && a == b;
    FUZZ_CHECK(reached || (a == 0x00 && b == 0xFF));
  }

  // What was read is written and comes back byte for byte.
  ConfigImage back{};
  ReservedStateBytes backReserved{};
  ReadImageState(ImageStateText(low, lowReserved), back, backReserved);
  FUZZ_CHECK(back == low && backReserved == lowReserved);
  return 0;
}
