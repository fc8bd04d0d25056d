#include "core/OutsideFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "files/AtomicFile.h"
#include "files/ConfigFile.h"
#include "link/LiveLog.h"
#include "monitor/MonitorSetFile.h"

namespace {

constexpr std::string_view kConfigExtension = ".ign";
constexpr std::string_view kMonitorSetExtension = ".cem";
constexpr std::string_view kLiveLogExtension = ".vxlog";
// A log's header (identity and the image at its start) fits in this; the
// records after it are played, not checked, so hours of log are not read
// just to hand the file over.
constexpr std::size_t kLiveLogHeadBytes = std::size_t{64} * 1024;

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
  if (text.size() <= suffix.size()) return false;  // ".ign" alone is no name
  return std::equal(suffix.begin(), suffix.end(), text.end() - static_cast<std::ptrdiff_t>(suffix.size()),
                    [](char a, char b) {
                      return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
                    });
}

}  // namespace

OutsideFileKind KindOfOutsideFile(std::string_view path) {
  if (EndsWithNoCase(path, kMonitorSetExtension)) return OutsideFileKind::kMonitorSet;
  if (EndsWithNoCase(path, kLiveLogExtension)) return OutsideFileKind::kLiveLog;
  return OutsideFileKind::kConfig;
}

bool IsOutsideFileName(std::string_view path) {
  return EndsWithNoCase(path, kConfigExtension) || EndsWithNoCase(path, kMonitorSetExtension) ||
         EndsWithNoCase(path, kLiveLogExtension);
}

std::string OutsideFileProblem(const std::string& path) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) return path + ": is a directory, not a file to open";
  const OutsideFileKind kind = KindOfOutsideFile(path);
  std::string bytes;
  if (kind == OutsideFileKind::kLiveLog) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return path + ": " + std::strerror(errno);
    bytes.resize(kLiveLogHeadBytes);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    const LiveLogContents log = ReadLiveLog(std::string_view(bytes));
    if (!log.HeaderOk()) return path + ": not a live-data log (" + log.message + ")";
    return {};
  }
  if (const FileResult read = ReadWholeFile(path, bytes); !read.ok) return read.error;
  if (kind == OutsideFileKind::kMonitorSet) {
    if (!ParseMonitorSet(bytes).Applies()) return path + ": not a monitor set of a format this program reads";
    return {};
  }
  if (ReadConfigFile(bytes, {}).version == 0) return path + ": not a tune of a version this program reads";
  return {};
}
