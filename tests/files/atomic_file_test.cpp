#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "files/AtomicFile.h"

namespace {

namespace fs = std::filesystem;

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "ventrix-atomic-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) m_path = pattern;
  }
  ~TempFolder() {
    if (m_path.empty()) return;
    std::error_code ignored;
    fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(m_path, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  std::string operator/(const std::string& name) const { return m_path + "/" + name; }
  const std::string& Path() const { return m_path; }

 private:
  std::string m_path;
};

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void Put(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

unsigned Mode(const std::string& path) {
  struct stat st {};
  ::stat(path.c_str(), &st);
  return st.st_mode & 07777;
}

std::size_t Entries(const std::string& folder) {
  return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator{}));
}

// Runs `body` in a forked child and returns its wait status.
int InChild(const std::function<int()>& body) {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(body());
  int status = 0;
  ::waitpid(pid, &status, 0);
  return status;
}

// Bytes with CR LF, a NUL and high bytes: what a configuration file holds.
constexpr char kOldBytes[] = "CORVALIS_KEY    83 \r\n\r\nBIKE    7 \0\xE8\r\n";
const std::string kOld(kOldBytes, sizeof kOldBytes - 1);

TEST(AtomicFileTest, NewFileGetsTheBytesAndTheUsualMode) {
  TempFolder dir;
  const mode_t saved = ::umask(022);
  const FileResult r = WriteFileAtomic(dir / "new.ign", kOld);
  ::umask(saved);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(Slurp(dir / "new.ign"), kOld);
  EXPECT_EQ(Mode(dir / "new.ign"), 0644u);
  EXPECT_EQ(Entries(dir.Path()), 1u) << "no temporary file is left behind";
}

TEST(AtomicFileTest, ReplacingKeepsTheTargetsMode) {
  TempFolder dir;
  Put(dir / "a.ign", "old");
  ::chmod((dir / "a.ign").c_str(), 0640);
  ASSERT_TRUE(WriteFileAtomic(dir / "a.ign", "new content").ok);
  EXPECT_EQ(Slurp(dir / "a.ign"), "new content");
  EXPECT_EQ(Mode(dir / "a.ign"), 0640u);
  EXPECT_EQ(Entries(dir.Path()), 1u);
}

TEST(AtomicFileTest, ASymbolicLinkStaysALinkAndItsTargetIsReplaced) {
  TempFolder dir;
  fs::create_directory(dir / "real");
  Put(dir / "real/tune.ign", "old");
  ::chmod((dir / "real/tune.ign").c_str(), 0600);
  fs::create_symlink("real/tune.ign", dir / "hop");   // relative to the link's folder
  fs::create_symlink(dir / "hop", dir / "link.ign");  // absolute, two hops
  fs::create_symlink("missing.ign", dir / "dangling.ign");

  ASSERT_TRUE(WriteFileAtomic(dir / "link.ign", "new").ok);
  EXPECT_TRUE(fs::is_symlink(dir / "link.ign"));
  EXPECT_TRUE(fs::is_symlink(dir / "hop"));
  EXPECT_EQ(Slurp(dir / "real/tune.ign"), "new");
  EXPECT_EQ(Mode(dir / "real/tune.ign"), 0600u);

  ASSERT_TRUE(WriteFileAtomic(dir / "dangling.ign", "created").ok);
  EXPECT_TRUE(fs::is_symlink(dir / "dangling.ign"));
  EXPECT_EQ(Slurp(dir / "missing.ign"), "created");
}

TEST(AtomicFileTest, FailuresNameTheFileAndTheSystemsReasonAndLeaveTheOldFile) {
  TempFolder dir;
  Put(dir / "keep.ign", kOld);
  fs::create_directory(dir / "folder.ign");
  fs::create_directory(dir / "locked");
  Put(dir / "locked/keep.ign", kOld);
  ::chmod((dir / "locked").c_str(), 0555);
  fs::create_symlink("loop.ign", dir / "loop.ign");

  struct Case {
    std::string path;
    const char* reason;
  };
  std::vector<Case> cases = {
      {dir / "no/such/folder.ign", "No such file or directory"},
      {dir / "folder.ign", "Is a directory"},
      {dir / "loop.ign", "Too many levels of symbolic links"},
  };
  Put(dir / "readonly.ign", kOld);
  ::chmod((dir / "readonly.ign").c_str(), 0444);
  if (::geteuid() != 0) {  // root may write anyway
    cases.push_back({dir / "locked/keep.ign", "Permission denied"});
    cases.push_back({dir / "readonly.ign", "Permission denied"});
  }
  for (const Case& c : cases) {
    const FileResult r = WriteFileAtomic(c.path, "new");
    EXPECT_FALSE(r.ok) << c.path;
    EXPECT_NE(r.error.find(c.path), std::string::npos) << r.error;
    EXPECT_NE(r.error.find(c.reason), std::string::npos) << r.error;
  }
  EXPECT_EQ(Slurp(dir / "keep.ign"), kOld);
  EXPECT_EQ(Slurp(dir / "locked/keep.ign"), kOld);
  EXPECT_EQ(Slurp(dir / "readonly.ign"), kOld);
}

// A full disk or a file size limit: the write fails (EFBIG, the signal
// ignored) or the process is killed in the middle of it (SIGXFSZ). Either
// way the old file is still there, byte for byte.
TEST(AtomicFileTest, AFailedOrKilledWriteUnderAFileSizeLimitLeavesTheOldFile) {
  TempFolder dir;
  const std::string target = dir / "tune.ign";
  Put(target, kOld);
  const std::string big(256 * 1024, 'x');
  const auto limitedWrite = [&](bool ignoreSignal) {
    return [&, ignoreSignal] {
      ::signal(SIGXFSZ, ignoreSignal ? SIG_IGN : SIG_DFL);
      const rlimit limit{4096, 4096};
      if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 2;
      const FileResult r = WriteFileAtomic(target, big);
      if (r.ok) return 3;
      return r.error.find("File too large") != std::string::npos ? 0 : 4;
    };
  };

  const int failed = InChild(limitedWrite(true));
  ASSERT_TRUE(WIFEXITED(failed));
  EXPECT_EQ(WEXITSTATUS(failed), 0) << "2 setrlimit, 3 reported success, 4 another reason";
  EXPECT_EQ(Slurp(target), kOld);
  EXPECT_EQ(Entries(dir.Path()), 1u) << "the failed write removes its temporary file";

  const int killed = InChild(limitedWrite(false));
  ASSERT_TRUE(WIFSIGNALED(killed));
  EXPECT_EQ(WTERMSIG(killed), SIGXFSZ);
  EXPECT_EQ(Slurp(target), kOld);
}

TEST(AtomicFileTest, ReadWholeFileGivesEveryByteOrTheReason) {
  TempFolder dir;
  Put(dir / "a.ign", kOld);
  std::string bytes = "stale";
  ASSERT_TRUE(ReadWholeFile(dir / "a.ign", bytes).ok);
  EXPECT_EQ(bytes, kOld);

  for (const auto& [path, reason] :
       {std::pair{dir / "none.ign", "No such file or directory"}, std::pair{dir.Path(), "Is a directory"}}) {
    const FileResult r = ReadWholeFile(path, bytes);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find(reason), std::string::npos) << r.error;
    EXPECT_TRUE(bytes.empty());
  }
}

}  // namespace

// Several files with one flush: each stands or fails on its own, and a
// failure leaves neither a temporary file nor a changed target.
TEST(AtomicFileTest, SeveralFilesAtOnceEachGetTheirBytesOrTheirReason) {
  TempFolder dir;
  Put(dir / "old.ign", kOld);
  fs::create_directory(dir / "folder.ign");
  const std::string a = "first\r\n", b = "second\r\n", c = "third\r\n";
  const FileToWrite files[] = {{dir / "new.ign", a}, {dir / "folder.ign", b}, {dir / "old.ign", c}};
  const std::vector<FileResult> results = WriteFilesAtomic(files);
  ASSERT_EQ(results.size(), 3u);
  EXPECT_TRUE(results[0].ok);
  EXPECT_FALSE(results[1].ok);
  EXPECT_NE(results[1].error.find("folder.ign"), std::string::npos);
  EXPECT_TRUE(results[2].ok);
  EXPECT_EQ(Slurp(dir / "new.ign"), a);
  EXPECT_EQ(Slurp(dir / "old.ign"), c);
  EXPECT_EQ(Entries(dir.Path()), 3u);  // no temporary left beside them
}
