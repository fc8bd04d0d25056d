#pragma once

#include <string>
#include <utility>

// Local sockets that only the user himself may reach: the port-release
// channel and the single-instance channel live side by side in
//   $XDG_RUNTIME_DIR/ventrix/, or, when XDG_RUNTIME_DIR is unset or not
//   absolute, /tmp/ventrix-<uid>/.
// The directory is the user's own, mode 0700; a directory owned by anyone
// else, or a symbolic link, is refused. Each socket file is mode 0600.

std::string PrivateSocketDir();

// Checks (and with `create`, makes) the directory. `missing` tells a
// directory that is not there from one that is refused.
bool CheckPrivateDir(const std::string& dir, bool create, std::string& error, bool* missing = nullptr);

struct sockaddr_un;
bool MakeSocketAddress(const std::string& path, sockaddr_un& addr, std::string& error);

// A socket of `type` (SOCK_DGRAM, SOCK_SEQPACKET ...; non-blocking and
// close-on-exec) bound at a path inside the private directory, which is
// created when needed. A socket file nobody listens on any more (connect
// refused: its owner crashed) is replaced; one that a live process listens
// on is left alone and the bind fails. Closing removes the file when it is
// still this socket's: a later instance may have replaced it. Not copyable.
class CBoundSocket {
 public:
  CBoundSocket() = default;
  ~CBoundSocket() { Close(); }
  CBoundSocket(const CBoundSocket&) = delete;
  CBoundSocket& operator=(const CBoundSocket&) = delete;

  bool Bind(int type, const std::string& path);
  void Close();
  bool IsOpen() const { return m_fd >= 0; }
  int Fd() const { return m_fd; }  // -1 when closed

  const std::string& Path() const { return m_path; }
  const std::string& LastError() const { return m_lastError; }
  void SetLastError(std::string error) { m_lastError = std::move(error); }

 private:
  int m_fd = -1;
  std::string m_path;
  unsigned long m_inode = 0;
  std::string m_lastError;
};
