#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>

#include "link/ReleaseChannel.h"
#include "support/ScopedRuntimeDir.h"

namespace {

namespace fs = std::filesystem;

// Each test gets its own XDG_RUNTIME_DIR.
class ReleaseChannel : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_runtime.Ok()); }

  std::string SocketPath() const { return m_xdg + "/ventrix/port-release.sock"; }

  // Sends raw bytes the way a foreign program would.
  void SendRaw(const std::string& bytes) {
    const int fd = socket(AF_UNIX, SOCK_DGRAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strcpy(addr.sun_path, SocketPath().c_str());
    EXPECT_EQ(sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&addr), sizeof addr),
              ssize_t(bytes.size()));
    close(fd);
  }

  static bool Readable(const CReleaseListener& l) {
    pollfd p{l.Fd(), POLLIN, 0};
    return poll(&p, 1, 5000) == 1;
  }

  testsupport::ScopedRuntimeDir m_runtime;
  const std::string m_xdg = m_runtime.Path();
};

TEST_F(ReleaseChannel, SocketPathFollowsRuntimeDir) {
  EXPECT_EQ(ReleaseSocketPath(), SocketPath());
  for (const char* notUsable : {static_cast<const char*>(nullptr), "", "relative/dir"}) {
    if (notUsable) {
      setenv("XDG_RUNTIME_DIR", notUsable, 1);
    } else {
      unsetenv("XDG_RUNTIME_DIR");
    }
    EXPECT_EQ(ReleaseSocketPath(), "/tmp/ventrix-" + std::to_string(geteuid()) + "/port-release.sock");
  }
}

TEST_F(ReleaseChannel, WireFormat) {
  EXPECT_EQ(FormatReleaseMessage({2, 0x7FFFFFA1}), "VENTRIX-RELEASE 1 2 7FFFFFA1\n");
  EXPECT_EQ(FormatReleaseMessage({20, 0x7FFFFFA4}), "VENTRIX-RELEASE 1 20 7FFFFFA4\n");
  EXPECT_EQ(FormatReleaseMessage({0, 0x5}), "VENTRIX-RELEASE 1 0 00000005\n");

  const std::pair<const char*, std::optional<ReleaseRequest>> cases[] = {
      {"VENTRIX-RELEASE 1 2 7FFFFFA1\n", ReleaseRequest{2, 0x7FFFFFA1}},
      {"VENTRIX-RELEASE 1 2 7fffffa2", ReleaseRequest{2, 0x7FFFFFA2}},
      {"VENTRIX-RELEASE 1 4294967295 7FFFFFA4\n", ReleaseRequest{0xFFFFFFFF, 0x7FFFFFA4}},
      {"VENTRIX-RELEASE 1 4294967296 7FFFFFA4\n", std::nullopt},
      {"VENTRIX-RELEASE 2 2 7FFFFFA1\n", std::nullopt},
      {"VENTRIX-RELEASE 1 -2 7FFFFFA1\n", std::nullopt},
      {"VENTRIX-RELEASE 1 2 0x7FFFFFA1\n", std::nullopt},
      {"VENTRIX-RELEASE 1 2 7FFFFA1\n", std::nullopt},
      {"VENTRIX-RELEASE 1 2 7FFFFFAG\n", std::nullopt},
      {"VENTRIX-RELEASE 1 2  7FFFFFA1\n", std::nullopt},
      {"VENTRIX-RELEASE 1 2 7FFFFFA1 \n", std::nullopt},
      {"VENTRIX-RELEASE 1 2 7FFFFFA1\n\n", std::nullopt},
      {"VENTRIX-RELEASE 1  7FFFFFA1\n", std::nullopt},
      {"ventrix-release 1 2 7FFFFFA1\n", std::nullopt},
      {"VENTRIX-RELEASE 1 2\n", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(ParseReleaseMessage(text), expected) << text;
}

TEST_F(ReleaseChannel, RequestsArriveInOrder) {
  CReleaseListener listener;
  ASSERT_TRUE(listener.Listen()) << listener.LastError();
  EXPECT_EQ(listener.Path(), SocketPath());
  struct stat st {};
  ASSERT_EQ(stat((m_xdg + "/ventrix").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_FALSE(listener.Receive().has_value()) << "nothing sent yet";

  const ReleaseRequest sent[] = {{2, 0x7FFFFFA1}, {2, 0x7FFFFFA2}, {0, 0x7FFFFFA4}, {20, 0x12345678}};
  for (const auto& r : sent) {
    std::string error;
    EXPECT_TRUE(SendReleaseRequest(r.port, r.code, &error)) << error;
  }
  for (const auto& r : sent) {
    ASSERT_TRUE(Readable(listener));
    EXPECT_EQ(listener.Receive(), std::optional<ReleaseRequest>(r));
  }
  EXPECT_FALSE(listener.Receive().has_value());
}

TEST_F(ReleaseChannel, MalformedDatagramsAreDropped) {
  CReleaseListener listener;
  ASSERT_TRUE(listener.Listen()) << listener.LastError();
  SendRaw("VENTRIX-RELEASE 1 2 7FFFFFA1 and more\n");
  SendRaw(std::string(300, 'V'));
  SendRaw("VENTRIX-RELEASE 1 2 7FFFFFA1\n" + std::string(200, ' '));  // good start, cut by the size limit
  SendRaw(std::string("VENTRIX-RELEASE 1 2 7FFFFFA1\0", 29));
  ASSERT_TRUE(Readable(listener));
  EXPECT_FALSE(listener.Receive().has_value());
  EXPECT_FALSE(listener.LastError().empty());

  // A good request behind a bad one still gets through.
  SendRaw("garbage");
  SendRaw("VENTRIX-RELEASE 1 3 7FFFFFA2\n");
  ASSERT_TRUE(Readable(listener));
  EXPECT_EQ(listener.Receive(), std::optional<ReleaseRequest>(ReleaseRequest{3, 0x7FFFFFA2}));
}

TEST_F(ReleaseChannel, SecondListenerDoesNotStealTheSocket) {
  CReleaseListener first;
  ASSERT_TRUE(first.Listen()) << first.LastError();
  {
    CReleaseListener second;
    EXPECT_FALSE(second.Listen());
    EXPECT_FALSE(second.IsListening());
    EXPECT_EQ(second.Fd(), -1);
    EXPECT_FALSE(second.LastError().empty());
  }  // its destructor must not remove the first one's socket
  EXPECT_TRUE(fs::exists(SocketPath()));
  ASSERT_TRUE(SendReleaseRequest(4, 0x7FFFFFA1));
  ASSERT_TRUE(Readable(first));
  EXPECT_EQ(first.Receive(), std::optional<ReleaseRequest>(ReleaseRequest{4, 0x7FFFFFA1}));
}

TEST_F(ReleaseChannel, StaleSocketIsTakenOverAndRemovedAtExit) {
  // What a crashed instance leaves: a bound socket file nobody reads.
  fs::create_directory(m_xdg + "/ventrix");
  fs::permissions(m_xdg + "/ventrix", fs::perms::owner_all);
  const int dead = socket(AF_UNIX, SOCK_DGRAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strcpy(addr.sun_path, SocketPath().c_str());
  ASSERT_EQ(bind(dead, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  close(dead);
  ASSERT_TRUE(fs::exists(SocketPath()));

  std::string error;
  EXPECT_FALSE(SendReleaseRequest(1, 0x7FFFFFA1, &error)) << "nobody listens on a stale socket";
  EXPECT_FALSE(error.empty());
  {
    CReleaseListener listener;
    ASSERT_TRUE(listener.Listen()) << listener.LastError();
    ASSERT_TRUE(SendReleaseRequest(1, 0x7FFFFFA4));
    ASSERT_TRUE(Readable(listener));
    EXPECT_EQ(listener.Receive(), std::optional<ReleaseRequest>(ReleaseRequest{1, 0x7FFFFFA4}));
  }
  EXPECT_FALSE(fs::exists(SocketPath()));
  EXPECT_FALSE(SendReleaseRequest(1, 0x7FFFFFA1, &error));
  EXPECT_NE(error.find("no Ventrix is listening"), std::string::npos) << error;
}

TEST_F(ReleaseChannel, RefusesADirectoryThatIsNotPrivate) {
  fs::create_directory(m_xdg + "/elsewhere");
  fs::create_directory_symlink(m_xdg + "/elsewhere", m_xdg + "/ventrix");
  CReleaseListener listener;
  EXPECT_FALSE(listener.Listen()) << "a symbolic link may lead into someone else's folder";
  std::string error;
  EXPECT_FALSE(SendReleaseRequest(1, 0x7FFFFFA1, &error));

  if (geteuid() == 0) {
    fs::remove(m_xdg + "/ventrix");
    fs::create_directory(m_xdg + "/ventrix");
    ASSERT_EQ(chown((m_xdg + "/ventrix").c_str(), 65534, 65534), 0);
    EXPECT_FALSE(listener.Listen()) << "a folder of another user";
  }
}

}  // namespace
