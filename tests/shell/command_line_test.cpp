#include <gtest/gtest.h>

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
