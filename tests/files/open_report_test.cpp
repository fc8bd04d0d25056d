// The message for a configuration file that cannot be opened as it is: the
// file named, each problem on a line of its own (a few, then how many more),
// the tune said to be unchanged, and the offer to take what was read only
// when something was.

#include <gtest/gtest.h>

#include <string>

#include "files/ConfigFile.h"
#include "files/OpenReport.h"

namespace {

ConfigReadResult Read(const std::string& file) { return ReadConfigFile(file, {}); }

// Eight sections, each cut by a word where its second value belongs.
std::string ManyCutSections() {
  std::string file = "CORVALIS_KEY 83\r\n";
  for (const char* keyword : {"LIMITER", "RPM", "INPUTS", "ADVANCE_MISC", "IAP_MISC", "CHOKE", "INJ_CORR", "GEAR"})
    file += std::string(keyword) + " 1 oops\r\n";
  return file;
}

TEST(OpenReportTest, WhatTheTunerIsToldPerKindOfFile) {
  const std::string path = "/home/rider/tunes/R1.ign";
  const std::string unchanged = "Your tune has not been changed.";
  const struct {
    const char* name;
    std::string file;
    std::string text;  // empty: the file opens
    bool canOpenAnyway;
  } cases[] = {
      {"a whole file", "CORVALIS_KEY 83\r\nDWELL 3500\r\n", "", false},
      {"an older whole file: the reader's notice, as before", "CORVALIS_KEY 82\r\nDWELL 3500\r\n", "", false},
      {"cut in a section", "CORVALIS_KEY 83\r\n\r\nDWELL 3500\r\nADVANCE 1 2 3",
       path + " could not be read completely:\n\nsection ADVANCE incomplete, line 4: the file ends here\n\n" +
           unchanged + " Open what could be read anyway? Undo takes it back.",
       true},
      {"an older file cut: its notice in the same message", "CORVALIS_KEY 82\r\nDWELL",
       path + " could not be read completely:\n\nsection DWELL incomplete, line 2: the file ends here\n\n" +
           "Older version of *.ign file!\n\nSome parameters won't be changed or will be set to default value.\n"
           "They are parameters which are not in older version or have another structure.\n\n" +
           unchanged + " Open what could be read anyway? Undo takes it back.",
       true},
      {"many problems: five listed", ManyCutSections(),
       path +
           " could not be read completely:\n\n"
           "section LIMITER incomplete, line 2: \"oops\" is not a number\n"
           "section RPM incomplete, line 3: \"oops\" is not a number\n"
           "section INPUTS incomplete, line 4: \"oops\" is not a number\n"
           "section ADVANCE_MISC incomplete, line 5: \"oops\" is not a number\n"
           "section IAP_MISC incomplete, line 6: \"oops\" is not a number\n"
           "and 3 more\n\n" +
           unchanged + " Open what could be read anyway? Undo takes it back.",
       true},
      // A section cut by its own keyword, again and again, then by a word:
      // each problem once, told apart by what cut it.
      {"one line, three problems", "CORVALIS_KEY 83\r\nCHOKE 1 CHOKE 2 CHOKE 3 A_BAR\r\n",
       path +
           " could not be read completely:\n\n"
           "section CHOKE incomplete, line 2: \"CHOKE\" is not a number\n"
           "section CHOKE incomplete, line 2: \"A_BAR\" is not a number\n\n" +
           unchanged + " Open what could be read anyway? Undo takes it back.",
       true},
      {"no key at all",
       "\x7F"
       "ELF\x02\x01 garbage\r\nDWELL 3500\r\n",
       path + " is not a Ventrix tune file.\n\n" + unchanged, false},
      {"a key of an unknown version", "CORVALIS_KEY 90\r\nDWELL 3500\r\n",
       path + "\n\nUnmatched version of *.ign file!\n\n" + unchanged, false},
  };
  for (const auto& c : cases) {
    const OpenReport report = ReportFileProblems(Read(c.file), path, 0);
    EXPECT_EQ(report.text, c.text) << c.name;
    EXPECT_EQ(report.canOpenAnyway, c.canOpenAnyway) << c.name;
  }
}

TEST(OpenReportTest, InEveryLanguage) {
  const ConfigReadResult cut = Read("CORVALIS_KEY 83\r\nDWELL");
  const ConfigReadResult none = Read("garbage");
  const struct {
    int language;
    const char* cutStart;
    const char* question;
    const char* notTune;
  } texts[] = {
      {0, "t.ign could not be read completely:", "Open what could be read anyway?",
       "t.ign is not a Ventrix tune file."},
      {1, "t.ign konnte nicht vollständig gelesen werden:", "Trotzdem öffnen, was gelesen werden konnte?",
       "t.ign ist keine Ventrix-Abstimmungsdatei."},
      {2, "t.ign n'a pas pu être lu entièrement :", "Ouvrir quand même ce qui a pu être lu ?",
       "t.ign n'est pas un fichier de réglage Ventrix."},
      {3, "t.ign se nepodařilo přečíst celý:", "Přesto otevřít, co se podařilo přečíst?",
       "t.ign není soubor nastavení Ventrix."},
  };
  for (const auto& t : texts) {
    const std::string text = ReportFileProblems(cut, "t.ign", t.language).text;
    EXPECT_TRUE(text.starts_with(t.cutStart)) << text;
    EXPECT_NE(text.find(t.question), std::string::npos) << text;
    EXPECT_TRUE(ReportFileProblems(none, "t.ign", t.language).text.starts_with(t.notTune)) << t.language;
  }
}

}  // namespace
