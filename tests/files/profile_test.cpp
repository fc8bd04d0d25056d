#include "files/Profile.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>

#include "support/TextMutator.h"

namespace {

const char kSample[] =
    "; written by hand\r\n"
    "Stray=before any section\r\n"
    "[Other]\r\n"
    "Left=1\r\n"
    "[basic]\r\n"
    "  left = 17  \r\n"
    "LEFT=99\r\n"
    "File=\"/home/u/my tune.ign\"\n"
    "Quoted=' padded '\r\n"
    "Empty=\r\n"
    "NoEquals\r\n"
    "Unknown->Key=keep me\r\n"
    "\r\n"
    "[BASIC]\r\n"
    "Top=5\r\n";

TEST(ProfileTest, FindsValuesTheWayWindowsProfilesRead) {
  const CProfile ini(kSample);
  struct Case {
    const char* section;
    const char* key;
    std::optional<std::string> value;
  };
  const Case cases[] = {
      {"BASIC", "Left", "17"},                       // names without letter case, first duplicate wins
      {"Basic", "lEfT", "17"},                       //
      {"Other", "Left", "1"},                        // the same key in another section
      {"BASIC", "File", "/home/u/my tune.ign"},      // LF line end, quotes stripped
      {"BASIC", "Quoted", " padded "},               // single quotes too, inner blanks kept
      {"BASIC", "Empty", ""},                        //
      {"BASIC", "NoEquals", std::nullopt},           // a line without "=" is no key
      {"BASIC", "Unknown->Key", "keep me"},          // "->" is an ordinary key character
      {"BASIC", "Top", std::nullopt},                // only the first section of a name counts
      {"BASIC", "Stray", std::nullopt},              // lines before the first section belong to none
      {"Missing", "Left", std::nullopt},             //
      {"BASIC", "; written by hand", std::nullopt},  //
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ini.Find(c.section, c.key), c.value) << c.section << " " << c.key;
  }
  EXPECT_EQ(ini.GetString("BASIC", "Missing", "dflt"), "dflt");
  EXPECT_EQ(ini.GetString("BASIC", "Empty", "dflt"), "");
}

TEST(ProfileTest, IntegersReadLikeGetPrivateProfileInt) {
  struct Case {
    const char* value;  // nullptr: key absent
    int expected;
  };
  const Case cases[] = {
      {nullptr, -7},  // absent: the fallback
      {"", -7},       // empty: the fallback too
      {"\"\"", -7},   //
      {"12", 12},
      {" -8 ", -8},
      {"+5", 5},
      {"12abc", 12},
      {"abc", 0},  // present but no number: 0, not the fallback
      {"-", 0},
      {"\"7\"", 7},
      {"0012", 12},
      {"99999999999", INT_MAX},   // saturates instead of wrapping into range
      {"-99999999999", INT_MIN},  //
      {"2147483647", INT_MAX},    //
      {"-2147483648", INT_MIN},   //
  };
  for (const Case& c : cases) {
    const std::string text = c.value ? std::string("[S]\nK=") + c.value + "\n" : "[S]\n";
    EXPECT_EQ(CProfile(text).GetInt("S", "k", -7), c.expected) << text;
  }
}

TEST(ProfileTest, RewriteKeepsEveryOtherLineAndWritesCrLf) {
  CProfile ini(
      "# top comment\n"
      "[BASIC]\n"
      "left=1\n"
      "Custom=x\n"
      "\n"
      "[Next]\n"
      "A=1");
  ini.SetInt("BASIC", "Left", -20);     // replaced, the file's spelling of the key kept
  ini.SetString("basic", "File", "f");  // added after the section's last entry
  ini.SetString("New", "K", "v");       // a new section at the end
  ini.SetString("Next", "A", "2");
  EXPECT_EQ(ini.Text(),
            "# top comment\r\n"
            "[BASIC]\r\n"
            "left=-20\r\n"
            "Custom=x\r\n"
            "File=f\r\n"
            "\r\n"
            "[Next]\r\n"
            "A=2\r\n"
            "\r\n"
            "[New]\r\n"
            "K=v\r\n");
  EXPECT_EQ(CProfile().Text(), "");
  CProfile fresh;
  fresh.SetInt("BASIC", "Top", 3);
  EXPECT_EQ(fresh.Text(), "[BASIC]\r\nTop=3\r\n");
}

TEST(ProfileTest, AWrittenValueReadsBackExactly) {
  const char* values[] = {"plain",   " lead",           "trail ",         "\t", "\"q\"",
                          "'x'",     "\"half",          "a=b=c",          "",   "\"",
                          "[BASIC]", "; not a comment", "/p/ä ö/\xE8\xFF"};
  for (const char* value : values) {
    CProfile ini("[BASIC]\r\nK=old\r\n");
    ASSERT_TRUE(ini.SetString("BASIC", "K", value));
    EXPECT_EQ(CProfile(ini.Text()).Find("BASIC", "K"), value) << value;
  }
}

TEST(ProfileTest, AValueWithALineBreakIsRefused) {
  // "x\nComPort=9" would otherwise add a key of its own to the file.
  for (const char* value : {"x\nComPort=9", "x\r", "\r\n"}) {
    CProfile ini("[BASIC]\r\nK=old\r\n");
    EXPECT_FALSE(ini.SetString("BASIC", "K", value));
    EXPECT_EQ(ini.Text(), "[BASIC]\r\nK=old\r\n");
  }
}

TEST(ProfileTest, AByteOrderMarkDoesNotHideTheFirstSection) {
  CProfile ini("\xEF\xBB\xBF[BASIC]\nLeft=4\n");
  EXPECT_EQ(ini.GetInt("BASIC", "Left", 0), 4);
  EXPECT_EQ(ini.Text(), "\xEF\xBB\xBF[BASIC]\r\nLeft=4\r\n");
}

// Seeded random mutations of a settings file: no crash, the text is stable
// after one rewrite, and a stored value always reads back.
TEST(ProfileTest, RandomMutationsKeepTheReaderSound) {
  const std::string seed =
      "[BASIC]\r\nLeft=10\r\nTop=-3\r\nFile=\"/a b/c.ign\"\r\nMenuHistory02=/x.ign\r\n\r\n[Other]\r\nK=v\r\n";
  testsupport::TextMutator mutate(20260203, "[]=;#\"' \t\r\n\xEF\xBB\xBF-+0123456789abcBASICLeft");
  for (int round = 0; round < 3000; ++round) {
    const std::string text = mutate(seed);
    CProfile ini(text);
    const std::string once = ini.Text();
    ASSERT_EQ(CProfile(once).Text(), once) << text;
    (void)ini.GetInt("basic", "left", 0);
    const std::string value = text.substr(mutate.Pick(text.size()), mutate.Pick(10));
    const bool stored = ini.SetString("BASIC", "Left", value);
    ASSERT_EQ(stored, value.find_first_of("\r\n") == std::string::npos);
    if (stored) {
      ASSERT_EQ(CProfile(ini.Text()).Find("BASIC", "Left"), value) << text;
    }
  }
}

}  // namespace
