#pragma once

#include <termios.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "link/SerialPort.h"

// A serial port on a POSIX tty: raw 57600 8N1, no flow control, non-blocking.
//
// Open takes the device for itself with an flock() lock, which decides
// whether the port is busy: the lock dies with its holder however that ends.
// TIOCEXCL is set as well, to keep out programs that do not lock; a killed
// holder leaves that flag behind on a terminal that stays alive (a pty whose
// other side is open), so a set flag without a lock is taken as left over.
// A failed open says why (LastOpenFailure). A device that hangs up or
// vanishes (USB adapter pulled, pty master closed) is closed on the spot and
// the port reports nothing until the next Open.
//
// Writes: the tty driver buffer takes a 152-byte frame whole in practice.
// When it is full, the rest is retried for at most kWriteBudgetMs; what is
// still left then is dropped and Write returns the shorter count.
class CPosixSerialPort : public ISerialPort {
 public:
  static constexpr int kWriteBudgetMs = 20;

  CPosixSerialPort() = default;
  ~CPosixSerialPort() override;
  CPosixSerialPort(const CPosixSerialPort&) = delete;
  CPosixSerialPort& operator=(const CPosixSerialPort&) = delete;

  // COM number to device by the rule in PortNames.h.
  bool Open(int comNumber) override;
  // Opens a device by path; the same work as Open without the COM mapping.
  bool OpenDevice(const std::string& path);
  void Close() override;
  bool IsOpen() const override { return m_fd >= 0; }

  std::size_t QueuedBytes() override;
  std::size_t Read(std::uint8_t* dst, std::size_t max) override;
  std::size_t Write(const std::uint8_t* src, std::size_t size) override;
  void Purge() override;

  std::string DeviceName(int comNumber) const override;
  OpenFailure LastOpenFailure() const override;
  std::string MenuDetail(int comNumber) const override;

  // Why the last open, read or write failed or the device was dropped;
  // empty while nothing has gone wrong since the last successful open.
  const std::string& LastError() const { return m_lastError; }
  // The device held now, empty when closed.
  const std::string& DevicePath() const { return m_path; }

 private:
  bool Fail(OpenFailureKind kind, const std::string& what, int err);
  // Handles an errno from a call on the open device: a gone device is
  // dropped, anything else is only recorded.
  void OnIoError(const char* what, int err);
  void DropGoneDevice(const std::string& why);

  int m_fd = -1;
  std::string m_path;
  termios m_saved{};
  std::string m_lastError;
  OpenFailure m_failure;  // kind, device and system text; the rest is found when asked for
};
