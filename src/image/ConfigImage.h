#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The unit's configuration image: 2850 bytes, exchanged with the unit in
// 19 blocks of 150 bytes. Block n (1..19) holds bytes 150*(n-1) .. 150*n-1;
// block 0 is the unit's identity record and is not part of the image.
constexpr std::size_t kImageSize = 2850;
constexpr std::size_t kBlockSize = 150;
constexpr int kImageBlocks = 19;  // blocks 1..19
constexpr int kBlockCount = 20;   // blocks 0..19, block 0 the identity

using ConfigImage = std::array<std::uint8_t, kImageSize>;

// First image byte of block b (1..19).
constexpr std::size_t BlockOffset(int block) { return kBlockSize * static_cast<std::size_t>(block - 1); }

// Block (1..19) that holds image byte `offset`.
constexpr int BlockOfOffset(std::size_t offset) { return static_cast<int>(offset / kBlockSize) + 1; }

// Image bytes of block b (1..19), both ends inclusive.
struct ByteRange {
  std::size_t first;
  std::size_t last;
};
constexpr ByteRange BytesOfBlock(int block) { return {BlockOffset(block), BlockOffset(block) + kBlockSize - 1}; }
