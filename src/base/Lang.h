#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Language index, process-wide: 0 English, 1 German, 2 French, 3 Czech.
enum LanguageIndex : int { kEnglish = 0, kGerman = 1, kFrench = 2, kCzech = 3, kLanguageCount = 4 };

int CurrentLanguage();
// An index outside 0..3 is stored as 0, like every other out-of-range language value.
void SetCurrentLanguage(int language);

// One text in the four languages, UTF-8. A null variant falls back to the
// English text; a null English text is the empty text.
struct CLngStr {
  std::int32_t id;
  const char* text[kLanguageCount];

  // The variant for `language`; a language outside 0..3 reads English.
  std::string_view Get(int language) const;
  std::string_view Get() const { return Get(CurrentLanguage()); }
};

// Dictionary groups: 1 general words, 2 external monitor, 3 sheet control,
// 4 run-time page controls. Any other group holds only the not-found row.
// Rows are searched from row 1 on; the first match wins, none gives row 0.
const CLngStr& FindText(int group, std::string_view english);
// All rows of a group, row 0 (not found) first.
std::span<const CLngStr> DictionaryGroup(int group);
std::string_view LookupText(int group, std::string_view english, int language = CurrentLanguage());
std::string_view LookupTextById(int group, std::int32_t id, int language = CurrentLanguage());
// The variant of FindText's record with the most characters (not bytes), so a
// control sized for it fits every language. Ties keep the earlier language;
// null variants do not take part.
std::string_view LongestText(int group, std::string_view english);

// Number of Unicode characters in a UTF-8 text.
std::size_t Utf8Length(std::string_view text);

// Start-up selection. The settings never bring back French: a stored 2, or
// any value outside 0..3, starts in English.
int LanguageFromSettings(int stored);
// The command-line words that select a language, in language-index order.
inline constexpr const char* kLanguageWords[kLanguageCount] = {"ENGLISH", "DEUTSCH", "FRENCH", "CESKY"};
// `args` are the command-line parameters after the program name. A first
// parameter of exactly "ENGLISH", "DEUTSCH", "FRENCH" or "CESKY" selects the
// language; anything else (or no parameter) keeps `current`.
int LanguageFromCommandLine(int current, const std::vector<std::string>& args);
