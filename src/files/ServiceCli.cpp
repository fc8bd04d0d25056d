#include "files/ServiceCli.h"

#include <filesystem>
#include <ostream>
#include <system_error>

#include "files/AtomicFile.h"
#include "files/ConfigFile.h"
#include "files/ServiceTools.h"
#include "image/Normalise.h"

namespace {

int Fail(std::ostream& err, const std::string& message) {
  err << message << '\n';
  return kExitFileError;
}

int WriteDefaults(std::span<const std::string> operands, std::ostream& out, std::ostream& err) {
  const SaveAllNewResult result = SaveAllNew(operands[0]);
  if (!result.folder.ok) return Fail(err, result.folder.error);
  for (const FileResult& failure : result.failures) err << failure.error << '\n';
  if (!result.failures.empty()) return kExitFileError;
  out << operands[0] << '\n';
  return 0;
}

// A folder to compare: a missing one would pass as a set whose every file is missing.
bool IsFolder(const std::string& path, std::ostream& err) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) return true;
  err << path << ": " << (std::filesystem::exists(path, ec) ? "not a folder" : "no such folder") << '\n';
  return false;
}

int CompareDefaults(std::span<const std::string> operands, std::ostream& out, std::ostream& err) {
  if (!IsFolder(operands[0], err) || !IsFolder(operands[1], err)) return kExitFileError;
  std::string report;
  const FileResult written = CompareAllNew(operands[0], operands[1], report);
  if (!written.ok) return Fail(err, written.error);
  out << report << '\n';
  return 0;
}

// A configuration file into a cleared image; false with a message when it
// cannot be read or holds no key this program reads.
bool OpenConfig(const std::string& path, ConfigImage& image, std::ostream& err) {
  std::string bytes;
  if (const FileResult r = ReadWholeFile(path, bytes); !r.ok) {
    err << r.error << '\n';
    return false;
  }
  const ConfigReadResult read = ReadConfigFile(bytes, {});
  if (read.version == 0) {
    err << path << ": no configuration file of a version this program reads\n";
    return false;
  }
  image = read.image;
  NormaliseImage(image);
  return true;
}

int ImportOldMapsCommand(std::span<const std::string> operands, std::ostream&, std::ostream& err) {
  std::string old;
  if (const FileResult r = ReadWholeFile(operands[0], old); !r.ok) return Fail(err, r.error);
  ConfigImage image{};
  if (!OpenConfig(operands[1], image, err)) return kExitFileError;
  const OldMapsRun run = OpenOldMaps(old, image, kWholeImage);
  // Only the import's fixed values would go in: no map of OLDFILE at all.
  if (run.keyTooOld) return Fail(err, operands[0] + ": a map file older than this program reads; nothing written");
  if (run.sections == 0) return Fail(err, operands[0] + ": no map of an older map file; nothing written");
  SettleImage(image);
  const FileResult written = WriteFileAtomic(operands[2], WriteConfigFile(image, {}));
  return written.ok ? 0 : Fail(err, written.error);
}

int SaveMapPercent(std::span<const std::string> operands, std::ostream&, std::ostream& err) {
  ConfigImage image{};
  if (!OpenConfig(operands[0], image, err)) return kExitFileError;
  SettleImage(image);
  const FileResult written = WriteFileAtomic(operands[1], WritePercentMaps(image));
  return written.ok ? 0 : Fail(err, written.error);
}

// clang-format off
constexpr ServiceCliCommand kCommands[] = {
  {"--write-defaults",   1, "DIR",                       "write the default file of every bike type into DIR", WriteDefaults},
  {"--compare-defaults", 2, "NEWDIR OLDDIR",             "compare two default sets; report in NEWDIR/compare_all_new.txt", CompareDefaults},
  {"--import-old-maps",  3, "OLDFILE BASE.ign OUT.ign",  "import an older map file over BASE.ign, save as OUT.ign", ImportOldMapsCommand},
  {"--save-map-percent", 2, "IN.ign OUT",                "write IN.ign's injection maps in percent of their bases", SaveMapPercent},
};
// clang-format on

}  // namespace

std::span<const ServiceCliCommand> ServiceCliCommands() { return kCommands; }

const ServiceCliCommand* FindServiceCliCommand(std::string_view option) {
  for (const ServiceCliCommand& c : kCommands)
    if (option == c.option) return &c;
  return nullptr;
}
