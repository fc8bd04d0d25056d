#include "base/Lang.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace {

struct LookupCase {
  int group;
  const char* english;
  int language;
  const char* expected;
};

// Wire texts restated on purpose: these are what the user sees.
const LookupCase kLookups[] = {
    {3, "Copy", kCzech, "Kopírovat"},  // first of the two "Copy" rows wins
    {3, "no such text", kGerman, "?STR not found?"},
    {1, "Cancel", kGerman, "Cancel"},  // no German variant: English
    {1, "Cancel", kCzech, "Zpět"},
    {1, "OK", kFrench, "OK"},
    {1, "YES", kFrench, "Oui"},
    {4, "", kEnglish, "?STR not found?"},  // group 4 has no empty row
    {4, "", kCzech, "?STR not found?"},
    {1, "", kCzech, ""},
    {2, "", kGerman, ""},
    {3, "copy", kEnglish, "?STR not found?"},  // case matters
    {3, "Coolant", kGerman, "Kühlflüssigkeit"},
    {7, "YES", kCzech, "?STR not found?"},  // unknown group
    {0, "", kEnglish, "?STR not found?"},
    {1, "NO", 4, "NO"},  // language out of range reads English
    {1, "NO", -1, "NO"},
};

TEST(LangTest, LookupText) {
  for (const auto& c : kLookups) {
    SCOPED_TRACE(std::string("group ") + std::to_string(c.group) + " '" + c.english + "' lang " +
                 std::to_string(c.language));
    EXPECT_EQ(LookupText(c.group, c.english, c.language), c.expected);
  }
}

TEST(LangTest, FindTextReturnsFirstMatchingRow) {
  const auto rows = DictionaryGroup(3);
  EXPECT_EQ(&FindText(3, "Copy"), &rows[10]);
  EXPECT_EQ(&FindText(3, "Paste"), &rows[12]);
  EXPECT_EQ(&FindText(3, "and"), &rows[3]);
  EXPECT_EQ(&FindText(3, "not there"), &rows[0]);
  EXPECT_EQ(&FindText(3, ""), &rows[1]);
}

TEST(LangTest, LookupTextById) {
  struct Case {
    int id;
    int language;
    const char* expected;
  };
  const Case cases[] = {
      {10010, kEnglish, "Coolant"},       {10010, kFrench, "T. moteur"}, {10011, kGerman, "Kühl."},
      {10020, kCzech, "Vzduch"},          {10021, kFrench, "Air"},       {10021, kGerman, "Luft"},
      {12345, kCzech, "?STR not found?"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    EXPECT_EQ(LookupTextById(3, c.id, c.language), c.expected);
  }
  // Id 0 belongs to every ordinary row; the search starts at row 1, the empty text.
  EXPECT_EQ(LookupTextById(3, 0, kEnglish), "");
  EXPECT_EQ(LookupTextById(4, 10010, kEnglish), "?STR not found?");
}

TEST(LangTest, LongestTextCountsCharactersNotBytes) {
  // Group 1 row 7: "Warning" (7) vs "Varování" (8 characters, 10 bytes).
  EXPECT_EQ(LongestText(1, "Warning"), "Varování");
  // "Cancel" (6) vs "Zpět" (4 characters but 5 bytes): English stays.
  EXPECT_EQ(LongestText(1, "Cancel"), "Cancel");
  // Null variants are skipped; a row with only English gives English.
  EXPECT_EQ(LongestText(1, "no such"), "?STR not found?");
  // Czech "Voda" (4) and "Cool." (5): English wins over the shorter ones.
  EXPECT_EQ(LongestText(3, "Cool."), "Cool.");
  EXPECT_EQ(LongestText(3, "Coolant"), "Kühlflüssigkeit");
  // Equal lengths keep the earlier language: "ISO1" in all four.
  EXPECT_EQ(LongestText(3, "ISO1").data(), DictionaryGroup(3)[5].text[kEnglish]);
  // "Air" / "Luft" / "Air" / "Vzduch": Czech strictly longest.
  EXPECT_EQ(LongestText(3, "Air"), "Vzduch");
  // "YES" "JA" "Oui" "ANO": tie of three, English kept.
  EXPECT_EQ(LongestText(1, "YES").data(), DictionaryGroup(1)[2].text[kEnglish]);
}

TEST(LangTest, Utf8Length) {
  EXPECT_EQ(Utf8Length(""), 0u);
  EXPECT_EQ(Utf8Length("abc"), 3u);
  EXPECT_EQ(Utf8Length("Čtení"), 5u);
  EXPECT_EQ(Utf8Length("°"), 1u);
  EXPECT_EQ(Utf8Length("\xE2\x82\xAC"), 1u);  // euro sign, three bytes
}

TEST(LangTest, DictionaryShape) {
  struct Shape {
    int group;
    std::size_t rows;
  };
  for (const Shape s : {Shape{1, 10}, Shape{2, 40}, Shape{3, 122}, Shape{4, 13}, Shape{5, 1}, Shape{-1, 1}}) {
    SCOPED_TRACE(s.group);
    const auto rows = DictionaryGroup(s.group);
    ASSERT_EQ(rows.size(), s.rows);
    EXPECT_STREQ(rows[0].text[kEnglish], "?STR not found?");
    for (int l = 1; l < kLanguageCount; ++l) EXPECT_EQ(rows[0].text[l], nullptr);
  }
  for (int g : {1, 2, 3}) EXPECT_STREQ(DictionaryGroup(g)[1].text[kEnglish], "");
  // Only the four temperature rows of group 3 carry identifiers.
  std::set<int> ids;
  for (int g = 1; g <= 4; ++g)
    for (const auto& row : DictionaryGroup(g))
      if (row.id != 0) ids.insert(row.id);
  EXPECT_EQ(ids, (std::set<int>{10010, 10011, 10020, 10021}));
  EXPECT_EQ(DictionaryGroup(3)[117].id, 10010);
  EXPECT_EQ(DictionaryGroup(3)[120].id, 10021);
}

// Rows of groups 2 to 4 that carry a text are ours to translate: all four present.
TEST(LangTest, TranslatedGroupsHaveEveryVariant) {
  for (int g = 2; g <= 4; ++g) {
    const auto rows = DictionaryGroup(g);
    for (std::size_t i = 1; i < rows.size(); ++i) {
      if (std::string_view(rows[i].text[kEnglish]).empty()) continue;
      for (int l = 0; l < kLanguageCount; ++l) {
        SCOPED_TRACE(testing::Message() << "group " << g << " row " << i << " lang " << l);
        ASSERT_NE(rows[i].text[l], nullptr);
        EXPECT_FALSE(std::string_view(rows[i].text[l]).empty());
      }
    }
  }
  // Group 1 keeps its null variants: they fall back to English.
  EXPECT_EQ(DictionaryGroup(1)[4].text[kGerman], nullptr);
  EXPECT_EQ(DictionaryGroup(1)[9].text[kFrench], nullptr);
}

// A translation keeps the English text's blanks at either end and its line
// breaks, because callers compose and lay out around them.
TEST(LangTest, TranslationsKeepFraming) {
  for (int g = 2; g <= 4; ++g) {
    for (const auto& row : DictionaryGroup(g)) {
      const std::string_view en = row.Get(kEnglish);
      for (int l = 1; l < kLanguageCount; ++l) {
        const std::string_view v = row.Get(l);
        SCOPED_TRACE(testing::Message() << "group " << g << " '" << en << "' lang " << l);
        EXPECT_EQ(!en.empty() && en.back() == ' ', !v.empty() && v.back() == ' ');
        EXPECT_EQ(!en.empty() && en.front() == ' ', !v.empty() && v.front() == ' ');
        EXPECT_EQ(std::count(en.begin(), en.end(), '\n'), std::count(v.begin(), v.end(), '\n'));
        EXPECT_EQ(en.find('|') == std::string_view::npos, v.find('|') == std::string_view::npos);
      }
    }
  }
}

TEST(LangTest, CurrentLanguage) {
  SetCurrentLanguage(kCzech);
  EXPECT_EQ(CurrentLanguage(), kCzech);
  EXPECT_EQ(LookupText(3, "Copy"), "Kopírovat");  // default language argument follows the index
  EXPECT_EQ(FindText(1, "NO").Get(), "NE");
  SetCurrentLanguage(7);
  EXPECT_EQ(CurrentLanguage(), kEnglish);
  SetCurrentLanguage(kEnglish);
}

TEST(LangTest, StartUpSelection) {
  struct SettingsCase {
    int stored;
    int expected;
  };
  for (const auto c : {SettingsCase{0, 0}, SettingsCase{1, 1}, SettingsCase{2, 0}, SettingsCase{3, 3},
                       SettingsCase{4, 0}, SettingsCase{255, 0}, SettingsCase{-1, 0}}) {
    SCOPED_TRACE(c.stored);
    EXPECT_EQ(LanguageFromSettings(c.stored), c.expected);
  }

  struct CommandLineCase {
    int current;
    std::vector<std::string> args;
    int expected;
  };
  const CommandLineCase cases[] = {
      {1, {}, 1},
      {1, {"ENGLISH"}, 0},
      {0, {"DEUTSCH"}, 1},
      {0, {"FRENCH"}, 2},  // the only way into French
      {0, {"CESKY"}, 3},
      {3, {"english"}, 3},  // exact, case-sensitive
      {3, {"ENGLISH "}, 3},
      {1, {"file.ign", "CESKY"}, 1},  // only the first parameter counts
      {1, {"CESKY", "ENGLISH"}, 3},
      {2, {""}, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "args " << c.args.size() << (c.args.empty() ? "" : " " + c.args[0]));
    EXPECT_EQ(LanguageFromCommandLine(c.current, c.args), c.expected);
  }
  // The whole start-up rule: a stored French starts in English, the word wins.
  EXPECT_EQ(LanguageFromCommandLine(LanguageFromSettings(2), {}), kEnglish);
  EXPECT_EQ(LanguageFromCommandLine(LanguageFromSettings(2), {"FRENCH"}), kFrench);
  EXPECT_EQ(LanguageFromCommandLine(LanguageFromSettings(1), {"CESKY"}), kCzech);
}

}  // namespace
