#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "image/ConfigImage.h"

// Every exchange with the unit is one fixed 152-byte frame: byte 0 the command
// (PC to unit) or reply code (unit to PC), bytes 1..150 payload, byte 151 a
// check byte that makes 0xFF XOR all 152 bytes come out 0.
constexpr std::size_t kFrameSize = 152;
constexpr std::size_t kPayloadSize = 150;
constexpr std::size_t kCheckByteIndex = 151;

using Frame = std::array<std::uint8_t, kFrameSize>;

constexpr std::uint8_t kCmdStatus = 0x30;     // status frame, answered by live data
constexpr std::uint8_t kCmdReadFlag = 0x40;   // block frame: read request
constexpr std::uint8_t kCmdBlockMask = 0x3F;  // block frame: block number
constexpr std::uint8_t kReplyFlag = 0x80;     // reply code = command XOR 0x80
constexpr std::uint8_t kReplyLive = kCmdStatus ^ kReplyFlag;  // 0xB0
constexpr int kMaxBlock = 19;

// Payload bytes 13 and 14 of a block-0 frame sent while releasing the port:
// asks the unit to reset itself into its boot loader.
constexpr std::size_t kResetMarkerIndex = 13;
constexpr std::uint8_t kResetMarker0 = 0xA5;
constexpr std::uint8_t kResetMarker1 = 0x08;

// 0xFF XOR bytes 0..150.
std::uint8_t FrameCheckByte(std::span<const std::uint8_t> frame);
// Writes the check byte into byte 151.
void SealFrame(Frame& frame);
// True when 0xFF XOR all 152 bytes is 0. Fewer than 152 bytes is never valid.
bool FrameIsValid(std::span<const std::uint8_t> bytes);

// Block frame for `command`. The payload is the block's image bytes unless
// the frame asks for block 0 or is sent while reading (`zeroPayload`); the
// reset marker goes into a block-0 frame when `resetMarker` is set.
Frame BuildBlockFrame(std::uint8_t command, const ConfigImage& image, bool zeroPayload, bool resetMarker);

// Status frame bytes 20..23: one bit per output test request.
constexpr std::size_t kStatusTestRequests = 20;
constexpr std::size_t kTestRequestBytes = 4;
using OneShotBytes = std::array<std::uint8_t, kTestRequestBytes>;

// What the status frame carries besides the image's tuning bytes (the
// tacho/lambda switch among them: it is committed into the image at once).
struct StatusFrameInputs {
  bool tuningOn = false;   // "Tuning on": lives only in the window, not in the image
  OneShotBytes oneShot{};  // output test requests
};
Frame BuildStatusFrame(const ConfigImage& image, const StatusFrameInputs& in);
