#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "files/AtomicFile.h"
#include "image/BikeDefaults.h"
#include "image/BikeTables.h"
#include "image/ConfigImage.h"

class CTabModel;
class IReferenceTables;

// The service tools of the people who keep the default configurations: a
// default file for every bike type, its comparison with an older set, the
// import of older map files and the export of the injection maps in percent.
// They never touch the window's image: each works on an image it is given or
// builds, with sheet models of its own.

// Folders under the current directory, and the report in the new one.
inline constexpr const char* kNewDefaultsFolder = "new_ign";
inline constexpr const char* kOldDefaultsFolder = "new_ign_old";
inline constexpr const char* kCompareReportName = "compare_all_new.txt";

// "<list text>.ign", trailing blanks of the list text kept.
std::string DefaultFileName(int type);

// The configuration file of a bike type's defaults, as Save writes it after
// New: defaults over a cleared image, through the pages' and sheets' store,
// within the value limits. It never carries the unit's identification.
std::string DefaultConfigFile(int type);

struct SaveAllNewResult {
  FileResult folder;                 // not ok: the folder could not be made and nothing was written
  std::vector<FileResult> failures;  // files that could not be written; the others were
};
// Writes the 64 default files into `folder` (created when missing).
SaveAllNewResult SaveAllNew(const std::string& folder);

// The report entries for one pair of files: every differing line but the
// EXE line, the old line blanked where it equals the new one; lines past the
// shorter file against an empty line.
std::string CompareDefaultFiles(std::string_view oldBytes, std::string_view newBytes);
// The whole report over the 64 pairs, new files in `newFolder`, old in `oldFolder`.
std::string CompareAllNewReport(const std::string& newFolder, const std::string& oldFolder);
// Writes the report into `newFolder`; `reportPath` is where it went.
FileResult CompareAllNew(const std::string& newFolder, const std::string& oldFolder, std::string& reportPath);

// Percentages of an older map file as injection words: (p × base + 50) div
// 1000, held at 65535 (a wrapped word would be a short injection).
std::uint16_t PercentToWord(std::int64_t percent, std::int64_t base);
// A cell in percent of its base, rounded; 0 for a cell without base.
std::int64_t PercentOfBase(std::int64_t absolute, std::int64_t base);

// The injection sheets as the window would show `image`: loaded from it,
// with the base tables of the bike type in image byte 0.
void LoadInjectionSheets(const ConfigImage& image, CTabModel& injection, const IReferenceTables& tables);

struct OldMapsRun {
  bool keyTooOld = false;  // a key below 35: only the fixed values went in
  bool converted = false;  // percentage maps became injection times
  int sections = 0;        // sections of the file that went into the image
};
// One pass of an older map file over `image`. Percentage maps convert with
// the per-cell bases `injection` has at its axis points; those are the
// sheets as they were before the pass, hence the second run of OpenOldMaps.
OldMapsRun ImportOldMaps(std::string_view bytes, ConfigImage& image, CTabModel& injection, const DefaultsScope& scope,
                         const IReferenceTables& tables);
// Both runs of "Open Old Maps": the second converts with the sheets rebuilt
// from the axes the first one imported.
OldMapsRun OpenOldMaps(std::string_view bytes, ConfigImage& image, const DefaultsScope& scope,
                       const IReferenceTables& tables = CBikeReferenceTables{});

// The "Save Map %" file: maps 1-4 and the IAP map in percent of their bases.
std::string WritePercentMaps(const ConfigImage& image, const CTabModel& injection);
std::string WritePercentMaps(const ConfigImage& image, const IReferenceTables& tables = CBikeReferenceTables{});

// What a save does to the image before writing: every page and sheet
// loaded from it and stored back, then the value limits.
void SettleImage(ConfigImage& image, const IReferenceTables& tables = CBikeReferenceTables{});
