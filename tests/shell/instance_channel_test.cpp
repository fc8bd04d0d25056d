#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <future>
#include <optional>

#include "shell/InstanceChannel.h"
#include "support/ScopedRuntimeDir.h"

namespace {

namespace fs = std::filesystem;

// Each test gets its own XDG_RUNTIME_DIR.
class InstanceChannel : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_runtime.Ok()); }

  std::string SocketPath() const { return m_xdg + "/ventrix/instance.sock"; }

  // The running instance's side of one hand-over: waits for the client and
  // its request, as the window's notifiers would.
  static ClientRequest Serve(CInstanceListener& listener) {
    pollfd p{listener.Fd(), POLLIN, 0};
    if (poll(&p, 1, 5000) != 1) return {};
    const int connection = listener.Accept();
    pollfd c{connection, POLLIN, 0};
    ClientRequest request;
    if (poll(&c, 1, 5000) == 1) request = ReadClientRequest(connection);
    CloseConnection(connection);
    return request;
  }

  testsupport::ScopedRuntimeDir m_runtime;
  const std::string m_xdg = m_runtime.Path();
};

TEST_F(InstanceChannel, WireFormat) {
  EXPECT_EQ(InstanceSocketPath(), SocketPath());
  EXPECT_EQ(FormatOpenRequest("/home/j/My tune.ign"), "VENTRIX-OPEN 1\n/home/j/My tune.ign");

  const std::pair<std::string, std::optional<std::string>> cases[] = {
      {"VENTRIX-OPEN 1\n/a b/Zündung č.ign", "/a b/Zündung č.ign"},
      {"VENTRIX-OPEN 1\n/x\n.ign", "/x\n.ign"},                  // any byte but NUL
      {"VENTRIX-OPEN 1\n/latin1-\xE9.ign", "/latin1-\xE9.ign"},  // not UTF-8: still bytes
      {"VENTRIX-OPEN 1\nrelative.ign", std::nullopt},            // the sender resolves it
      {"VENTRIX-OPEN 1\n", std::nullopt},
      {std::string("VENTRIX-OPEN 1\n/a\0b", 19), std::nullopt},
      {"VENTRIX-OPEN 2\n/a.ign", std::nullopt},
      {"VENTRIX-OPEN 1 /a.ign", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& [packet, path] : cases) EXPECT_EQ(ParseOpenRequest(packet), path) << packet;
}

TEST_F(InstanceChannel, FileIsHandedToTheRunningInstance) {
  EXPECT_EQ(HandFileToRunningInstance("/t/a.ign", 500), HandOver::kNoInstance) << "nobody runs yet";

  CInstanceListener listener;
  ASSERT_TRUE(listener.Listen()) << listener.LastError();
  struct stat st {};
  ASSERT_EQ(stat((m_xdg + "/ventrix").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  ASSERT_EQ(lstat(SocketPath().c_str(), &st), 0);
  EXPECT_TRUE(S_ISSOCK(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  for (const std::string& path :
       {std::string("/t/My tune.ign"), std::string("/t/Zündung ěšč.ign"), std::string(3000, '/') + "x.ign"}) {
    auto served = std::async(std::launch::async, [&] { return Serve(listener); });
    std::string error;
    EXPECT_EQ(HandFileToRunningInstance(path, 5000, &error), HandOver::kDone) << error;
    const ClientRequest request = served.get();
    EXPECT_EQ(request.state, ClientRequest::State::kOpen);
    EXPECT_EQ(request.path, path);
  }

  // A second listener leaves the live one's socket alone.
  CInstanceListener second;
  EXPECT_FALSE(second.Listen());
  EXPECT_TRUE(fs::exists(SocketPath()));

  listener.Stop();
  EXPECT_FALSE(fs::exists(SocketPath()));
  EXPECT_EQ(HandFileToRunningInstance("/t/a.ign", 500), HandOver::kNoInstance);
}

// An instance killed with SIGKILL leaves its socket file behind: the next
// start must neither hang on it nor be kept from listening.
TEST_F(InstanceChannel, StaleSocketOfACrashedInstanceIsReplaced) {
  fs::create_directories(m_xdg + "/ventrix");
  fs::permissions(m_xdg + "/ventrix", fs::perms::owner_all);
  const int dead = socket(AF_UNIX, SOCK_SEQPACKET, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strcpy(addr.sun_path, SocketPath().c_str());
  ASSERT_EQ(bind(dead, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  close(dead);  // bound, never listened, file left: as after a crash
  ASSERT_TRUE(fs::exists(SocketPath()));

  EXPECT_EQ(HandFileToRunningInstance("/t/a.ign", 5000), HandOver::kNoInstance);
  CInstanceListener listener;
  ASSERT_TRUE(listener.Listen()) << listener.LastError();
  auto served = std::async(std::launch::async, [&] { return Serve(listener); });
  EXPECT_EQ(HandFileToRunningInstance("/t/b.ign", 5000), HandOver::kDone);
  EXPECT_EQ(served.get().path, "/t/b.ign");
}

// One that listens but never answers (hung) does not hold the second start.
TEST_F(InstanceChannel, SilentInstanceFailsTheHandOverAfterTheTimeout) {
  CInstanceListener listener;
  ASSERT_TRUE(listener.Listen()) << listener.LastError();
  std::string error;
  EXPECT_EQ(HandFileToRunningInstance("/t/a.ign", 100, &error), HandOver::kFailed);
  EXPECT_NE(error.find("did not answer"), std::string::npos) << error;

  // A malformed request is refused and not answered.
  const int client = socket(AF_UNIX, SOCK_SEQPACKET, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strcpy(addr.sun_path, SocketPath().c_str());
  ASSERT_EQ(connect(client, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  ASSERT_GT(send(client, "hello", 5, 0), 0);
  int connection = listener.Accept();
  while (connection >= 0) {  // the silent hand-over's connection first
    const ClientRequest r = ReadClientRequest(connection);
    CloseConnection(connection);
    if (r.state == ClientRequest::State::kRefused) break;
    connection = listener.Accept();
  }
  EXPECT_GE(connection, 0) << "the malformed request was not seen";
  char answer[8];
  EXPECT_EQ(recv(client, answer, sizeof answer, 0), 0) << "closed without an answer";
  close(client);
}

}  // namespace
