#pragma once

#include <cstdint>

// Colours as 0x00BBGGRR. Values with the top byte 0x80 are system colours
// that the view resolves from its palette.
using TColor = std::uint32_t;

constexpr TColor clBtnFace = 0x8000000F;
constexpr TColor clRed = 0x000000FF;
constexpr TColor clLime = 0x0000FF00;
constexpr TColor clYellow = 0x0000FFFF;
constexpr TColor clBlue = 0x00FF0000;
constexpr TColor clFuchsia = 0x00FF00FF;
constexpr TColor clAqua = 0x00FFFF00;
constexpr TColor clWhite = 0x00FFFFFF;
