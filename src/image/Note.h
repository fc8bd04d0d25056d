#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "image/ConfigImage.h"

// The note kept in the unit: NUL-terminated lines from byte 2730, byte 2849
// always 0. Lines are UTF-8 here and Windows-1250 in the image.
constexpr std::size_t kNoteFirst = 2730;
constexpr std::size_t kNoteLast = 2849;

// Clears the note bytes and writes the lines in order; a note that needs more
// room is cut. A character Windows-1250 lacks is stored as '?'.
void StoreNote(std::span<const std::string> lines, ConfigImage& image);

// The lines up to the last non-empty one; an all-zero note gives no lines.
std::vector<std::string> LoadNote(const ConfigImage& image);

// StoreNote and LoadNote on the bytes themselves: code page, no conversion
// (configuration files carry the bytes as they are). A NUL byte in a stored
// line ends that line.
void StoreNoteBytes(std::span<const std::string_view> lines, ConfigImage& image);
std::vector<std::string> LoadNoteBytes(const ConfigImage& image);
