#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "files/AtomicFile.h"
#include "files/ConfigFile.h"
#include "files/ServiceTools.h"
#include "image/BikeDefaults.h"
#include "image/BikeTypes.h"
#include "image/MapCatalogue.h"
#include "image/Normalise.h"
#include "image/Pages.h"
#include "image/ParamSet.h"
#include "image/ReferenceTables.h"
#include "sheet/TabModel.h"
#include "support/TempFolder.h"

namespace {

using testsupport::TempFolder;

std::uint16_t Word(const ConfigImage& image, std::size_t offset) {
  return static_cast<std::uint16_t>(image[offset] | image[offset + 1] << 8);
}

ConfigImage DefaultsOf(int type) {
  ConfigImage image{};
  image[0] = static_cast<std::uint8_t>(type);
  const auto params = std::make_unique<CParamSet>();
  ApplyBikeDefaults(image, *params, kWholeImage);
  return image;
}

// What Save writes after New: the defaults within the value limits (a few
// bikes leave the axes of maps 2-4 at 0, which the limits raise).
ConfigImage SavedDefaultsOf(int type) {
  ConfigImage image = DefaultsOf(type);
  NormaliseImage(image);
  return image;
}

std::string Slurp(const std::string& path) {
  std::string bytes;
  ReadWholeFile(path, bytes);
  return bytes;
}

void Put(const std::string& path, const std::string& bytes) { ASSERT_TRUE(WriteFileAtomic(path, bytes).ok) << path; }

// ---------------------------------------------------------------------------
// Save All New

TEST(SaveAllNew, WritesTheDefaultsOfEveryBikeUnderItsListText) {
  TempFolder temp;
  const std::string folder = temp / "new_ign";  // made by the tool
  const SaveAllNewResult result = SaveAllNew(folder);
  ASSERT_TRUE(result.folder.ok) << result.folder.error;
  EXPECT_TRUE(result.failures.empty());

  std::size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) files += entry.is_regular_file() ? 1 : 0;
  EXPECT_EQ(files, 64u);  // the separator entry gets none
  // Trailing and inner blanks of the list text are part of the name.
  EXPECT_TRUE(std::filesystem::exists(folder + "/Honda CBR 1100 XX               .ign"));
  EXPECT_TRUE(std::filesystem::exists(folder + "/Kawasaki  ZX10 R               06- .ign"));

  for (int type = 0; type < kBikeTypeCount; ++type) {
    const std::string bytes = Slurp(folder + "/" + BikeOf(type)->text + ".ign");
    ASSERT_FALSE(bytes.empty()) << type;
    const ConfigReadResult read = ReadConfigFile(bytes, {});
    EXPECT_EQ(read.version, 83) << type;
    EXPECT_EQ(read.image, SavedDefaultsOf(type)) << "type " << type;
    // No unit was read into a scratch image: the build line only.
    EXPECT_EQ(bytes.find("\r\nHEX "), std::string::npos) << type;
  }
}

TEST(SaveAllNew, AFolderThatCannotBeMadeWritesNothing) {
  TempFolder temp;
  Put(temp / "new_ign", "a file where the folder should be");
  const SaveAllNewResult result = SaveAllNew(temp / "new_ign");
  EXPECT_FALSE(result.folder.ok);
  EXPECT_NE(result.folder.error.find("new_ign"), std::string::npos);
  EXPECT_TRUE(result.failures.empty());
}

// ---------------------------------------------------------------------------
// Compare All New

// Entries of the bike list, which the report follows: entry 1 is not type 1.
std::string ListText(int entry) { return BikeList()[static_cast<std::size_t>(entry)].text; }
std::string Header(int entry) {
  return "------------------------------------------------------   " + ListText(entry) + "\r\n";
}

TEST(CompareAllNew, ReportsAgainstExactBytes) {
  const std::string same = "CORVALIS_KEY    83 \r\n\r\nBIKE            12 \r\nEXE  Jan  1 2026   10:00:00\r\nMEMO";
  struct Case {
    const char* what;
    // Files of list entries 0 and 1, old and new; nullptr: missing. Every other entry has `same` on both sides.
    const char *old0, *new0, *old1, *new1;
    const char *after0, *after1;  // report lines after the headers of entries 0 and 1
  };
  const Case cases[] = {
      {"identical sets", same.c_str(), same.c_str(), same.c_str(), same.c_str(), "", ""},
      {"EXE lines always differ", "EXE  Jan  1 2026   10:00:00\r\nA", "EXE  Dec 10 2026   19:00:00\r\nA", same.c_str(),
       same.c_str(), "", ""},
      {"BIKE 12 against 13", "BIKE            12 \r\n", "BIKE            13 \r\n", same.c_str(), same.c_str(),
       "....line:1\r\n                 2 \r\nBIKE            13 \r\n", ""},
      {"missing old", nullptr, same.c_str(), same.c_str(), same.c_str(),
       "!!!!!!!!!soubor \"old\" se nepodarilo otevrit \r\n", ""},
      {"missing new, then a pair compared from line 1", "X\r\nY", nullptr, "A\r\nB", "Q\r\nB",
       "!!!!!!!!!!!soubor \"akt\" se nepodarilo otevrit !!!!!!!!!!!!!!!!\r\n", "....line:1\r\nA\r\nQ\r\n"},
      {"LF-only old files", "DWELL   300 \n  5\nMEMO\n", "DWELL   300 \r\n  5\r\nMEMO\r\n", same.c_str(), same.c_str(),
       "", ""},
      {"unequal line counts: the missing side is empty", "A\r\nB\r\nC", "A\r\nB", "A", "A\r\n\r\nD",
       "....line:3\r\nC\r\n\r\n", "....line:3\r\n\r\nD\r\n"},
  };
  for (const Case& c : cases) {
    TempFolder temp;
    const std::string newDir = temp / "new_ign", oldDir = temp / "new_ign_old";
    std::filesystem::create_directories(newDir);
    std::filesystem::create_directories(oldDir);
    for (int entry = 0; entry < 64; ++entry) {
      const char* oldText = entry == 0 ? c.old0 : entry == 1 ? c.old1 : same.c_str();
      const char* newText = entry == 0 ? c.new0 : entry == 1 ? c.new1 : same.c_str();
      if (oldText) Put(oldDir + "/" + ListText(entry) + ".ign", oldText);
      if (newText) Put(newDir + "/" + ListText(entry) + ".ign", newText);
    }
    std::string expected;
    for (int entry = 0; entry < 64; ++entry)
      expected += Header(entry) + (entry == 0 ? c.after0 : entry == 1 ? c.after1 : "");

    std::string reportPath;
    const FileResult written = CompareAllNew(newDir, oldDir, reportPath);
    ASSERT_TRUE(written.ok) << c.what << ": " << written.error;
    EXPECT_EQ(reportPath, newDir + "/compare_all_new.txt") << c.what;
    EXPECT_EQ(Slurp(reportPath), expected) << c.what;
  }
}

TEST(CompareAllNew, AReportThatCannotBeWrittenIsAFailure) {
  TempFolder temp;
  std::string reportPath;
  const FileResult written = CompareAllNew(temp / "no_such_folder", temp.Path(), reportPath);
  EXPECT_FALSE(written.ok);
  EXPECT_FALSE(std::filesystem::exists(reportPath));
}

// ---------------------------------------------------------------------------
// Old map files and the percent export

// Reference tables of one bike for every bike: base = 1000 × the speed
// point's byte on every row when linear, else a constant.
class FakeTables : public IReferenceTables {
 public:
  explicit FakeTables(bool linear) {
    m_values = linear ? std::vector<std::int32_t>{0, 2500, 0, 2500} : std::vector<std::int32_t>{30, 30, 30, 30};
    const ReferenceTable t{m_speeds, m_rows, m_values};
    m_reference = {t, t, t};
  }
  const InjectionReference* Find(int) const override { return &m_reference; }

 private:
  std::array<std::int32_t, 2> m_speeds{0, 25000};  // rpm
  std::array<std::int32_t, 2> m_rows{0, 1000};     // 0.1 % or 0.1 kPa
  std::vector<std::int32_t> m_values;              // 10 µs
  InjectionReference m_reference;
};

std::string Values(int count, const std::function<int(int)>& value) {
  std::ostringstream out;
  for (int i = 0; i < count; ++i) out << value(i) << (i % 15 == 14 ? "\n" : " ");
  return out.str();
}
std::string Section(const std::string& keyword, int count, const std::function<int(int)>& value) {
  return keyword + " " + Values(count, value) + "\n";
}

constexpr std::size_t kJet1 = 750, kJet2 = 1050, kJet3 = 1350, kJet4 = 1650, kIapMap = 2100;
constexpr std::size_t kAxis1 = 480, kAxis2 = 495, kAxis3 = 510, kAxis4 = 525;

TEST(OpenOldMaps, HundredPercentAtBase3000IsWord300AndSaveMapPercentWrites100) {
  const FakeTables tables(false);  // base 30 × 100 = 3000 everywhere
  ConfigImage image = DefaultsOf(11);
  const std::string file = "CORVALIS_KEY 60\n" + Section("JET_14A", 150, [](int) { return 100; }) +
                           Section("JET_23A", 150, [](int) { return 356; }) +  // 356 mod 256 = 100
                           Section("JET_IAP", 150, [](int i) { return i == 0 ? 200 : 100; });
  const OldMapsRun run = OpenOldMaps(file, image, kWholeImage, tables);
  EXPECT_TRUE(run.converted);
  for (std::size_t map : {kJet1, kJet2, kJet3, kJet4}) EXPECT_EQ(Word(image, map + 2 * 77), 300) << map;
  EXPECT_EQ(Word(image, kIapMap), 600);
  EXPECT_EQ(Word(image, kIapMap + 2), 300);

  const std::string percent = WritePercentMaps(image, tables);
  const std::size_t jet1 = percent.find("\r\nJET_1A       ");
  ASSERT_NE(jet1, std::string::npos);
  EXPECT_EQ(percent.substr(jet1 + 15, 12), "  100   100 ");  // not 10: the sheet holds word × 10
  const std::size_t iap = percent.find("\r\nIAP          ");
  ASSERT_NE(iap, std::string::npos);
  EXPECT_EQ(percent.substr(iap + 15, 12), "  200   100 ");
}

TEST(OpenOldMaps, ConvertedWordsAndPercentagesFollowTheRules) {
  struct Case {
    std::int64_t percent, base, word;
  };
  const Case cases[] = {
      {100, 3000, 300}, {1, 950, 1},           {1, 949, 0},
      {0, 5000, 0},     {255, 3000000, 65535},  // 765000 would wrap to a short injection
  };
  for (const Case& c : cases) EXPECT_EQ(PercentToWord(c.percent, c.base), c.word) << c.percent << " of " << c.base;
  struct Back {
    std::int64_t absolute, base, percent;
  };
  const Back backs[] = {{3000, 3000, 100}, {300, 3000, 10}, {1499, 3000, 50}, {1500, 1000, 150}, {1234, 0, 0}};
  for (const Back& b : backs) EXPECT_EQ(PercentOfBase(b.absolute, b.base), b.percent) << b.absolute << "/" << b.base;
}

TEST(OpenOldMaps, AKeyBelow35ImportsOnlyTheFixedValues) {
  const FakeTables tables(false);
  const ConfigImage before = DefaultsOf(11);
  ConfigImage image = before;
  const std::string file = "CORVALIS_KEY 34\n" + Section("IGN", 150, [](int) { return 7; }) +
                           Section("JET_14A", 150, [](int) { return 50; });
  const OldMapsRun run = OpenOldMaps(file, image, kWholeImage, tables);
  EXPECT_TRUE(run.keyTooOld);
  EXPECT_FALSE(run.converted);
  ConfigImage expected = before;
  for (std::size_t b : {41, 42, 43, 44, 52, 53, 54, 55}) expected[b] = 100;
  const int iapAxis[] = {30, 50, 60, 70, 75, 80, 85, 90, 95, 100};
  for (std::size_t i = 0; i < 10; ++i) {
    expected[384 + 2 * i] = static_cast<std::uint8_t>(iapAxis[i]);
    expected[385 + 2 * i] = 0;
  }
  EXPECT_EQ(image, expected);
}

// What went in is counted, so a file with no map of its kind (an empty one,
// a note only) is told apart from an import.
TEST(OpenOldMaps, CountsTheSectionsThatWentIn) {
  const FakeTables tables(false);
  struct Case {
    std::string file;
    int sections;
  };
  const Case cases[] = {
      {"", 0},
      {"CORVALIS_KEY 40\nMEMO\nIGN 1 2 3\n", 0},
      {"NOT_A_SECTION 1 2 3\n", 0},
      {"CORVALIS_KEY 40\n" + Section("IGN", 150, [](int) { return 7; }), 1},
      {Section("IGN", 150, [](int) { return 7; }) + Section("JET_14A", 150, [](int) { return 50; }), 2},
  };
  for (const Case& c : cases) {
    ConfigImage image = DefaultsOf(11);
    EXPECT_EQ(OpenOldMaps(c.file, image, kWholeImage, tables).sections, c.sections) << c.file.substr(0, 40);
  }
}

TEST(OpenOldMaps, ACurrentFormatFileIsNotConverted) {
  const FakeTables tables(false);
  ConfigImage image = DefaultsOf(11);
  std::string file = "CORVALIS_KEY 83\n" + Section("JET_14A", 150, [](int) { return 100; });
  for (const char* map : {"JET_1A", "JET_2A", "JET_3A", "JET_4A"})
    file += Section(map, 150, [](int i) { return 1000 + i; });
  const OldMapsRun run = OpenOldMaps(file, image, kWholeImage, tables);
  EXPECT_FALSE(run.converted);
  for (std::size_t map : {kJet1, kJet2, kJet3, kJet4}) {
    EXPECT_EQ(Word(image, map), 1000) << map;
    EXPECT_EQ(Word(image, map + 2 * 149), 1149) << map;
  }
}

TEST(OpenOldMaps, TheOlderSectionsGoWhereTheirLayoutSays) {
  const FakeTables tables(false);
  ConfigImage image = DefaultsOf(11);
  const std::string file = "CORVALIS_KEY 60\n" + Section("RPM_JET_14A", 15, [](int i) { return 1000 * (i + 2); }) +
                           Section("RPM_JET_23A", 15, [](int i) { return 1000 * (i + 3); }) +
                           // The reference byte comes last here, first in the current format.
                           "POSITION_A " + Values(15, [](int i) { return 500 * (i + 1); }) +
                           Values(15, [](int i) { return 5 * i; }) + " 7\n";
  OpenOldMaps(file, image, kWholeImage, tables);
  for (std::size_t c = 0; c < 15; ++c) {
    EXPECT_EQ(image[kAxis1 + c], 10 * (c + 2)) << c;
    EXPECT_EQ(image[kAxis4 + c], 10 * (c + 2)) << c;  // maps 1 and 4 share the axis
    EXPECT_EQ(image[kAxis2 + c], 10 * (c + 3)) << c;
    EXPECT_EQ(image[kAxis3 + c], 10 * (c + 3)) << c;
    EXPECT_EQ(image[405 + c], 5 * (c + 1)) << c;
    EXPECT_EQ(image[420 + c], c) << c;
  }
  EXPECT_EQ(image[56], 7);
}

TEST(OpenOldMaps, OnAPageReadTheCouplingByteStillApplies) {
  const FakeTables tables(false);
  ConfigImage image = DefaultsOf(11);
  image[47] = 0;
  const DefaultsScope injection1{false, kPageInjection, 0};
  const std::string file = "CORVALIS_KEY 60\nJET1_MISC 1 3 4 2000 3000\nIGN 9\n";
  OpenOldMaps(file, image, injection1, tables);
  EXPECT_EQ(image[47], 1);
  EXPECT_EQ(image[50], 20);
  EXPECT_EQ(image[600], DefaultsOf(11)[600]);  // the advance page is not the one shown
}

TEST(OpenOldMaps, TheSecondRunConvertsOnTheAxesTheFirstImported) {
  // Base = 1000 × the axis byte, so 100 % becomes word = 100 × axis byte.
  const FakeTables tables(true);
  const ConfigImage before = DefaultsOf(11);
  const std::string file = "CORVALIS_KEY 60\n" + Section("RPM_JET_14A", 15, [](int i) { return 1000 * (i + 2); }) +
                           Section("JET_14A", 150, [](int) { return 100; });

  ConfigImage once = before;
  CTabModel injection(Layout(SheetControlId::kInjection).options);
  DefineControl(SheetControlId::kInjection, injection, {});
  LoadInjectionSheets(once, injection, tables);
  ImportOldMaps(file, once, injection, kWholeImage, tables);

  ConfigImage twice = before;
  OpenOldMaps(file, twice, kWholeImage, tables);
  for (int c = 0; c < 15; ++c) {
    const std::size_t cell = kJet1 + 2 * (150 - 15 + static_cast<std::size_t>(c));  // last row
    EXPECT_EQ(Word(once, cell), 100 * before[kAxis1 + static_cast<std::size_t>(c)]) << c;
    EXPECT_EQ(Word(twice, cell), 100 * 10 * (c + 2)) << c;
  }
}

TEST(SaveMapPercent, TheLayoutIsExact) {
  const FakeTables tables(false);
  ConfigImage image = DefaultsOf(11);
  std::string file = "CORVALIS_KEY 60\n";
  for (const char* map : {"JET_14A", "JET_23A", "JET_IAP"}) file += Section(map, 150, [](int i) { return i % 15; });
  OpenOldMaps(file, image, kWholeImage, tables);

  std::string expected;
  const char* keys[][2] = {{"RPM_JET_1A   ", "JET_1A       "},
                           {"RPM_JET_2A   ", "JET_2A       "},
                           {"RPM_JET_3A   ", "JET_3A       "},
                           {"RPM_JET_4A   ", "JET_4A       "},
                           {"RPM_IAP      ", "IAP          "}};
  const std::size_t axes[] = {kAxis1, kAxis2, kAxis3, kAxis4, 555};
  for (std::size_t m = 0; m < 5; ++m) {
    expected += std::string("\r\n") + keys[m][0];
    for (std::size_t c = 0; c < 15; ++c) {
      char value[16];
      std::snprintf(value, sizeof value, "%5u ", image[axes[m] + c] * 100u);
      expected += value;
    }
    expected += std::string("\r\n") + keys[m][1];
    for (int row = 0; row < 10; ++row)
      expected +=
          "    0     1     2     3     4     5     6     7     8     9    10    11    12    13    14 \r\n"
          "             ";
  }
  EXPECT_EQ(WritePercentMaps(image, tables), expected);
}

}  // namespace
