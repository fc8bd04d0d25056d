#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "link/PrivateSocket.h"

// The single-instance channel: a second start of Ventrix with a file hands
// the file to the instance already running, so that a double-clicked tune
// never takes the serial port away from a session that holds it.
//
// Socket: a local sequenced-packet socket (AF_UNIX, SOCK_SEQPACKET) at
//   <private socket folder>/instance.sock (link/PrivateSocket.h: 0600 in a
//   0700 folder of the user's own).
// Request: one packet, "VENTRIX-OPEN 1\n" followed by the file's absolute
//   path as raw bytes (no terminator; any byte but NUL).
// Answer: one packet "OK\n" once the running instance has taken the file
//   over; anything else, or nothing, means it did not.

std::string InstanceSocketPath();

std::string FormatOpenRequest(std::string_view absolutePath);
// The path of a well-formed request; nothing for anything else.
std::optional<std::string> ParseOpenRequest(std::string_view packet);

// The running instance's end. Not copyable.
class CInstanceListener {
 public:
  // Binds and listens at InstanceSocketPath(); a stale socket file is
  // replaced, a live instance's is left alone and Listen fails.
  bool Listen();
  bool IsListening() const { return m_socket.IsOpen(); }
  int Fd() const { return m_socket.Fd(); }
  // The next client waiting, as a non-blocking connection the caller owns
  // (close it with CloseConnection); -1 when none waits. Never waits.
  int Accept();
  void Stop() { m_socket.Close(); }

  const std::string& Path() const { return m_socket.Path(); }
  const std::string& LastError() const { return m_socket.LastError(); }

 private:
  CBoundSocket m_socket;
};

// What a client's connection has to say, read without waiting.
struct ClientRequest {
  enum class State { kNotYet, kOpen, kRefused } state = State::kNotYet;
  std::string path;  // kOpen
};
// Reads the one request packet from `connection`; a well-formed one is
// answered "OK" at once, before the file is opened (which may ask the user
// things), so the second start ends promptly.
ClientRequest ReadClientRequest(int connection);
void CloseConnection(int connection);

// Whether an instance listens now (it may still end before a hand-over).
bool IsInstanceListening();

// The second start's side: hands `absolutePath` over and waits at most
// `timeoutMs` for the answer.
enum class HandOver {
  kDone,        // the running instance has the file
  kNoInstance,  // nobody listens (no socket, or a stale one)
  kFailed,      // someone listens but did not take it (see `error`)
};
HandOver HandFileToRunningInstance(const std::string& absolutePath, int timeoutMs, std::string* error = nullptr);
