#include "files/ServiceTools.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <limits>
#include <memory>
#include <optional>
#include <system_error>

#include "files/ConfigFile.h"
#include "files/ConfigSections.h"
#include "files/ConfigTokens.h"
#include "image/BikeTypes.h"
#include "image/FieldCatalogue.h"
#include "image/InjectionCoupling.h"
#include "image/MapCatalogue.h"
#include "image/MapLoad.h"
#include "image/MapStorage.h"
#include "image/Normalise.h"
#include "image/Pages.h"
#include "image/ParamSet.h"
#include "sheet/TabModel.h"

namespace {

constexpr std::string_view kEol = "\r\n";  // as the configuration files end their lines
constexpr std::size_t kKeywordWidth = 13;
constexpr std::size_t kIndent = 13;  // blanks after a continuation break
constexpr int kMapColumns = 15;
constexpr int kMapCells = 150;

std::size_t At(int i) { return static_cast<std::size_t>(i); }
std::size_t Idx(int x, int y) { return At(y * kCellStride + x); }

// ---------------------------------------------------------------------------
// Scratch sheets: every sheet control of the window, defined once and
// loaded from whichever image a tool works on.

struct ScratchSheets {
  std::array<CTabModel, kSheetControlCount> models;
  MapControls controls;

  ScratchSheets() {
    for (const SheetControlLayout& l : SheetControlLayouts()) {
      models[Index(l.id)] = CTabModel(l.options);
      DefineControl(l.id, models[Index(l.id)], {});
      controls.controls[Index(l.id)] = &models[Index(l.id)];
    }
  }
};

void Settle(ConfigImage& image, ScratchSheets& sheets, CParamSet& params, const IReferenceTables& tables) {
  // Refreshed as the window shows it ...
  NormaliseImage(image);
  LoadParameterSet(image, params);
  MapLoadOptions options;
  options.afterInjectionLoad = [&](CTabModel& injection) {
    ApplyBaseTables(injection, tables, params.Value(FieldId::kBike));
  };
  LoadMapSheets(image, sheets.controls, options);
  // ... and stored back as a save stores it.
  StoreParameterSet(params, image);
  StoreMapSheets(sheets.controls, image);
  NormaliseImage(image);
}

std::string DefaultFile(int type, ScratchSheets& sheets, CParamSet& params, const IReferenceTables& tables) {
  ConfigImage image{};
  image[ElementOffset(FieldId::kBike)] = static_cast<std::uint8_t>(type);
  ApplyBikeDefaults(image, params, kWholeImage);
  Settle(image, sheets, params, tables);
  // A default file describes no unit: whatever was last read stays out.
  return WriteConfigFile(image, ConfigFileIdentity{});
}

std::string FileNameOf(const char* listText) { return std::string(listText) + ".ign"; }

std::string Join(const std::string& folder, const std::string& name) {
  return (std::filesystem::path(folder) / name).string();
}

// ---------------------------------------------------------------------------
// Compare All New

constexpr std::string_view kHeaderLine = "------------------------------------------------------   ";
constexpr std::string_view kOldMissing = "!!!!!!!!!soubor \"old\" se nepodarilo otevrit ";
constexpr std::string_view kNewMissing = "!!!!!!!!!!!soubor \"akt\" se nepodarilo otevrit !!!!!!!!!!!!!!!!";
constexpr std::string_view kLineEntry = "....line:";
// The build line of every file, different in every build.
constexpr std::string_view kBuildLine = "EXE";

// Lines without their CR LF or LF.
std::vector<std::string_view> Lines(std::string_view bytes) {
  std::vector<std::string_view> lines;
  while (!bytes.empty()) {
    const std::size_t eol = bytes.find('\n');
    std::string_view line = bytes.substr(0, eol);
    if (eol != std::string_view::npos && line.ends_with('\r')) line.remove_suffix(1);
    lines.push_back(line);
    if (eol == std::string_view::npos) break;
    bytes.remove_prefix(eol + 1);
  }
  return lines;
}

void AppendLine(std::string& out, std::string_view line) {
  out += line;
  out += kEol;
}

// ---------------------------------------------------------------------------
// Open Old Maps

constexpr int kOldestMapFileKey = 35;
constexpr std::uint8_t kFullCorrection = 100;

// The percentage maps an older file may hold, and the injection maps they become.
enum PercentMap : int { kPercentCyl1, kPercentCyl2, kPercentCyl3, kPercentCyl4, kPercentIap, kPercentMapCount };
constexpr MapId kPercentTargets[kPercentMapCount] = {MapId::kInjection1, MapId::kInjection2, MapId::kInjection3,
                                                     MapId::kInjection4, MapId::kInjectionIap};
constexpr int kPercentSheets[kPercentMapCount] = {0, 1, 2, 3, kInjectionIapSheet};
constexpr unsigned Maps(std::initializer_list<int> maps) {
  unsigned bits = 0;
  for (int m : maps) bits |= 1u << m;
  return bits;
}

enum class Conversion : std::uint8_t { kKeep, kSet, kClear };

constexpr ConfigItem Bytes(FieldId f, int scale = 1) {
  return {.kind = ItemKind::kByte,
          .offset = static_cast<std::uint16_t>(Field(f).offset),
          .count = static_cast<std::uint8_t>(Field(f).count),
          .scale = static_cast<std::int16_t>(scale)};
}
// The importer's own layouts: JET1_MISC stores the coupling byte on a page
// read too, and the positions put their reference byte last.
constexpr ConfigItem kOldJet1Misc[] = {Bytes(FieldId::kInjectionCoupling), Bytes(FieldId::kIapTpsMin),
                                       Bytes(FieldId::kIapTpsMax), Bytes(FieldId::kIapRpmMin, 100),
                                       Bytes(FieldId::kIapRpmMax, 100)};
constexpr ConfigItem kOldPositionA[] = {Bytes(FieldId::kPositionAAxis, 100), Bytes(FieldId::kPositionA, 5),
                                        Bytes(FieldId::kPositionARef)};
constexpr ConfigItem kOldPositionB[] = {Bytes(FieldId::kPositionBAxis, 100), Bytes(FieldId::kPositionB, 5),
                                        Bytes(FieldId::kPositionBRef)};

constexpr int kInj1 = 0, kInj2 = 1, kInj3 = 2, kInj4 = 3;

struct OldSection {
  const char* keyword;
  const char* layoutOf;  // the current section whose values, page and sheet it has; null: its own
  std::span<const ConfigItem> items = {};
  int page = kNoPage;
  int sheet = kAnySheet;
  unsigned percentMaps = 0;        // a percentage map for these maps instead of values
  MapId axisCopy = MapId::kCount;  // the speed axis read also becomes this map's
  Conversion conversion = Conversion::kKeep;
};

// clang-format off
constexpr OldSection kOldSections[] = {
  {"RPM_IGN",      "RPM_ADV"},
  {"IGN",          "ADVANCE"},
  {"RPM_JET_14A",  "RPM_JET_1A", {}, kNoPage, kAnySheet, 0, MapId::kInjection4},
  {"JET_14A",      nullptr, {}, kPageInjection, kInj1, Maps({kPercentCyl1, kPercentCyl4}), MapId::kCount, Conversion::kSet},
  {"RPM_JET_23A",  "RPM_JET_2A", {}, kNoPage, kAnySheet, 0, MapId::kInjection3},
  {"JET_23A",      nullptr, {}, kPageInjection, kInj2, Maps({kPercentCyl2, kPercentCyl3}), MapId::kCount, Conversion::kSet},
  {"RPM_JET_B",    "RPM_JET_B"},
  {"JET_B",        "JET_B"},
  {"RPM_JET_IAP",  "RPM_IAP"},
  {"JET_IAP",      nullptr, {}, kPageInjection, kInjectionIapSheet, Maps({kPercentIap})},
  {"ADVANCE_MISC", "ADVANCE_MISC"},
  {"RPM_ADV",      "RPM_ADV"},
  {"ADVANCE",      "ADVANCE"},
  {"JET1_MISC",    nullptr, kOldJet1Misc, kPageInjection, kInj1},
  {"RPM_JET_1A",   "RPM_JET_1A"},
  {"RPM_JET_2A",   "RPM_JET_2A"},
  {"RPM_JET_3A",   "RPM_JET_3A", {}, kNoPage, kAnySheet, 0, MapId::kCount, Conversion::kClear},
  {"RPM_JET_4A",   "RPM_JET_4A"},
  {"JET_1A",       "JET_1A", {}, kNoPage, kAnySheet, 0, MapId::kCount, Conversion::kClear},
  {"JET_2A",       "JET_2A", {}, kNoPage, kAnySheet, 0, MapId::kCount, Conversion::kClear},
  {"JET_3A",       "JET_3A", {}, kNoPage, kAnySheet, 0, MapId::kCount, Conversion::kClear},
  {"JET_4A",       "JET_4A", {}, kNoPage, kAnySheet, 0, MapId::kCount, Conversion::kClear},
  {"IAP_MISC",     "IAP_MISC"},
  {"IAP_IAP",      "IAP_IAP"},
  {"RPM_IAP",      "RPM_IAP"},
  {"IAP",          "IAP"},
  {"POSITION_A",   nullptr, kOldPositionA, kPagePosition},
  {"POSITION_B",   nullptr, kOldPositionB, kPagePosition},
};
// clang-format on

const ConfigSection* CurrentSection(std::string_view keyword) {
  for (const ConfigSection& s : ConfigSections())
    if (keyword == s.keyword && s.since <= kConfigFileVersion && kConfigFileVersion <= s.until) return &s;
  return nullptr;
}

// A section of an older file with its values, page and sheet resolved.
struct ResolvedSection {
  const OldSection* old = nullptr;
  std::span<const ConfigItem> items;
  int page = kNoPage;
  int sheet = kAnySheet;
};

std::optional<ResolvedSection> FindOldSection(std::string_view keyword) {
  for (const OldSection& s : kOldSections) {
    if (keyword != s.keyword) continue;
    if (s.layoutOf == nullptr) return ResolvedSection{&s, s.items, s.page, s.sheet};
    const ConfigSection* current = CurrentSection(s.layoutOf);
    if (current == nullptr) return std::nullopt;
    return ResolvedSection{&s, current->items, current->page, current->sheet};
  }
  return std::nullopt;
}

// The page rule of a file read for the active page; maps 2-4 are copies of
// map 1 while the injection is coupled.
bool Admitted(const ResolvedSection& s, const DefaultsScope& scope, const ConfigImage& image) {
  if (scope.wholeImage) return true;
  if (s.page != scope.page) return false;
  if (s.sheet != kAnySheet && s.sheet != scope.shownMap) return false;
  const bool copyOfMap1 = s.sheet == kInj2 || s.sheet == kInj3 || s.sheet == kInj4;
  return !(copyOfMap1 && ReadRaw(image, FieldId::kInjectionCoupling) == kCouplingCoupled);
}

using PercentValues = std::array<std::uint8_t, kMapCells>;

// 150 percentages, each kept modulo 256; nothing when the map ends early.
std::optional<PercentValues> ReadPercentMap(CConfigTokens& tokens) {
  PercentValues values{};
  for (std::uint8_t& v : values) {
    ConfigToken token;
    if (!tokens.Next(token)) return std::nullopt;
    const std::optional<std::uint16_t> number = ParseConfigNumber(token.text);
    if (!number) {
      tokens.PushBack(token);
      return std::nullopt;
    }
    v = static_cast<std::uint8_t>(*number & 0xFF);
  }
  return values;
}

void StartImport(ConfigImage& image) {
  for (int i = 0; i < Field(FieldId::kAdvanceCylinderCorrection).count; ++i)
    WriteRaw(image, FieldId::kAdvanceCylinderCorrection, i, kFullCorrection);
  for (int i = 0; i < Field(FieldId::kIapCylinderCorrection).count; ++i)
    WriteRaw(image, FieldId::kIapCylinderCorrection, i, kFullCorrection);
  for (std::size_t i = 0; i < std::size(kDefaultIapPressurePoints); ++i)
    WriteRaw(image, FieldId::kIapPressureAxis, static_cast<int>(i), kDefaultIapPressurePoints[i]);
}

// ---------------------------------------------------------------------------
// Save Map %

void AppendKeyword(std::string& out, std::string_view keyword) {
  out += kEol;
  out += keyword;
  if (keyword.size() < kKeywordWidth) out.append(kKeywordWidth - keyword.size(), ' ');
}

// printf's "%5u ".
void AppendValue(std::string& out, std::int64_t value) {
  char text[32];
  std::snprintf(text, sizeof text, "%5lld ", static_cast<long long>(value));
  out += text;
}

}  // namespace

// ---------------------------------------------------------------------------
// Save All New

std::string DefaultFileName(int type) {
  const BikeEntry* bike = BikeOf(type);
  return FileNameOf(bike ? bike->text : "");
}

std::string DefaultConfigFile(int type) {
  const auto sheets = std::make_unique<ScratchSheets>();
  const auto params = std::make_unique<CParamSet>();
  return DefaultFile(type, *sheets, *params, CBikeReferenceTables{});
}

SaveAllNewResult SaveAllNew(const std::string& folder) {
  SaveAllNewResult result;
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (!std::filesystem::is_directory(folder)) {
    result.folder = {false, folder + ": " + (error ? error.message() : "not a folder")};
    return result;
  }
  result.folder.ok = true;
  const auto sheets = std::make_unique<ScratchSheets>();
  const auto params = std::make_unique<CParamSet>();
  const CBikeReferenceTables tables;
  std::vector<std::string> bytes;
  std::vector<FileToWrite> files;
  bytes.reserve(kBikeTypeCount);
  files.reserve(kBikeTypeCount);
  for (int type = 0; type < kBikeTypeCount; ++type) bytes.push_back(DefaultFile(type, *sheets, *params, tables));
  for (int type = 0; type < kBikeTypeCount; ++type)
    files.push_back({Join(folder, DefaultFileName(type)), bytes[At(type)]});
  for (const FileResult& written : WriteFilesAtomic(files))
    if (!written.ok) result.failures.push_back(written);
  return result;
}

// ---------------------------------------------------------------------------
// Compare All New

std::string CompareDefaultFiles(std::string_view oldBytes, std::string_view newBytes) {
  const std::vector<std::string_view> a = Lines(oldBytes), b = Lines(newBytes);
  std::string out;
  // Past the shorter file the missing side counts as an empty line, so a
  // file cut short shows rather than passing as equal.
  for (std::size_t j = 0; j < std::max(a.size(), b.size()); ++j) {
    const std::string_view oldLine = j < a.size() ? a[j] : std::string_view{};
    const std::string_view newLine = j < b.size() ? b[j] : std::string_view{};
    if (oldLine == newLine || oldLine.starts_with(kBuildLine)) continue;
    std::string masked(oldLine);
    for (std::size_t k = 0; k < std::min(masked.size(), newLine.size()); ++k)
      if (masked[k] == newLine[k]) masked[k] = ' ';
    AppendLine(out, std::string(kLineEntry) + std::to_string(j + 1));
    AppendLine(out, masked);
    AppendLine(out, newLine);
  }
  return out;
}

std::string CompareAllNewReport(const std::string& newFolder, const std::string& oldFolder) {
  std::string report;
  // In the order of the bike list, whose entries 0-63 are the bikes.
  for (const BikeEntry& bike : BikeList().first(kBikeTypeCount)) {
    const std::string name = FileNameOf(bike.text);
    AppendLine(report, std::string(kHeaderLine) + bike.text);
    std::string oldBytes, newBytes;
    if (!ReadWholeFile(Join(oldFolder, name), oldBytes).ok) {
      AppendLine(report, kOldMissing);
      continue;
    }
    if (!ReadWholeFile(Join(newFolder, name), newBytes).ok) {
      AppendLine(report, kNewMissing);
      continue;
    }
    report += CompareDefaultFiles(oldBytes, newBytes);
  }
  return report;
}

FileResult CompareAllNew(const std::string& newFolder, const std::string& oldFolder, std::string& reportPath) {
  reportPath = Join(newFolder, kCompareReportName);
  return WriteFileAtomic(reportPath, CompareAllNewReport(newFolder, oldFolder));
}

// ---------------------------------------------------------------------------
// Open Old Maps

std::uint16_t PercentToWord(std::int64_t percent, std::int64_t base) {
  const std::int64_t word = (percent * base + 50) / 1000;
  return static_cast<std::uint16_t>(std::clamp<std::int64_t>(word, 0, std::numeric_limits<std::uint16_t>::max()));
}

std::int64_t PercentOfBase(std::int64_t absolute, std::int64_t base) {
  return base == 0 ? 0 : (absolute * 100 + base / 2) / base;
}

void LoadInjectionSheets(const ConfigImage& image, CTabModel& injection, const IReferenceTables& tables) {
  MapControls controls;
  controls.controls[Index(SheetControlId::kInjection)] = &injection;
  LoadMapSheets(image, controls);
  ApplyBaseTables(injection, tables, image[ElementOffset(FieldId::kBike)]);
}

OldMapsRun ImportOldMaps(std::string_view bytes, ConfigImage& image, CTabModel& injection, const DefaultsScope& scope,
                         const IReferenceTables& tables) {
  OldMapsRun run;
  StartImport(image);
  bool convert = true;
  std::array<std::optional<PercentValues>, kPercentMapCount> percent;

  CConfigTokens tokens(bytes);
  ConfigToken token;
  while (tokens.Next(token)) {
    if (token.text == "CORVALIS_KEY") {
      ConfigToken value;
      if (!tokens.Next(value)) break;
      const std::optional<std::uint16_t> key = ParseConfigNumber(value.text);
      if (!key) {
        tokens.PushBack(value);
        continue;
      }
      if (*key < kOldestMapFileKey) {
        run.keyTooOld = true;
        return run;
      }
      continue;
    }
    // The note's lines are text, never sections.
    if (token.text == "MEMO") break;
    const std::optional<ResolvedSection> section = FindOldSection(token.text);
    if (!section || !Admitted(*section, scope, image)) continue;
    const OldSection& old = *section->old;
    ++run.sections;
    if (old.percentMaps != 0) {
      if (const std::optional<PercentValues> values = ReadPercentMap(tokens))
        for (int m = 0; m < kPercentMapCount; ++m)
          if (old.percentMaps & (1u << m)) percent[At(m)] = values;
    } else {
      int line = 0;
      ReadConfigItems(tokens, section->items, {}, image, std::nullopt, line);
      if (old.axisCopy != MapId::kCount) {
        const MapLayout& to = Map(old.axisCopy);
        std::copy_n(image.begin() + section->items.front().offset, to.columns, image.begin() + to.axisOffset);
      }
    }
    if (old.conversion == Conversion::kSet) convert = true;
    if (old.conversion == Conversion::kClear) convert = false;
  }

  if (!convert) return run;
  // The bases of the sheets as they stand: their axes are those of the
  // last load, not the ones this pass read.
  ApplyBaseTables(injection, tables, image[ElementOffset(FieldId::kBike)]);
  for (int m = 0; m < kPercentMapCount; ++m) {
    if (!percent[At(m)] || !injection.ValidSheet(kPercentSheets[m])) continue;
    const CSheet& sheet = injection.Sheet(kPercentSheets[m]);
    // Without a base table every base is 0: the map keeps its times.
    if (!sheet.HasBaseTable()) continue;
    const MapLayout& map = Map(kPercentTargets[m]);
    for (int r = 0; r < map.rows; ++r)
      for (int c = 0; c < map.columns; ++c)
        WriteRaw(image, MapValueOffset(map, r, c), FieldWidth::kWord,
                 PercentToWord((*percent[At(m)])[At(r * map.columns + c)], sheet.cellBase[Idx(c, r)]));
    run.converted = true;
  }
  return run;
}

OldMapsRun OpenOldMaps(std::string_view bytes, ConfigImage& image, const DefaultsScope& scope,
                       const IReferenceTables& tables) {
  CTabModel injection(Layout(SheetControlId::kInjection).options);
  DefineControl(SheetControlId::kInjection, injection, {});
  LoadInjectionSheets(image, injection, tables);
  OldMapsRun run;
  for (int pass = 0; pass < 2; ++pass) {
    run = ImportOldMaps(bytes, image, injection, scope, tables);
    LoadInjectionSheets(image, injection, tables);
  }
  return run;
}

// ---------------------------------------------------------------------------
// Save Map %

std::string WritePercentMaps(const ConfigImage& image, const CTabModel& injection) {
  std::string out;
  // A speed axis section and a map section for each map a percentage map of
  // an older file becomes, in the same order.
  for (int m = 0; m < kPercentMapCount; ++m) {
    const MapLayout& map = Map(kPercentTargets[m]);
    AppendKeyword(out, map.axisKey);
    for (int c = 0; c < map.columns; ++c) AppendValue(out, std::int64_t{image[map.axisOffset + At(c)]} * 100);
    AppendKeyword(out, map.valueKey);
    const CSheet* sheet = injection.ValidSheet(kPercentSheets[m]) ? &injection.Sheet(kPercentSheets[m]) : nullptr;
    for (int i = 0; i < kMapCells; ++i) {
      std::int64_t value = 0;
      if (sheet && sheet->PercentCapable()) {
        // The sheet's absolute value is the stored word × 10, in the unit of its base.
        const int row = std::min(i / kMapColumns, sheet->yAxis.count - 1);
        const int column = std::min(i % kMapColumns, sheet->xAxis.count - 1);
        value = PercentOfBase(sheet->absolute[Idx(column, row)], sheet->cellBase[Idx(column, row)]);
      }
      AppendValue(out, value);
      if ((i + 1) % kMapColumns == 0) {
        out += kEol;
        out.append(kIndent, ' ');
      }
    }
  }
  return out;
}

std::string WritePercentMaps(const ConfigImage& image, const IReferenceTables& tables) {
  CTabModel injection(Layout(SheetControlId::kInjection).options);
  DefineControl(SheetControlId::kInjection, injection, {});
  LoadInjectionSheets(image, injection, tables);
  return WritePercentMaps(image, injection);
}

void SettleImage(ConfigImage& image, const IReferenceTables& tables) {
  const auto sheets = std::make_unique<ScratchSheets>();
  const auto params = std::make_unique<CParamSet>();
  Settle(image, *sheets, *params, tables);
}
