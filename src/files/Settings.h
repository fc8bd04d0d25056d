#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "files/Paths.h"
#include "image/ConfigImage.h"

class CProfile;

// A window or monitor rectangle in screen pixels; the right edge is
// left + width, the bottom edge top + height.
struct ScreenRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const ScreenRect&) const = default;
};

// Brings a window back onto the monitors: the monitor it passes by the
// fewest pixels (summed over the four edges, first on ties) is chosen; on it
// a window that fits stays where it is, another is moved left and up until
// its right and bottom edges are inside, then right and down until its left
// and top edges are, and finally cut at the right and bottom. No monitors:
// unchanged.
ScreenRect FitToMonitors(const ScreenRect& window, std::span<const ScreenRect> monitors);

// The settings file keeps the open page and the map shown on the Injection
// and Servo pages in one number: 0..1 pages 0..1, 2..7 Injection with map
// 0..5, 8..10 pages 3..5, 11..12 Servo with map 0..1, 13..19 pages 7..13.
constexpr int kFoldedPageMax = 19;
int FoldPageIndex(int page, int injectionMap, int servoMap);
struct UnfoldedPage {
  int page;
  int map;  // the map to show on the Injection or Servo page; -1 on the others
};
// `folded` in 0..kFoldedPageMax.
UnfoldedPage UnfoldPageIndex(int folded);

// The recently used configuration files, entry 0 the latest. The File menu
// shows entries 1..count-1; entry 0 is the current file.
constexpr int kRecentFileMax = 10;
struct RecentFiles {
  std::array<std::string, kRecentFileMax> paths;
  int count = 0;
};
// Moves `path` to entry 0, or inserts it there, dropping entry 9 from a full
// list. Paths compare byte for byte (letter case counts) and are kept whole.
// An empty path, or one with a line break (which the settings file cannot
// hold), is not stored: false.
bool AddRecentFile(RecentFiles& recent, std::string_view path);
// The menu text of entry `entry`: its number, a blank and the file's name
// without the folder and without the extension, at most 127 characters. The
// name follows the last "/" (the last "\" in a path without "/"). "&" is not
// escaped: that is the menu's business.
std::string RecentFileCaption(int entry, std::string_view path);

// Image state file: the image and 14 bytes beside it. Nothing in the program
// uses the 14 bytes: they are zero until a state file is read and are
// written back as read, so a state file from another build keeps them.
constexpr std::size_t kReservedStateSize = 14;
using ReservedStateBytes = std::array<std::uint8_t, kReservedStateSize>;

// What the settings file and the image state file carry between runs. The
// window fills it with its current state before LoadSettings (those are the
// defaults of absent keys) and before SaveSettings, and takes it over after
// LoadSettings.
struct SettingsState {
  ScreenRect window;
  std::uint8_t portIndex = 0;      // 0..19 COM1..COM20, 20 automatic
  std::uint8_t autoPortIndex = 0;  // last automatic search's result
  int language = 0;
  std::string fileName;  // the current file (text slot 1)
  std::string iniDir;    // the file dialogs' last path
  int activePage = 0;
  int injectionMap = 0;               // map shown on the Injection page, 0..5
  int servoMap = 0;                   // map shown on the Servo page, 0..1
  bool injectionInMs = false;         // CheckBoxZobrMs_Uni
  bool extMonitorDetailed = false;    // CheckBoxExtMonitor
  bool monitorWindowVisible = false;  // "FormEM->Visible": open the monitor on the first tick
  bool autoRecord = false;            // record every connection (kept in a section of our own)
  RecentFiles recent;
  ConfigImage image{};
  ReservedStateBytes reserved{};
};

// Settings file contents -> state (everything but the image). A page index
// outside 0..19 or a size <= 0 leaves the state's value; a port outside
// 1..21 selects the first port, as an absent one does. The window is fitted
// to `monitors` (the screens' available areas).
void ApplySettings(const CProfile& ini, std::span<const ScreenRect> monitors, SettingsState& state);
// State -> settings file contents, keeping every other line of `ini`.
void StoreSettings(const SettingsState& state, CProfile& ini);

// Reads up to 2850 numbers into the image and then up to 14 into the
// reserved bytes, each modulo 256, stopping early at the end of the text or
// at anything that is no number; the bytes not reached keep their values.
void ReadImageState(std::string_view text, ConfigImage& image, ReservedStateBytes& reserved);
std::string ImageStateText(const ConfigImage& image, const ReservedStateBytes& reserved);

// Both files: missing or unreadable files leave the state as it was.
void LoadSettings(const AppPaths& paths, std::span<const ScreenRect> monitors, SettingsState& state);
// Writes the settings file (keeping its other lines) and the image state
// file, each atomically, creating their folders. Nothing is reported to the
// user; the failures come back as texts, one per file, for stderr.
std::vector<std::string> SaveSettings(const AppPaths& paths, const SettingsState& state);

// Service mode: the marker file holds the token "MODE_ACCESS" (exact case)
// among whitespace-separated tokens. A missing file: off.
bool ServiceModeFromText(std::string_view text);
bool LoadServiceMode(const AppPaths& paths);
