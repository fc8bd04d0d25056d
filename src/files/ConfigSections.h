#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// The sections of a configuration file (".ign"), in the order they are
// written: each a keyword and its values in decimal. The writer and the
// reader both walk this table; the values' image offsets come from the field
// and map catalogues.

constexpr int kConfigFileVersion = 83;
// Versions of older files that are still read.
inline constexpr int kOlderConfigVersions[] = {82, 74, 73, 71, 69, 68, 66, 65};

enum class ItemKind : std::uint8_t {
  kByte,        // b[n]: the file holds raw × scale + shift
  kSignedByte,  // s[n]: the byte as -128..127
  kWord,        // w[n]: unsigned little-endian word
  kFlag,        // written as 1 when the byte is non-zero, else 0
  kServoValue,  // b[n] × 1 while the servo's percent flag is set, else × scale
  kBreak,       // continuation break: a line break and 13 blanks
  kParagraph,   // a bare line break
  kAction,      // a step of the reader at this point of the section
};

enum class ReaderAction : std::uint8_t {
  kNone,
  kBikeDefaults,      // the bike type's default configuration over the whole image
  kLambdaDefaults,    // the sensor type's characteristic, before the section's own values
  kClearN2oMinimums,  // their own sections follow and set them again
  kFillDesiredAfr,    // files before 83 held one desired AFR for the whole table
};

struct ConfigItem {
  ItemKind kind;
  std::uint16_t offset = 0;  // image byte of the first value
  std::uint8_t count = 0;    // values (bytes or words) one after another
  std::int16_t scale = 1;
  std::int16_t shift = 0;
  std::uint8_t width = 5;        // columns of a value, right-aligned
  bool blank = true;             // a blank after each value
  bool every15 = false;          // a continuation break after every 15th value
  std::uint8_t since = 0;        // present in files of this version on
  std::uint8_t storedSince = 0;  // read from older files, but stored only from this version on
  std::int16_t olderScale = 0;   // scale in files before olderUntil (0: none)
  std::uint8_t olderUntil = 0;
  std::uint16_t percentFlag = 0;  // kServoValue: the byte that selects × 1
  bool keptOnPage = false;        // read but not stored when only the active page is read
  ReaderAction action = ReaderAction::kNone;
};

enum class SectionKind : std::uint8_t { kValues, kVersions, kMemo };

constexpr std::uint8_t kKeywordTab = 0;  // keyword width: the keyword is followed by one TAB
constexpr int kNoPage = -1;              // read only into the whole image
constexpr int kAnySheet = -1;

struct ConfigSection {
  const char* keyword;
  std::uint8_t width;  // keyword field, padded with blanks
  std::span<const ConfigItem> items;
  int page;                // PageIndex the section belongs to in actual-page mode
  int sheet;               // the sheet shown on that page (DefaultsScope::shownMap), or kAnySheet
  std::uint8_t since = 0;  // key versions whose files have this layout
  std::uint8_t until = 255;
  SectionKind kind = SectionKind::kValues;
  const char* alias = nullptr;  // another keyword older files use
};

std::span<const ConfigSection> ConfigSections();

// Items that stand for values in the file (the others are layout and reader steps).
constexpr bool IsValueItem(const ConfigItem& item) {
  return item.kind == ItemKind::kByte || item.kind == ItemKind::kSignedByte || item.kind == ItemKind::kWord ||
         item.kind == ItemKind::kFlag || item.kind == ItemKind::kServoValue;
}
constexpr std::size_t ItemElementSize(const ConfigItem& item) { return item.kind == ItemKind::kWord ? 2 : 1; }
