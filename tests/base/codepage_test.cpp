#include "base/Codepage.h"

#include <gtest/gtest.h>

#include <string>

#include "base/Lang.h"

namespace {

TEST(CodepageTest, PageForLanguage) {
  EXPECT_EQ(CodePageForLanguage(kCzech), CodePage::kWindows1250);
  for (int l : {0, 1, 2, 9}) EXPECT_EQ(CodePageForLanguage(l), CodePage::kWindows1252) << l;
}

struct RoundTrip {
  CodePage page;
  const char* utf8;
  const char* bytes;
};

// Code points restated from the Windows code page charts.
const RoundTrip kRoundTrips[] = {
    {CodePage::kWindows1250, "Chyba čtení!", "Chyba \xE8ten\xED!"},
    {CodePage::kWindows1250, "Dočasně odpojeno",
     "Do\xE8"
     "asn\xEC odpojeno"},
    {CodePage::kWindows1250, "Řízení ŽŠŤ ů", "\xD8\xEDzen\xED \x8E\x8A\x8D \xF9"},
    {CodePage::kWindows1252, "Zündung öffnen",
     "Z\xFCndung \xF6"
     "ffnen"},
    {CodePage::kWindows1252, "Anschluß", "Anschlu\xDF"},
    {CodePage::kWindows1252, "Mémorisation à", "M\xE9morisation \xE0"},
    {CodePage::kWindows1252, "d´alumage 25 °C",
     "d\xB4"
     "alumage 25 \xB0"
     "C"},
    {CodePage::kWindows1252, "€", "\x80"},
    {CodePage::kWindows1252, "plain ASCII\r\n", "plain ASCII\r\n"},
    {CodePage::kWindows1250, "", ""},
};

TEST(CodepageTest, RoundTrips) {
  for (const auto& c : kRoundTrips) {
    SCOPED_TRACE(c.utf8);
    std::size_t replaced = 99;
    EXPECT_EQ(ToCodePage(c.utf8, c.page, &replaced), c.bytes);
    EXPECT_EQ(replaced, 0u);
    EXPECT_EQ(FromCodePage(c.bytes, c.page, &replaced), c.utf8);
    EXPECT_EQ(replaced, 0u);
  }
}

TEST(CodepageTest, MissingCharactersBecomeQuestionMarks) {
  struct Case {
    CodePage page;
    std::string utf8;
    std::string bytes;
    std::size_t replaced;
  };
  const Case cases[] = {
      // Czech letters that Windows-1252 lacks; the text after them survives.
      {CodePage::kWindows1252, "Chyba čtení!", "Chyba ?ten\xED!", 1},
      {CodePage::kWindows1252, "řřř end", "??? end", 3},
      // French è is not in Windows-1250.
      {CodePage::kWindows1250, "è ok", "? ok", 1},
      {CodePage::kWindows1250, "日本", "??", 2},
      {CodePage::kWindows1252, "a\xF0\x9F\x98\x80z", "a?z", 1},  // emoji: one character, one '?'
      // Malformed UTF-8: one '?' per bad byte, the good bytes after it kept.
      {CodePage::kWindows1252, "a\xFFz", "a?z", 1},
      {CodePage::kWindows1252, "a\xC3z", "a?z", 1},
      {CodePage::kWindows1252, "ab\xC3", "ab?", 1},  // cut short at the end
      {CodePage::kWindows1250, std::string("a\0b", 3), std::string("a\0b", 3), 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.utf8);
    std::size_t replaced = 99;
    EXPECT_EQ(ToCodePage(c.utf8, c.page, &replaced), c.bytes);
    EXPECT_EQ(replaced, c.replaced);
  }
}

TEST(CodepageTest, UndefinedBytesDecodeToReplacementCharacter) {
  std::size_t replaced = 0;
  EXPECT_EQ(FromCodePage("a\x81z", CodePage::kWindows1252, &replaced), "a\xEF\xBF\xBDz");
  EXPECT_EQ(replaced, 1u);
  EXPECT_EQ(FromCodePage("\x98", CodePage::kWindows1250, &replaced), "\xEF\xBF\xBD");
  EXPECT_EQ(replaced, 1u);
}

TEST(CodepageTest, LongTextsConvertWhole) {
  std::string utf8;
  std::string bytes;
  for (int i = 0; i < 5000; ++i) {
    utf8 += "č";
    bytes += '\xE8';
  }
  utf8 += "END";
  bytes += "END";
  EXPECT_EQ(ToCodePage(utf8, CodePage::kWindows1250), bytes);
  EXPECT_EQ(FromCodePage(bytes, CodePage::kWindows1250), utf8);
}

}  // namespace
