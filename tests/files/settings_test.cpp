#include "files/Settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "files/Paths.h"
#include "files/Profile.h"
#include "support/TempFolder.h"
#include "support/TextMutator.h"

namespace {

namespace fs = std::filesystem;

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void Spit(const std::string& path, const std::string& bytes) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

// Points the XDG variables at a temporary folder for one test and puts
// them back afterwards.
class XdgFolders {
 public:
  XdgFolders() {
    for (const char* name : kNames) {
      const char* value = std::getenv(name);
      m_saved.push_back(value ? std::optional<std::string>(value) : std::nullopt);
    }
    ::setenv("XDG_CONFIG_HOME", (m_root / "config").c_str(), 1);
    ::setenv("XDG_STATE_HOME", (m_root / "state").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (m_root / "data").c_str(), 1);
  }
  ~XdgFolders() {
    for (std::size_t i = 0; i < m_saved.size(); ++i) {
      if (m_saved[i]) {
        ::setenv(kNames[i], m_saved[i]->c_str(), 1);
      } else {
        ::unsetenv(kNames[i]);
      }
    }
  }
  std::string operator/(const std::string& name) const { return m_root / name; }

 private:
  static constexpr const char* kNames[] = {"XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_DATA_HOME", "HOME"};
  testsupport::TempFolder m_root;
  std::vector<std::optional<std::string>> m_saved;
};

// The window as FormCreate leaves it before the settings: centred at its
// design size on a 1920 x 1200 screen.
constexpr ScreenRect kScreen{0, 0, 1920, 1200};
constexpr ScreenRect kCentred{287, 54, 1346, 1092};

SettingsState StartState() {
  SettingsState s;
  s.window = kCentred;
  s.portIndex = 1;  // FormCreate's value before the settings
  s.activePage = 0;
  s.extMonitorDetailed = true;  // the check box's design state
  for (std::size_t i = 0; i < s.image.size(); ++i) s.image[i] = static_cast<std::uint8_t>(i % 7);
  return s;
}

SettingsState Loaded(const std::string& iniText, std::span<const ScreenRect> monitors = {&kScreen, 1}) {
  SettingsState s = StartState();
  ApplySettings(CProfile(iniText), monitors, s);
  return s;
}

TEST(PathsTest, XdgFoldersOrTheirDefaultsBelowHome) {
  XdgFolders xdg;
  ::setenv("HOME", "/home/rider", 1);
  AppPaths p = AppPathsFromEnvironment();
  EXPECT_EQ(p.settingsFile, xdg / "config/ventrix/Ventrix_2007_v83.ini");
  EXPECT_EQ(p.serviceMarkerFile, xdg / "config/ventrix/test_ovalis.txt");
  EXPECT_EQ(p.imageStateFile, xdg / "state/ventrix/_Ventrix_2007_v83.ini");
  EXPECT_EQ(p.monitorSetFile, xdg / "state/ventrix/_Ventrix_2007_v83.iniEMON.cem");
  EXPECT_EQ(p.errorLogFile, xdg / "state/ventrix/IGN.err");
  EXPECT_EQ(p.exeDirFile, xdg / "data/ventrix/data.ign");
  EXPECT_EQ(p.logsDir, xdg / "data/ventrix/logs");

  // Relative or empty variables are ignored, as the XDG rules ask.
  ::setenv("XDG_CONFIG_HOME", "relative/cfg", 1);
  ::setenv("XDG_STATE_HOME", "", 1);
  ::unsetenv("XDG_DATA_HOME");
  p = AppPathsFromEnvironment();
  EXPECT_EQ(p.settingsFile, "/home/rider/.config/ventrix/Ventrix_2007_v83.ini");
  EXPECT_EQ(p.errorLogFile, "/home/rider/.local/state/ventrix/IGN.err");
  EXPECT_EQ(p.exeDirFile, "/home/rider/.local/share/ventrix/data.ign");
}

TEST(PathsTest, MissingFoldersAreCreatedPrivate) {
  XdgFolders xdg;
  const std::string dir = xdg / "state/deep/ventrix";
  std::string error;
  ASSERT_TRUE(EnsureParentDirectory(dir + "/IGN.err", &error)) << error;
  for (const std::string& d : {xdg / "state", xdg / "state/deep", dir}) {
    struct stat st {};
    ASSERT_EQ(::stat(d.c_str(), &st), 0) << d;
    EXPECT_EQ(st.st_mode & 0777, 0700u) << d;
  }
  EXPECT_TRUE(EnsureDirectory(dir));  // already there
  Spit(xdg / "file", "x");
  EXPECT_FALSE(EnsureDirectory(xdg / "file/sub", &error));
  EXPECT_NE(error.find("file"), std::string::npos) << error;
}

TEST(SettingsTest, FirstStartKeepsTheCentredWindowCom1EnglishAndTheImage) {
  XdgFolders xdg;
  const AppPaths paths = AppPathsFromEnvironment();
  SettingsState s = StartState();
  LoadSettings(paths, {&kScreen, 1}, s);
  const SettingsState start = StartState();
  EXPECT_EQ(s.window, kCentred);
  EXPECT_EQ(s.portIndex, 0);  // "Com 1"
  EXPECT_EQ(s.autoPortIndex, 0);
  EXPECT_EQ(s.language, 0);
  EXPECT_EQ(s.fileName, "");
  EXPECT_EQ(s.recent.count, 0);
  EXPECT_EQ(s.activePage, 0);
  EXPECT_TRUE(s.extMonitorDetailed);
  EXPECT_FALSE(s.monitorWindowVisible);
  EXPECT_EQ(s.image, start.image);
  EXPECT_FALSE(LoadServiceMode(paths));
  EXPECT_FALSE(fs::exists(xdg / "config")) << "reading creates nothing";
}

TEST(SettingsTest, WindowFitsOntoTheMonitors) {
  const std::vector<ScreenRect> twoMonitors = {{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};
  struct Case {
    const char* why;
    ScreenRect window;
    std::vector<ScreenRect> monitors;
    ScreenRect expected;
  };
  const Case cases[] = {
      {"fits on the second monitor: unchanged", {2000, 100, 1000, 900}, twoMonitors, {2000, 100, 1000, 900}},
      {"fits exactly", {0, 0, 1920, 1080}, twoMonitors, {0, 0, 1920, 1080}},
      {"monitor gone: back onto the nearest", {4000, 100, 1000, 800}, twoMonitors, {2200, 100, 1000, 800}},
      {"off to the upper left", {-3000, -2000, 800, 600}, twoMonitors, {0, 0, 800, 600}},
      {"straddling: the monitor it passes least", {1800, 50, 1000, 700}, twoMonitors, {1920, 50, 1000, 700}},
      {"too big: moved, then cut", {-50, -30, 2500, 1300}, {{0, 0, 1920, 1080}}, {0, 0, 1920, 1080}},
      {"equal overflow: the first monitor",
       {0, 100, 100, 100},
       {{0, 0, 100, 100}, {0, 200, 100, 100}},
       {0, 0, 100, 100}},
      {"no monitors: unchanged", {-9999, -9999, 10, 10}, {}, {-9999, -9999, 10, 10}},
      // A hand-edited file may hold any int: left + width must not overflow.
      {"extreme values", {INT_MAX - 10, INT_MIN + 5, 1346, 1092}, {{0, 0, 1920, 1080}}, {574, 0, 1346, 1080}},
  };
  for (const Case& c : cases) {
    const ScreenRect r = FitToMonitors(c.window, c.monitors);
    EXPECT_EQ(r, c.expected) << c.why << ": " << r.left << "," << r.top << " " << r.width << "x" << r.height;
  }
}

TEST(SettingsTest, AWindowOnAMissingMonitorComesBackFromTheFile) {
  const SettingsState s = Loaded("[BASIC]\r\nLeft=5000\r\nTop=300\r\nWidth=1000\r\nHeight=700\r\n");
  EXPECT_EQ(s.window, (ScreenRect{920, 300, 1000, 700}));
}

TEST(SettingsTest, ValuesAreCheckedBeforeNarrowing) {
  struct Case {
    const char* ini;
    int (*field)(const SettingsState&);
    int expected;
  };
  auto port = [](const SettingsState& s) { return int{s.portIndex}; };
  auto autoPort = [](const SettingsState& s) { return int{s.autoPortIndex}; };
  auto language = [](const SettingsState& s) { return s.language; };
  auto height = [](const SettingsState& s) { return s.window.height; };
  auto width = [](const SettingsState& s) { return s.window.width; };
  const Case cases[] = {
      {"ComPort=5", port, 4},      {"ComPort=21", port, 20},  // "Com Auto"
      {"ComPort=0", port, 0},      {"ComPort=300", port, 0},  // not 300 - 1 mod 256
      {"ComPort=-255", port, 0},   {"ComPort=22", port, 0},
      {"ComPort=abc", port, 0},    {"ComPortAuto=3", autoPort, 2},
      {"", autoPort, 0},           {"ComPortAuto=257", autoPort, 0},
      {"Language=3", language, 3}, {"Language=1", language, 1},
      {"Language=2", language, 0},  // French is never brought back
      {"Language=7", language, 0}, {"Language=-1", language, 0},
      {"Height=800", height, 800}, {"Height=0", height, 1092},
      {"Height=-5", height, 1092}, {"Width=-1", width, 1346},
      {"Width=0", width, 1346},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.field(Loaded(std::string("[BASIC]\r\n") + c.ini + "\r\n")), c.expected) << c.ini;
  }
}

TEST(SettingsTest, PageIndexFoldsPageAndShownMap) {
  struct Case {
    int folded;
    int page;
    int map;
  };
  // Injection is page 2 with maps 0..5, Servo page 6 with maps 0..1.
  const Case cases[] = {{0, 0, -1},  {1, 1, -1}, {2, 2, 0},  {6, 2, 4},   {7, 2, 5},   {8, 3, -1},
                        {10, 5, -1}, {11, 6, 0}, {12, 6, 1}, {13, 7, -1}, {19, 13, -1}};
  for (const Case& c : cases) {
    const UnfoldedPage u = UnfoldPageIndex(c.folded);
    EXPECT_EQ(u.page, c.page) << c.folded;
    EXPECT_EQ(u.map, c.map) << c.folded;
  }
  for (int folded = 0; folded <= 19; ++folded) {
    const UnfoldedPage u = UnfoldPageIndex(folded);
    EXPECT_EQ(FoldPageIndex(u.page, u.page == 2 ? u.map : 3, u.page == 6 ? u.map : 1), folded);
  }
  EXPECT_EQ(FoldPageIndex(2, 9, 0), 7) << "a map out of range stays on its page";
  EXPECT_EQ(FoldPageIndex(6, 0, -4), 11);
}

TEST(SettingsTest, PageIndexFromTheFile) {
  struct Case {
    const char* value;
    int page;
    int injectionMap;
    int servoMap;
  };
  // StartState shows page 0; the Injection page map 0 and the Servo page map 0.
  const Case cases[] = {
      {"6", 2, 4, 0},                                      // Injection page, JET_B map
      {"12", 6, 0, 1},                                     // Servo page, exhaust map
      {"9", 4, 0, 0},  {"19", 13, 0, 0}, {"25", 0, 0, 0},  // out of range: the page already shown
      {"-1", 0, 0, 0},
  };
  for (const Case& c : cases) {
    const SettingsState s = Loaded(std::string("[BASIC]\r\nPageControl1->ActivePageIndex=") + c.value + "\r\n");
    EXPECT_EQ(s.activePage, c.page) << c.value;
    EXPECT_EQ(s.injectionMap, c.injectionMap) << c.value;
    EXPECT_EQ(s.servoMap, c.servoMap) << c.value;
  }
}

TEST(SettingsTest, RecentCountFollowsTheHighestEntryInUse) {
  SettingsState s = Loaded("[BASIC]\r\nMenuHistory02=/t/c.ign\r\n");
  EXPECT_EQ(s.recent.count, 3);
  EXPECT_EQ(s.recent.paths[0], "");
  EXPECT_EQ(s.recent.paths[1], "");
  EXPECT_EQ(s.recent.paths[2], "/t/c.ign");
  s = Loaded("[BASIC]\r\nmenuhistory09=/t/j.ign\r\nMenuHistory2=/not/two/digits\r\nMenuHistory10=/no\r\n");
  EXPECT_EQ(s.recent.count, 10);
  EXPECT_EQ(s.recent.paths[2], "");
}

RecentFiles ListOf(std::initializer_list<const char*> paths) {
  RecentFiles r;
  for (const char* p : paths) r.paths[static_cast<std::size_t>(r.count++)] = p;
  return r;
}

TEST(SettingsTest, AddRecentFileMovesInsertsAndDrops) {
  RecentFiles r = ListOf({"/a", "/b", "/c", "/d", "/e"});
  EXPECT_TRUE(AddRecentFile(r, "/d"));  // entry 3 -> 0, entries 0..2 shift down
  EXPECT_EQ(r.count, 5);
  EXPECT_EQ(r.paths, ListOf({"/d", "/a", "/b", "/c", "/e"}).paths);

  AddRecentFile(r, "/d");  // already entry 0
  EXPECT_EQ(r.paths, ListOf({"/d", "/a", "/b", "/c", "/e"}).paths);

  AddRecentFile(r, "/D");  // letter case makes another file
  EXPECT_EQ(r.count, 6);
  EXPECT_EQ(r.paths[0], "/D");
  EXPECT_EQ(r.paths[1], "/d");

  RecentFiles full;
  for (int i = 0; i <= 10; ++i) AddRecentFile(full, "/f" + std::to_string(i));
  EXPECT_EQ(full.count, 10);  // the eleventh file drops the oldest
  EXPECT_EQ(full.paths[0], "/f10");
  EXPECT_EQ(full.paths[9], "/f1");

  // Gaps read from the file are shifted like entries.
  RecentFiles gaps = ListOf({"", "", "/c"});
  AddRecentFile(gaps, "/n");
  EXPECT_EQ(gaps.paths, ListOf({"/n", "", "", "/c"}).paths);
}

TEST(SettingsTest, RecentPathsAreWholeAndSingleLine) {
  RecentFiles r = ListOf({"/a"});
  const std::string longPath = "/" + std::string(300, 'x') + ".ign";
  EXPECT_TRUE(AddRecentFile(r, longPath));
  EXPECT_EQ(r.paths[0], longPath) << "no 255-byte cut";
  for (const char* bad : {"/tmp/a\nMenuHistory05=/evil.ign", "/x\r", ""}) {
    EXPECT_FALSE(AddRecentFile(r, bad));
  }
  EXPECT_EQ(r.count, 2);
  EXPECT_EQ(r.paths[0], longPath);
}

TEST(SettingsTest, RecentCaptions) {
  struct Case {
    int entry;
    std::string path;
    std::string caption;
  };
  const std::string e125(125 * 2, 'x');
  std::string accented;
  for (int i = 0; i < 200; ++i) accented += "\xC3\xA9";  // é
  std::string accented125;
  for (int i = 0; i < 125; ++i) accented125 += "\xC3\xA9";
  const Case cases[] = {
      {1, "/home/u/tunes/race.v2.ign", "1 race.v2"},
      {2, "/home/u/tunes/no_extension", "2 no_extension"},
      {3, "/home/u/dir.d/name", "3 name"},
      {4, "C:\\tunes\\R&D.ign", "4 R&D"},  // "&" is left for the menu to escape
      {5, "plain.IGN", "5 plain"},
      {6, "/home/u/back\\slash.ign", "6 back\\slash"},  // "\" is a name character here
      {7, "/home/u/.ign", "7 "},
      {8, "/t/" + accented + ".ign", "8 " + accented125},  // 127 characters, not bytes
  };
  for (const Case& c : cases) EXPECT_EQ(RecentFileCaption(c.entry, c.path), c.caption) << c.path;
}

SettingsState EverythingChanged() {
  SettingsState s = StartState();
  s.window = {100, 80, 900, 700};
  s.portIndex = 20;
  s.autoPortIndex = 6;
  s.language = 3;
  s.fileName = "/home/u/tunes/My Tune.ign";
  s.iniDir = " /home/u/odd dir ";  // blanks at both ends survive
  s.activePage = 6;
  s.servoMap = 1;
  s.injectionInMs = true;
  s.extMonitorDetailed = false;
  s.monitorWindowVisible = true;
  for (int i = 0; i < 10; ++i) AddRecentFile(s.recent, "/home/u/t" + std::to_string(i) + ".ign");
  for (std::size_t i = 0; i < s.image.size(); ++i) s.image[i] = static_cast<std::uint8_t>(i * 37 + 11);
  for (std::size_t i = 0; i < kReservedStateSize; ++i) s.reserved[i] = static_cast<std::uint8_t>(250 + i);
  return s;
}

TEST(SettingsTest, SaveThenLoadRestoresEveryField) {
  XdgFolders xdg;
  const AppPaths paths = AppPathsFromEnvironment();
  const SettingsState saved = EverythingChanged();
  ASSERT_EQ(SaveSettings(paths, saved), std::vector<std::string>{});

  SettingsState s = StartState();
  LoadSettings(paths, {&kScreen, 1}, s);
  EXPECT_EQ(s.window, saved.window);
  EXPECT_EQ(s.portIndex, 20);
  EXPECT_EQ(s.autoPortIndex, 6);
  EXPECT_EQ(s.language, 3);
  EXPECT_EQ(s.fileName, saved.fileName);
  EXPECT_EQ(s.iniDir, saved.iniDir);
  EXPECT_EQ(s.activePage, 6);
  EXPECT_EQ(s.servoMap, 1);
  EXPECT_TRUE(s.injectionInMs);
  EXPECT_FALSE(s.extMonitorDetailed);
  EXPECT_TRUE(s.monitorWindowVisible);
  EXPECT_EQ(s.recent.count, 10);
  EXPECT_EQ(s.recent.paths, saved.recent.paths);
  EXPECT_EQ(s.image, saved.image);
  EXPECT_EQ(s.reserved, saved.reserved);

  // The keys as they are written, restated.
  const std::string ini = Slurp(paths.settingsFile);
  for (const char* line :
       {"[BASIC]\r\n", "\r\nLeft=100\r\n", "\r\nTop=80\r\n", "\r\nHeight=700\r\n", "\r\nWidth=900\r\n",
        "\r\nComPort=21\r\n", "\r\nComPortAuto=7\r\n", "\r\nLanguage=3\r\n", "\r\nFile=/home/u/tunes/My Tune.ign\r\n",
        "\r\nIniDir=\" /home/u/odd dir \"\r\n", "\r\nPageControl1->ActivePageIndex=12\r\n",
        "\r\nCheckBoxZobrMs_Uni->Checked=1\r\n", "\r\nCheckBoxExtMonitor->Checked=0\r\n", "\r\nFormEM->Visible=1\r\n",
        "\r\nMenuHistory00=/home/u/t9.ign\r\n", "\r\nMenuHistory09=/home/u/t0.ign\r\n"}) {
    EXPECT_NE(ini.find(line), std::string::npos) << line;
  }
  struct stat st {};
  ASSERT_EQ(::stat((xdg / "state/ventrix").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(SettingsTest, SaveKeepsOtherLinesAndHistoryKeysAboveTheCount) {
  XdgFolders xdg;
  const AppPaths paths = AppPathsFromEnvironment();
  Spit(paths.settingsFile, "; mine\n[BASIC]\nleft=1\nMenuHistory05=/old/five.ign\nFavourite=yes\n[Other]\nX=1\n");
  SettingsState s = StartState();
  s.recent = ListOf({"/new/zero.ign"});
  ASSERT_EQ(SaveSettings(paths, s), std::vector<std::string>{});
  const CProfile ini(Slurp(paths.settingsFile));
  EXPECT_EQ(ini.GetString("BASIC", "MenuHistory00", "-"), "/new/zero.ign");
  EXPECT_EQ(ini.GetString("BASIC", "MenuHistory01", "-"), "-");
  EXPECT_EQ(ini.GetString("BASIC", "MenuHistory05", "-"), "/old/five.ign");
  EXPECT_EQ(ini.GetString("BASIC", "Favourite", "-"), "yes");
  EXPECT_EQ(ini.GetString("Other", "X", "-"), "1");
  EXPECT_EQ(ini.GetInt("BASIC", "Left", 0), kCentred.left);
  EXPECT_EQ(Slurp(paths.settingsFile).rfind("; mine\r\n[BASIC]\r\nleft=287\r\n", 0), 0u);
}

// Options of our own live in a section of their own, so the original
// program reading the file finds "BASIC" as it always was.
TEST(SettingsTest, AutoRecordIsKeptInASectionOfOurOwn) {
  XdgFolders xdg;
  const AppPaths paths = AppPathsFromEnvironment();
  for (const bool on : {true, false}) {
    SettingsState saved = StartState();
    saved.autoRecord = on;
    ASSERT_EQ(SaveSettings(paths, saved), std::vector<std::string>{});
    SettingsState fresh = StartState();
    fresh.autoRecord = !on;
    LoadSettings(paths, {&kScreen, 1}, fresh);
    EXPECT_EQ(fresh.autoRecord, on);

    const std::string ini = Slurp(paths.settingsFile);
    EXPECT_NE(ini.find(on ? "\r\n[Ventrix]\r\nAutoRecord=1\r\n" : "\r\n[Ventrix]\r\nAutoRecord=0\r\n"),
              std::string::npos)
        << ini;
    EXPECT_LT(ini.find("[BASIC]"), ini.find("[Ventrix]"));
    EXPECT_FALSE(CProfile(ini).Find("BASIC", "AutoRecord").has_value());
  }
}

TEST(SettingsTest, AFileNameWithALineBreakIsNotWrittenIntoTheFile) {
  SettingsState s = StartState();
  s.fileName = "/tmp/a\nComPort=9";
  CProfile ini("[BASIC]\r\nFile=/previous.ign\r\n");
  StoreSettings(s, ini);
  EXPECT_EQ(ini.GetString("BASIC", "File", "-"), "");
  EXPECT_EQ(ini.GetInt("BASIC", "ComPort", 0), 2);
}

TEST(SettingsTest, SaveReportsWhatItCouldNotWrite) {
  XdgFolders xdg;
  Spit(xdg / "state", "a file where the state folder should be");
  const std::vector<std::string> errors = SaveSettings(AppPathsFromEnvironment(), StartState());
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find(xdg / "state"), std::string::npos) << errors[0];
  EXPECT_TRUE(fs::exists(xdg / "config/ventrix/Ventrix_2007_v83.ini")) << "the settings file is still written";
}

TEST(ImageStateTest, TextLayout) {
  ConfigImage image{};
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i);
  ReservedStateBytes reserved{};
  for (std::size_t i = 0; i < reserved.size(); ++i) reserved[i] = static_cast<std::uint8_t>(i + 1);
  const std::string text = ImageStateText(image, reserved);
  // "%5u " per number, a line break after every 10th, an empty line after
  // every 100th image byte; the reserved bytes end the file without one.
  EXPECT_EQ(text.substr(0, 62), "    0     1     2     3     4     5     6     7     8     9 \r\n");
  const std::size_t hundred = 10 * 62;
  EXPECT_EQ(text.substr(hundred - 14, 16), "   98    99 \r\n\r\n");
  EXPECT_EQ(text.substr(hundred + 2, 60), "  100   101   102   103   104   105   106   107   108   109 ");
  EXPECT_EQ(text.substr(text.size() - 84 - 8),
            "   33 \r\n"  // byte 2849 (2849 mod 256)
            "    1     2     3     4     5     6     7     8     9    10    11    12    13    14 ");
  EXPECT_EQ(text.size(), 2864u * 6 + 285 * 2 + 28 * 2);
}

TEST(ImageStateTest, RoundTripOfEveryByteIncludingTheNote) {
  ConfigImage image{};
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 37 + 11);
  // The note (bytes 2730..2849) in Windows-1250, with 0 and 255 in it.
  const std::string note = "Tune for \xE8\xED\xF9 \xFF\x01 end";
  for (std::size_t i = 0; i < 120; ++i) image[2730 + i] = i < note.size() ? static_cast<std::uint8_t>(note[i]) : 0;
  ReservedStateBytes reserved{255, 0, 1, 128, 127, 9, 10, 13, 32, 200, 201, 202, 203, 254};

  ConfigImage readImage{};
  readImage.fill(0xAA);
  ReservedStateBytes readReserved{};
  ReadImageState(ImageStateText(image, reserved), readImage, readReserved);
  EXPECT_EQ(readImage, image);
  EXPECT_EQ(readReserved, reserved);
}

TEST(ImageStateTest, ShortAndOddFiles) {
  struct Case {
    const char* text;
    std::vector<int> firstBytes;  // the image's first bytes after reading; the rest stay 7
  };
  const Case cases[] = {
      {"", {7, 7}},
      {"1 2\n3", {1, 2, 3, 7}},                         // a short file stops early
      {"256 1000 -1 -5 +4", {0, 232, 255, 251, 4, 7}},  // modulo 256, signs as "%u" takes them
      {"12345678901234567890 9", {210, 9, 7}},          // too long for any integer
      {"5 x 6", {5, 7, 7}},                             // no number: the rest stays
      {"5 - 6", {5, 7, 7}},                             //
      {"\t5\r\n\r\n6\v7", {5, 6, 7, 7}},
      {"12abc 4", {12, 7}},
  };
  for (const Case& c : cases) {
    ConfigImage image{};
    image.fill(7);
    ReservedStateBytes reserved{};
    reserved.fill(9);
    ReadImageState(c.text, image, reserved);
    for (std::size_t i = 0; i < c.firstBytes.size(); ++i) EXPECT_EQ(image[i], c.firstBytes[i]) << c.text << " @" << i;
    EXPECT_EQ(image.back(), 7) << c.text;
    EXPECT_EQ(reserved[0], 9) << c.text;
  }
  // Numbers past the image go to the reserved bytes, and no further.
  std::string text;
  for (int i = 0; i < 2850 + 20; ++i) text += std::to_string(i % 256) + " ";
  ConfigImage image{};
  ReservedStateBytes reserved{};
  ReadImageState(text, image, reserved);
  EXPECT_EQ(image[2849], 2849 % 256);
  EXPECT_EQ(reserved[0], 2850 % 256);
  EXPECT_EQ(reserved[13], 2863 % 256);
}

TEST(SettingsTest, ServiceModeMarker) {
  struct Case {
    const char* text;
    bool on;
  };
  const Case cases[] = {
      {"MODE_ACCESS", true},
      {"service\r\nother words MODE_ACCESS more\r\n", true},
      {"\tMODE_ACCESS\f", true},
      {"mode_access", false},  // exact case
      {"MODE_ACCESSX MODE_ACCES", false},
      {"xMODE_ACCESS", false},
      {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(ServiceModeFromText(c.text), c.on) << c.text;

  XdgFolders xdg;
  const AppPaths paths = AppPathsFromEnvironment();
  EXPECT_FALSE(LoadServiceMode(paths));
  Spit(paths.serviceMarkerFile, "line one\nMODE_ACCESS\n");
  EXPECT_TRUE(LoadServiceMode(paths));
}

// Seeded random mutations of a written settings file and state file: no
// crash, and whatever the files say, the state stays in its ranges.
TEST(SettingsTest, RandomMutationsOfBothFilesKeepTheStateInRange) {
  CProfile saved;
  const SettingsState changed = EverythingChanged();
  StoreSettings(changed, saved);
  const std::string iniSeed = saved.Text();
  const std::string stateSeed = ImageStateText(changed.image, changed.reserved);
  const std::vector<ScreenRect> monitors = {{0, 0, 1920, 1080}, {-1280, 0, 1280, 1024}};
  testsupport::TextMutator mutate(83, "[]=;\"' \t\r\n-+0123456789BASICLeftTopComPortMenuHistory0");
  for (int round = 0; round < 2000; ++round) {
    SettingsState s = StartState();
    ApplySettings(CProfile(mutate(iniSeed)), monitors, s);
    ASSERT_LE(s.portIndex, 20);
    ASSERT_LE(s.autoPortIndex, 20);
    ASSERT_TRUE(s.language == 0 || s.language == 1 || s.language == 3);
    ASSERT_GE(s.activePage, 0);
    ASSERT_LE(s.activePage, 13);
    ASSERT_TRUE(s.injectionMap >= 0 && s.injectionMap <= 5 && s.servoMap >= 0 && s.servoMap <= 1);
    ASSERT_TRUE(s.recent.count >= 0 && s.recent.count <= 10);
    ASSERT_GT(s.window.width, 0);
    ASSERT_GT(s.window.height, 0);
    bool onAMonitor = false;
    for (const ScreenRect& m : monitors) {
      onAMonitor |= s.window.left >= m.left && s.window.top >= m.top &&
                    s.window.left + s.window.width <= m.left + m.width &&
                    s.window.top + s.window.height <= m.top + m.height;
    }
    ASSERT_TRUE(onAMonitor) << s.window.left << "," << s.window.top << " " << s.window.width << "x" << s.window.height;
    CProfile rewritten;
    StoreSettings(s, rewritten);
    ReadImageState(mutate(stateSeed), s.image, s.reserved);
  }
}

}  // namespace
