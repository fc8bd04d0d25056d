#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "link/PrivateSocket.h"

// The port-release channel: how a firmware loader asks a running Ventrix for
// its serial port and tells it when the port is free again.
//
// Socket: a local datagram socket (AF_UNIX, SOCK_DGRAM) at
//   $XDG_RUNTIME_DIR/ventrix/port-release.sock, or, when XDG_RUNTIME_DIR is
//   unset or not absolute, /tmp/ventrix-<uid>/port-release.sock.
// The directory is the user's own, mode 0700; a directory owned by anyone
// else, or a symbolic link, is refused.
//
// Message: one datagram of ASCII text, version 1:
//   "VENTRIX-RELEASE 1 <port> <code>\n"
// <port> is the zero-based port number (COM number - 1) in decimal, <code> is
// the request code as exactly eight hex digits (upper or lower case). The
// final newline may be left out; anything else makes the datagram malformed,
// and malformed datagrams are dropped. Example, release COM3:
//   printf 'VENTRIX-RELEASE 1 2 7FFFFFA1\n' | socat - UNIX-SENDTO:$XDG_RUNTIME_DIR/ventrix/port-release.sock

// Request codes.
constexpr std::uint32_t kReleasePort = 0x7FFFFFA1;          // release the port
constexpr std::uint32_t kResetAndReleasePort = 0x7FFFFFA2;  // reset the unit, then release the port
constexpr std::uint32_t kPortFree = 0x7FFFFFA4;             // the port is free again

struct ReleaseRequest {
  std::uint32_t port = 0;  // COM number - 1
  std::uint32_t code = 0;
  bool operator==(const ReleaseRequest&) const = default;
};

std::string FormatReleaseMessage(const ReleaseRequest& request);
std::optional<ReleaseRequest> ParseReleaseMessage(std::string_view message);

// The socket path by the rule above.
std::string ReleaseSocketPath();

// The receiving end, owned by the main window. Not copyable.
class CReleaseListener {
 public:
  // Creates the directory when needed and binds a non-blocking socket at
  // ReleaseSocketPath(). A socket file that nobody listens on any more is
  // replaced; one that another live instance listens on is left alone and
  // Listen fails.
  bool Listen();
  bool IsListening() const { return m_socket.IsOpen(); }
  // For the window's socket notifier; -1 when not listening.
  int Fd() const { return m_socket.Fd(); }
  // The next well-formed request queued, skipping malformed datagrams;
  // nothing when none is queued. Never waits.
  std::optional<ReleaseRequest> Receive();
  // Closes the socket and removes its file if it is still ours.
  void Stop() { m_socket.Close(); }

  const std::string& Path() const { return m_socket.Path(); }
  const std::string& LastError() const { return m_socket.LastError(); }

 private:
  CBoundSocket m_socket;
};

// Sends one request to the listener at ReleaseSocketPath(). False, with the
// reason in `error` when given, when nobody listens or the send fails.
bool SendReleaseRequest(std::uint32_t port, std::uint32_t code, std::string* error = nullptr);
