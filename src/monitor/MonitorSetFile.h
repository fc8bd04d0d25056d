#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/Colours.h"

// A monitor set as it is persisted (".cem"): the monitor window's rectangle,
// the layout size of the element container and one record per element.
// Independent of the element classes: the window converts elements to
// records before a store and records to elements after a load.

// The format code of the only version there is.
inline constexpr std::int32_t kCemFormatCode = 0x1001;
inline constexpr std::size_t kCemHeaderBytes = 24;
inline constexpr std::size_t kCemRecordBytes = 108;  // 27 integers
// Texts and pictures are numbered with one integer each, but the reader
// pairs them with records: a set keeps at most this many of each.
inline constexpr int kCemMaxTexts = 256;
inline constexpr int kCemMaxPictures = 256;

// Record kinds (integer 0 and 26).
enum CemKind : std::int32_t { kCemPicture = 0, kCemText = 1, kCemLabel = 2, kCemValue = 4, kCemIndicator = 8 };

// Stored colours mark system colours with the top byte 0xFF; in memory the
// program marks them with 0x80 (clBtnFace is 0x8000000F, stored 0xFF00000F).
inline constexpr std::int32_t kCemBtnFace = static_cast<std::int32_t>(0xFF00000Fu);
std::int32_t StoredColour(TColor colour);
TColor ColourFromStored(std::int32_t stored);

// One element, field by field as its 27 integers carry it (integers 3, 4
// and 26 are implied: 0, 0 and `kind`). Colours are stored colours.
struct CemRecord {
  std::int32_t kind = kCemPicture;
  // Integer 1. Label: `units`; indicator: `Style`; text and picture: the
  // element's place among the set's texts or pictures (the writer numbers
  // them in container order, the reader checks the file's numbering and
  // keeps the place); value: 0.
  std::int32_t number = 0;
  std::int32_t ColorMk = 0;  // label, value, indicator; 0 otherwise
  std::int32_t Left = 0, Top = 0, Width = 0, Height = 0;
  std::int32_t focusable = 0;
  std::int32_t Color = 0;
  std::int32_t ltframe = 0;
  std::int32_t dkframe = 0;
  std::int32_t Down = 0;
  std::int32_t TextColor = 0;
  std::int32_t AlignV = 0;
  std::int32_t AlignH = 0;
  std::int32_t rszable = 0;
  std::int32_t nprable = 0;
  std::int32_t ow = 0, oh = 0;
  std::int32_t minw = 0, minh = 0, maxw = 0, maxh = 0;
  std::int32_t id = 0;

  std::string text{};                   // kind text: Windows-1250 bytes, no NUL
  std::vector<std::uint8_t> picture{};  // kind picture: the BMP file image, as read

  bool operator==(const CemRecord&) const = default;
};

// The record's integers 5 to 25, in file order, with the names the source
// export gives them; colours print as "(TColor)" casts there.
struct CemField {
  const char* name;
  std::int32_t CemRecord::*member;
  bool colour;
};
inline constexpr CemField kCemCommonFields[] = {
    {"Left", &CemRecord::Left, false},
    {"Top", &CemRecord::Top, false},
    {"Width", &CemRecord::Width, false},
    {"Height", &CemRecord::Height, false},
    {"focusable", &CemRecord::focusable, false},
    {"Color", &CemRecord::Color, true},
    {"ltframe", &CemRecord::ltframe, true},
    {"dkframe", &CemRecord::dkframe, true},
    {"Down", &CemRecord::Down, false},
    {"TextColor", &CemRecord::TextColor, true},
    {"AlignV", &CemRecord::AlignV, false},
    {"AlignH", &CemRecord::AlignH, false},
    {"rszable", &CemRecord::rszable, false},
    {"nprable", &CemRecord::nprable, false},
    {"ow", &CemRecord::ow, false},
    {"oh", &CemRecord::oh, false},
    {"minw", &CemRecord::minw, false},
    {"minh", &CemRecord::minh, false},
    {"maxw", &CemRecord::maxw, false},
    {"maxh", &CemRecord::maxh, false},
    {"id", &CemRecord::id, false},
};

struct MonitorSet {
  // The monitor window's frame rectangle.
  std::int32_t left = 0, top = 0, width = 0, height = 0;
  // Layout size of the element container; 0 (as a file without the high
  // 16 bits gives it) means "the client area of the window once placed".
  std::int32_t origWidth = 0, origHeight = 0;
  std::vector<CemRecord> records{};

  bool operator==(const MonitorSet&) const = default;
};

// Load and store results; the numbers are those the dialogs report.
enum CemResult : int {
  kCemOk = 0,
  kCemOpenError = 1,
  kCemBadFormat = 2,
  kCemBadText = 3,
  kCemBadPicture = 4,
  kCemUnspecific = 5,  // too short for its header or its records
};

// The dictionary text (group 2, English key) that reports `result`.
std::string_view CemResultMessage(int result);

struct CemParse {
  int result = kCemUnspecific;
  // Codes 0, 3 and 4: the header and every record; for 3 and 4 the texts
  // and pictures before the faulty block are filled, later ones are empty.
  // Other codes: empty, and the current set must stay as it is.
  MonitorSet set;
  int textsRead = 0;
  int picturesRead = 0;

  // Whether the window replaces its set with `set`.
  bool Applies() const { return result == kCemOk || result == kCemBadText || result == kCemBadPicture; }
};

// The bytes of a ".cem" file into a set. Reads nothing beyond `bytes` and
// allocates no more than the file's size.
CemParse ParseMonitorSet(std::string_view bytes);

// The file image of `set`. Texts and pictures beyond the 256th of their
// kind are left out together with their records, so the file stays
// readable; a picture record without a picture is left out as well.
std::string WriteMonitorSet(const MonitorSet& set);

// Through the file system: the whole file is read, then parsed; a store
// replaces the file atomically. Results as above (store: 0 or 1).
CemParse LoadMonitorSetFile(const std::string& path);
int StoreMonitorSetFile(const std::string& path, const MonitorSet& set);

// Texts of text elements are UTF-8 in memory and Windows-1250 in the file,
// whatever the language.
std::string CemTextFromUtf8(std::string_view utf8);
std::string CemTextToUtf8(std::string_view stored);

// A 24-bit bottom-up BMP file image of `pixels` (row by row from the top,
// 0x00RRGGBB), the form in which new pictures are stored.
std::vector<std::uint8_t> EncodeBmp24(int width, int height, const std::vector<std::uint32_t>& pixels);
