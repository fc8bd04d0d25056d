#pragma once

#include <span>
#include <string>
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
