#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>

#include "files/ConfigSections.h"
#include "image/ConfigImage.h"

// The token rules of configuration files, shared by the reader and the
// service tools' importer: a token is a run of characters other than blanks,
// tabs and line breaks; CR LF and LF count alike.

// Decimal with an optional sign, taken modulo 65536; nothing for text that
// is no number.
std::optional<std::uint16_t> ParseConfigNumber(std::string_view text);

struct ConfigToken {
  std::string_view text;
  int line = 0;  // 1-based
};

// Tokens with their line numbers. Identification lines (EXE, HEX, BOOT-...)
// are passed over whole, so a unit name such as "ADVANCE 1 2" never becomes data.
class CConfigTokens {
 public:
  explicit CConfigTokens(std::string_view bytes) : m_bytes(bytes) {}

  bool Next(ConfigToken& token);
  // The token is read again by the next Next().
  void PushBack(const ConfigToken& token) { m_pushed = token; }
  // Everything after the line of the last token read.
  std::string_view RestAfterLine() const;
  int LastLine() const { return m_lastLine; }

 private:
  std::string_view m_bytes;
  std::size_t m_pos = 0;
  int m_line = 1;
  int m_lastLine = 1;
  bool m_lineStart = true;
  std::optional<ConfigToken> m_pushed;
};

// How one section's values are stored.
struct ConfigStoreRules {
  int version = kConfigFileVersion;       // of the file's key
  bool wholeImage = true;                 // false: items kept on a page read are read but not stored
  std::function<void(ReaderAction)> act;  // the reader's steps between values; may be empty
};

// Reads the values of `items` from `tokens` into `image`. `firstValue`
// stands for the first value when the keyword carried it. A value that is no
// number (left for the next Next()) or the end of the file ends the section
// early: false, with `problemLine` the line where it ended.
bool ReadConfigItems(CConfigTokens& tokens, std::span<const ConfigItem> items, const ConfigStoreRules& rules,
                     ConfigImage& image, std::optional<std::uint16_t> firstValue, int& problemLine);
