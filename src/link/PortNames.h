#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// COM numbering on Linux.
//
// The menu and the settings file count ports COM1 to COM21. COM n is the
// n-th serial device present, in this order: /dev/ttyUSB*, then /dev/ttyACM*,
// then /dev/ttyS*, each group in numeric order (ttyUSB2 before ttyUSB10).
// Setting VENTRIX_COM<n> (for example VENTRIX_COM1=/dev/pts/7) replaces the
// device of COM n only; the other COM numbers keep their devices. An empty
// value counts as not set. A COM number with neither a device nor an
// override maps to nothing and cannot be opened.

constexpr int kMaxComNumber = 21;

// Returns the value of an environment variable, nothing when unset.
using EnvLookup = std::function<std::optional<std::string>(const std::string& name)>;

// The serial device names among `names` (entries of /dev such as "ttyUSB0"),
// in COM order; other names are left out.
std::vector<std::string> OrderSerialDevices(const std::vector<std::string>& names);

// The device path of COM `comNumber` given the entries of /dev and the
// environment; empty when it maps to nothing or `comNumber` is outside 1..21.
std::string ComDevicePath(int comNumber, const std::vector<std::string>& devEntries, const EnvLookup& env);

// The entries of `devDir` that are serial devices, in COM order.
std::vector<std::string> ScanSerialDevices(const std::string& devDir = "/dev");

// ComDevicePath over the real /dev and the process environment.
std::string ComDevicePath(int comNumber);

// What the port menu shows for `devicePath`: the path and, for a USB adapter,
// its maker, product and serial number from sysfs below `sysRoot`, so that
// two adapters can be told apart:
// "/dev/ttyUSB0 — FTDI FT232R USB UART (A50285BI)". The path alone for
// other devices.
std::string PortMenuDetail(const std::string& devicePath, const std::string& sysRoot = "/sys");
