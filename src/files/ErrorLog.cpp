#include "files/ErrorLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "files/Paths.h"
#include "link/UnitFacts.h"

namespace {

constexpr off_t kRotateSize = off_t{1024} * 1024;
constexpr std::size_t kDebugOutputMax = 255;

}  // namespace

std::string ErrorLogLine(const std::tm& localTime, std::string_view messageUtf8, CodePage page) {
  std::string message = ToCodePage(messageUtf8, page);
  for (char& c : message) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  char head[96];
  std::snprintf(head, sizeof head, "<LOG TIME=%i.%i.%i %i:%i:%i VTXLOG1_v%i: ", localTime.tm_mday, localTime.tm_mon + 1,
                localTime.tm_year + 1900, localTime.tm_hour, localTime.tm_min, localTime.tm_sec, kUnitVersion);
  return head + message + ">";
}

bool AppendErrorLog(const std::string& path, std::string_view line) {
  EnsureParentDirectory(path);
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && st.st_size >= kRotateSize) {
    const std::string previous = path + ".1";
    ::rename(path.c_str(), previous.c_str());
  }
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  // One write: two programs logging at once do not interleave inside a line.
  const std::string record = std::string(line) + "\r\n";
  ssize_t written;
  do {
    written = ::write(fd, record.data(), record.size());
  } while (written < 0 && errno == EINTR);
  const bool ok = written == static_cast<ssize_t>(record.size());
  return ::close(fd) == 0 && ok;
}

std::string DebugOutputText(std::string_view messageUtf8, CodePage page) {
  std::string text = ToCodePage(messageUtf8, page);
  if (text.size() > kDebugOutputMax) text.resize(kDebugOutputMax);
  return text;
}
