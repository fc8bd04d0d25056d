#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/OutsideFile.h"
#include "files/AtomicFile.h"
#include "files/ServiceTools.h"
#include "link/LiveLog.h"
#include "monitor/MonitorSetFile.h"
#include "support/TempFolder.h"

namespace {

using testsupport::TempFolder;

TEST(OutsideFile, TheExtensionDecidesTheKindWhateverItsCase) {
  struct Case {
    const char* path;
    OutsideFileKind kind;
    bool droppable;
  };
  const Case cases[] = {
      {"/t/tune.ign", OutsideFileKind::kConfig, true},
      {"/t/TUNE.IGN", OutsideFileKind::kConfig, true},
      {"/t/set.cem", OutsideFileKind::kMonitorSet, true},
      {"/t/Set.CEM", OutsideFileKind::kMonitorSet, true},
      {"/t/ride.vxlog", OutsideFileKind::kLiveLog, true},
      {"/t/ride.VXLOG", OutsideFileKind::kLiveLog, true},
      // Anything else is read as a tune, as the command line always did.
      {"/t/tune", OutsideFileKind::kConfig, false},
      {"/t/notes.txt", OutsideFileKind::kConfig, false},
      {"/t/set.cem.txt", OutsideFileKind::kConfig, false},
      {".cem", OutsideFileKind::kConfig, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(KindOfOutsideFile(c.path), c.kind) << c.path;
    EXPECT_EQ(IsOutsideFileName(c.path), c.droppable) << c.path;
  }
}

// A file of the wrong kind, or none at all, is refused before it reaches a
// running window; a file the window would open with warnings is not.
TEST(OutsideFile, ProblemsNameTheFileAndWhy) {
  TempFolder dir;
  ASSERT_TRUE(dir.IsValid());
  std::string log;
  LiveLogHeader header;
  header.programVersion = "test";
  AppendLiveLogHeader(log, header);
  std::string cutLog = log + std::string(1, char(kLogRecordFrame)) + "\x10";  // a record cut short
  const std::string tune = DefaultConfigFile(11);
  struct Case {
    const char* name;
    std::string bytes;       // empty name of a folder: made as a folder
    const char* problemHas;  // empty: no problem
  };
  const Case cases[] = {
      {"good.ign", tune, ""},
      {"good named oddly", tune, ""},
      {"damaged.ign", tune.substr(0, tune.size() / 2), ""},
      {"set.cem", WriteMonitorSet(MonitorSet{}), ""},
      {"ride.vxlog", log, ""},
      {"cut.vxlog", cutLog, ""},
      {"empty.ign", "", "not a tune"},
      {"set.ign", WriteMonitorSet(MonitorSet{}), "not a tune"},
      {"tune.cem", tune, "not a monitor set"},
      {"empty.cem", "", "not a monitor set"},
      {"tune.vxlog", tune, "not a live-data log"},
      {"empty.vxlog", "", "not a live-data log"},
  };
  for (const Case& c : cases) {
    const std::string path = dir / c.name;
    ASSERT_TRUE(WriteFileAtomic(path, c.bytes).ok);
    const std::string problem = OutsideFileProblem(path);
    if (*c.problemHas == 0) {
      EXPECT_EQ(problem, "") << c.name;
    } else {
      EXPECT_NE(problem.find(c.problemHas), std::string::npos) << c.name << ": " << problem;
      EXPECT_TRUE(problem.starts_with(path)) << problem;
    }
  }
  for (const char* name : {"missing.ign", "missing.cem", "missing.vxlog"}) {
    const std::string problem = OutsideFileProblem(dir / name);
    EXPECT_NE(problem.find("No such file or directory"), std::string::npos) << name << ": " << problem;
    EXPECT_TRUE(problem.starts_with(dir / name)) << problem;
  }
  std::filesystem::create_directory(dir / "folder.ign");
  EXPECT_NE(OutsideFileProblem(dir / "folder.ign").find("is a directory"), std::string::npos);
}

}  // namespace
