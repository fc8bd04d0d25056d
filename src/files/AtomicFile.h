#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

// Outcome of a file operation: `error` names the file and gives the
// system's reason when `ok` is false.
struct FileResult {
  bool ok = false;
  std::string error;
};

// Replaces the file at `path` with `bytes` so that a crash, a kill or a full
// disk at any moment leaves either the old file or the new one, never a
// mixture: the bytes go to a temporary file in the same folder, which is
// flushed to the disk and then renamed over the target. An existing target
// keeps its permission bits; a symbolic link stays a link and its target is
// replaced. A new file gets the usual mode (0666 less the umask); a file
// the user may not write is not replaced.
FileResult WriteFileAtomic(const std::string& path, std::string_view bytes);

// WriteFileAtomic for several files, with one flush to the disk for them
// all (a few dozen: each is held open until then). A result per file, in order.
struct FileToWrite {
  std::string path;
  std::string_view bytes;
};
std::vector<FileResult> WriteFilesAtomic(std::span<const FileToWrite> files);

// The whole content of the file at `path` into `bytes`.
FileResult ReadWholeFile(const std::string& path, std::string& bytes);
