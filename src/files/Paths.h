#pragma once

#include <string>
#include <string_view>

// Where Ventrix keeps its files. The settings and the service-mode marker are
// configuration ($XDG_CONFIG_HOME), the image carried between runs and the
// error log are state ($XDG_STATE_HOME), and the file the "exe-dir" commands
// open and save lives in $XDG_DATA_HOME, because the folder of an installed
// program is read-only.
struct AppPaths {
  std::string configDir;          // $XDG_CONFIG_HOME/ventrix
  std::string stateDir;           // $XDG_STATE_HOME/ventrix
  std::string dataDir;            // $XDG_DATA_HOME/ventrix
  std::string settingsFile;       // configDir/Ventrix_2007_v83.ini
  std::string serviceMarkerFile;  // configDir/test_ovalis.txt
  std::string imageStateFile;     // stateDir/_Ventrix_2007_v83.ini
  std::string monitorSetFile;     // the image state file's path followed by "EMON.cem"
  std::string errorLogFile;       // stateDir/IGN.err
  std::string exeDirFile;         // dataDir/data.ign
  std::string logsDir;            // dataDir/logs: live-data recordings
};

// The paths below three base folders (no trailing slash needed).
AppPaths MakeAppPaths(std::string_view configHome, std::string_view stateHome, std::string_view dataHome);

// The paths from $XDG_CONFIG_HOME, $XDG_STATE_HOME and $XDG_DATA_HOME. A
// variable that is unset, empty or relative is ignored, as the XDG base
// directory rules ask, and $HOME/.config, $HOME/.local/state and
// $HOME/.local/share are taken instead. Creates nothing.
AppPaths AppPathsFromEnvironment();

// Creates `dir` and any missing parents with mode 0700 (existing folders keep
// their mode). False with the reason in `error` when it is not there after.
bool EnsureDirectory(const std::string& dir, std::string* error = nullptr);
// EnsureDirectory for the folder that holds `file`.
bool EnsureParentDirectory(const std::string& file, std::string* error = nullptr);
