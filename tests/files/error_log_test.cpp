#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "files/ErrorLog.h"
#include "support/TempFolder.h"

namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::tm At(int day, int month, int year, int hour, int minute, int second) {
  std::tm t{};
  t.tm_mday = day;
  t.tm_mon = month - 1;
  t.tm_year = year - 1900;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  return t;
}

TEST(ErrorLogTest, LineFormat) {
  struct Case {
    std::tm when;
    const char* message;
    CodePage page;
    const char* line;
  };
  const Case cases[] = {
      {At(3, 2, 2026, 14, 5, 9), "Access violation", CodePage::kWindows1252,
       "<LOG TIME=3.2.2026 14:5:9 VTXLOG1_v83: Access violation>"},
      {At(31, 12, 2025, 0, 0, 0), "Chyba čtení!", CodePage::kWindows1250,
       "<LOG TIME=31.12.2025 0:0:0 VTXLOG1_v83: Chyba \xE8ten\xED!>"},
      // One line per error, whatever the message holds.
      {At(1, 1, 2026, 23, 59, 59), "first\r\nsecond\nthird", CodePage::kWindows1252,
       "<LOG TIME=1.1.2026 23:59:59 VTXLOG1_v83: first  second third>"},
  };
  for (const Case& c : cases) EXPECT_EQ(ErrorLogLine(c.when, c.message, c.page), c.line) << c.message;
}

TEST(ErrorLogTest, AppendsLinesAndRotatesAtOneMebibyte) {
  testsupport::TempFolder dir;
  const std::string log = dir / "state/ventrix/IGN.err";
  ASSERT_TRUE(AppendErrorLog(log, "<one>"));
  ASSERT_TRUE(AppendErrorLog(log, "<two>"));  // same second, second line
  EXPECT_EQ(Slurp(log), "<one>\r\n<two>\r\n");

  std::filesystem::resize_file(log, 1024 * 1024 - 1);
  ASSERT_TRUE(AppendErrorLog(log, "<three>"));
  EXPECT_EQ(std::filesystem::file_size(log), 1024u * 1024 + 8);
  ASSERT_TRUE(AppendErrorLog(log, "<four>"));  // the log reached 1 MiB: a new one
  EXPECT_EQ(Slurp(log), "<four>\r\n");
  EXPECT_EQ(std::filesystem::file_size(log + ".1"), 1024u * 1024 + 8);

  EXPECT_FALSE(AppendErrorLog(dir / "state/ventrix/IGN.err/not-a-folder", "<x>"));
}

TEST(ErrorLogTest, DebugOutputIsCutTo255Bytes) {
  EXPECT_EQ(DebugOutputText(std::string(300, 'x'), CodePage::kWindows1252), std::string(255, 'x'));
  EXPECT_EQ(DebugOutputText("Chyba čtení!", CodePage::kWindows1250), "Chyba \xE8ten\xED!");
}

}  // namespace
