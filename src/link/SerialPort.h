#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "link/OpenFailure.h"

// The link's view of a serial port. Ports are named by COM number (1..21):
// the program's menu and settings count ports that way on every platform.
// No call may block the 55 ms tick.
class ISerialPort {
 public:
  virtual ~ISerialPort() = default;

  // Opens COM `comNumber` exclusively, raw 57600 8N1, no flow control.
  // Closes any port held before. False when the port cannot be opened.
  virtual bool Open(int comNumber) = 0;
  // Discards unread input, restores the line settings found at open and
  // releases the device; a frame already written still goes out. Harmless
  // when nothing is open.
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;

  // Bytes waiting to be read; 0 when closed. A port whose device has gone
  // (cable pulled, hang-up) reports 0 from then on and stays quiet until
  // it is opened again.
  virtual std::size_t QueuedBytes() = 0;
  // Reads at most `max` bytes that are already queued; never waits.
  virtual std::size_t Read(std::uint8_t* dst, std::size_t max) = 0;
  // Writes a whole frame; returns the bytes accepted (0 when closed).
  virtual std::size_t Write(const std::uint8_t* src, std::size_t size) = 0;
  // Drops the input queued and not yet read. Output is left alone: a frame
  // written just before a reopen must still reach the unit.
  virtual void Purge() = 0;

  // The device behind COM `comNumber` for display ("/dev/ttyUSB0"), or
  // empty when the platform has nothing to add to the COM name.
  virtual std::string DeviceName(int comNumber) const = 0;

  // Why the last Open failed; kind None after an open that worked, and from
  // ports that cannot tell.
  virtual OpenFailure LastOpenFailure() const { return {}; }
  // What the port menu shows beside "Com n" so that two adapters can be told
  // apart: the device and, for a USB adapter, its product and serial number.
  // Empty when the platform has nothing to add. Asked each time the menu
  // opens, since adapters come and go.
  virtual std::string MenuDetail(int /*comNumber*/) const { return {}; }
};
