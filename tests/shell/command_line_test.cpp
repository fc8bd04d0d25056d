#include <gtest/gtest.h>

#include <filesystem>

#include "shell/CommandLine.h"

namespace {

using Action = CommandLine::Action;

TEST(CommandLine, OurOptionsAreTakenAndTheRestPassesOnInOrder) {
  struct Case {
    std::vector<std::string> args;
    Action action;
    bool demo;
    std::vector<std::string> passOn;
  };
  const Case cases[] = {
      {{}, Action::Run, false, {}},
      {{"CESKY", "--demo"}, Action::Run, true, {"CESKY"}},
      // Qt's own single-dash options go to the application untouched.
      {{"--demo", "-platform", "offscreen", "DEUTSCH"}, Action::Run, true, {"-platform", "offscreen", "DEUTSCH"}},
      {{"--", "--demo"}, Action::Run, false, {"--demo"}},
      {{"--version", "--help"}, Action::Help, false, {}},
      {{"-h"}, Action::Help, false, {}},
      {{"--version"}, Action::Version, false, {}},
      {{"--demo", "--port=3", "--help"}, Action::Error, true, {}},
  };
  for (const Case& c : cases) {
    const CommandLine cl = ParseCommandLine(c.args);
    std::string what;
    for (const auto& a : c.args) what += a + " ";
    EXPECT_EQ(cl.action, c.action) << what;
    EXPECT_EQ(cl.demo, c.demo) << what;
    EXPECT_EQ(cl.passOn, c.passOn) << what;
  }
  EXPECT_EQ(ParseCommandLine({"--port=3"}).error, "unknown option '--port=3'");
}

TEST(CommandLine, UsageNamesTheLanguageWords) {
  const std::string usage = UsageText("ventrix");
  for (const char* word : {"ENGLISH", "DEUTSCH", "FRENCH", "CESKY"}) EXPECT_NE(usage.find(word), std::string::npos);
}

}  // namespace

TEST(CommandLine, ServiceCommandsTakeTheirOperandsAndNothingElse) {
  struct Case {
    std::vector<std::string> args;
    Action action;
    std::string service;
    std::vector<std::string> operands;
  };
  const Case cases[] = {
      {{"--write-defaults", "out"}, Action::Service, "--write-defaults", {"out"}},
      {{"--compare-defaults", "new", "old"}, Action::Service, "--compare-defaults", {"new", "old"}},
      {{"--import-old-maps", "a.txt", "base.ign", "out.ign"},
       Action::Service,
       "--import-old-maps",
       {"a.txt", "base.ign", "out.ign"}},
      {{"--save-map-percent", "in.ign", "out.txt"}, Action::Service, "--save-map-percent", {"in.ign", "out.txt"}},
      // A missing operand must not take the next option for one.
      {{"--save-map-percent", "in.ign"}, Action::Error, "--save-map-percent", {"in.ign"}},
      {{"--compare-defaults", "new", "--demo"}, Action::Error, "--compare-defaults", {"new"}},
      // Taken out before the language rule: a word left over is an error, not a language.
      {{"--write-defaults", "out", "CESKY"}, Action::Error, "--write-defaults", {"out"}},
      {{"--write-defaults", "a", "--write-defaults", "b"}, Action::Error, "--write-defaults", {"a"}},
      {{"--write-defaults", "out", "--help"}, Action::Help, "--write-defaults", {"out"}},
  };
  for (const Case& c : cases) {
    const CommandLine cl = ParseCommandLine(c.args);
    std::string what;
    for (const auto& a : c.args) what += a + " ";
    EXPECT_EQ(cl.action, c.action) << what;
    EXPECT_EQ(cl.service, c.service) << what;
    EXPECT_EQ(cl.serviceOperands, c.operands) << what;
    if (c.action == Action::Error) {
      EXPECT_FALSE(cl.error.empty()) << what;
    }
  }
  const std::string usage = UsageText("ventrix");
  for (const char* line :
       {"ventrix --write-defaults DIR\n", "ventrix --compare-defaults NEWDIR OLDDIR\n",
        "ventrix --import-old-maps OLDFILE BASE.ign OUT.ign\n", "ventrix --save-map-percent IN.ign OUT\n"})
    EXPECT_NE(usage.find(line), std::string::npos) << line;
}

// The language word rule stays: only a first word that is a language word is
// the language; a path is a path, whatever it looks like.
TEST(CommandLine, StartFileFollowsTheLanguageWord) {
  struct Case {
    std::vector<std::string> args;
    std::string file;
    bool error;
  };
  const Case cases[] = {
      {{}, "", false},
      {{"CESKY"}, "", false},
      {{"tune.ign"}, "tune.ign", false},
      {{"DEUTSCH", "My tune ě.ign"}, "My tune ě.ign", false},
      {{"./ENGLISH"}, "./ENGLISH", false},
      {{"english"}, "english", false},  // the words are matched exactly
      {{"a.ign", "b.ign"}, "", true},
      {{"FRENCH", "a.ign", "CESKY"}, "", true},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_EQ(StartFile(c.args, error), c.file) << ::testing::PrintToString(c.args);
    EXPECT_EQ(!error.empty(), c.error) << ::testing::PrintToString(c.args);
  }

  const std::pair<const char*, const char*> paths[] = {
      {"tune.ign", "/home/j/tunes/tune.ign"},
      {"./sub/../My tune.ign", "/home/j/tunes/My tune.ign"},
      {"../Zündung č.ign", "/home/j/Zündung č.ign"},
      {"/abs/x.ign", "/abs/x.ign"},
  };
  for (const auto& [given, absolute] : paths) EXPECT_EQ(AbsoluteStartPath(given, "/home/j/tunes"), absolute);

  const auto dir = std::filesystem::temp_directory_path();
  EXPECT_NE(StartFileRefusal(dir.string()).find("is a directory"), std::string::npos);
  EXPECT_EQ(StartFileRefusal((dir / "ventrix-no-such-file.ign").string()), "") << "missing: left to Open";
}
