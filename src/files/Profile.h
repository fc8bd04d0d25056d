#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A private-profile (INI) file in memory: "[section]" lines and "key=value"
// lines, read and written the way the Windows profile functions do, so a
// settings file edited by hand or by an older program reads the same.
// Section and key names compare without regard to letter case; the first
// section of a name and the first key of a name in it win; every other line
// (comments, unknown keys, later duplicates, text before the first section)
// is kept as it was when the file is written back. Reads take LF or CR LF;
// Text() writes CR LF.
class CProfile {
 public:
  CProfile() = default;
  explicit CProfile(std::string_view text);

  std::string Text() const;

  // The value of `key`, without the blanks around it and without one pair of
  // matching quotes around it; nullopt when the key is absent.
  std::optional<std::string> Find(std::string_view section, std::string_view key) const;
  std::string GetString(std::string_view section, std::string_view key, std::string_view fallback) const;
  // `fallback` when the key is absent or its value empty; otherwise the
  // decimal number the value starts with (blanks and one sign allowed before
  // it), 0 when it starts with none. Numbers beyond int saturate, so a
  // huge value stays out of every range check.
  int GetInt(std::string_view section, std::string_view key, int fallback) const;

  // Replaces the value of the key's first line (keeping the key's spelling)
  // or adds "key=value" after the section's last entry, adding the section
  // at the end of the file when it is missing. A value with blanks at either
  // end, or in quotes, is written in quotes so it reads back the same.
  // A value with a line break cannot be stored: false, nothing changes.
  bool SetString(std::string_view section, std::string_view key, std::string_view value);
  void SetInt(std::string_view section, std::string_view key, int value);

 private:
  struct Span {
    std::size_t begin;  // first line after the section header
    std::size_t end;    // the next header or the end
  };
  std::optional<Span> FindSection(std::string_view section) const;
  std::optional<std::size_t> FindKeyLine(Span span, std::string_view key) const;

  std::vector<std::string> m_lines;  // without their line ends
  bool m_bom = false;
};
