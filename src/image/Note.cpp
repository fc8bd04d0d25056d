#include "image/Note.h"

#include <algorithm>

#include "base/Codepage.h"

namespace {
// The unit keeps bytes, not a language: the program's home code page (Czech
// Windows ANSI) reads the same note whatever language the window is in.
constexpr CodePage kNoteCodePage = CodePage::kWindows1250;
}  // namespace

void StoreNoteBytes(std::span<const std::string_view> lines, ConfigImage& image) {
  std::fill(image.begin() + kNoteFirst, image.begin() + kNoteLast + 1, std::uint8_t{0});
  std::size_t p = kNoteFirst;
  for (const std::string_view bytes : lines) {
    if (p >= kNoteLast) break;
    const std::size_t n = std::min(bytes.size(), kNoteLast - p);
    std::copy_n(bytes.begin(), n, image.begin() + static_cast<std::ptrdiff_t>(p));
    p += bytes.size() + 1;
  }
  image[kNoteLast] = 0;
}

std::vector<std::string> LoadNoteBytes(const ConfigImage& image) {
  std::vector<std::string> lines;
  std::size_t last = kNoteLast + 1;
  for (std::size_t i = kNoteLast + 1; i-- > kNoteFirst;)
    if (image[i] != 0) {
      last = i;
      break;
    }
  if (last > kNoteLast) return lines;
  std::size_t p = kNoteFirst;
  while (p <= last) {
    std::size_t end = p;
    while (end <= kNoteLast && image[end] != 0) ++end;
    lines.emplace_back(reinterpret_cast<const char*>(image.data() + p), end - p);
    p = end + 1;
  }
  return lines;
}

void StoreNote(std::span<const std::string> lines, ConfigImage& image) {
  std::vector<std::string> converted;
  converted.reserve(lines.size());
  for (const std::string& line : lines) {
    std::string bytes = ToCodePage(line, kNoteCodePage);
    // A NUL inside a line would split it into two on the way back.
    std::replace(bytes.begin(), bytes.end(), '\0', '?');
    converted.push_back(std::move(bytes));
  }
  const std::vector<std::string_view> views(converted.begin(), converted.end());
  StoreNoteBytes(views, image);
}

std::vector<std::string> LoadNote(const ConfigImage& image) {
  std::vector<std::string> lines = LoadNoteBytes(image);
  for (std::string& line : lines) line = FromCodePage(line, kNoteCodePage);
  return lines;
}
