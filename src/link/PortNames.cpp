#include "link/PortNames.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace {

constexpr std::array<std::string_view, 3> kGroups = {"ttyUSB", "ttyACM", "ttyS"};

struct SerialKey {
  std::size_t group;
  unsigned long number;
};

// "ttyUSB12" -> {0, 12}; nothing for names outside the groups ("ttySAC0",
// "ttyS", "ttyUSB1a").
std::optional<SerialKey> KeyOf(std::string_view name) {
  for (std::size_t g = 0; g < kGroups.size(); ++g) {
    if (!name.starts_with(kGroups[g])) continue;
    const std::string_view digits = name.substr(kGroups[g].size());
    if (digits.empty() || digits.size() > 9) continue;
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) continue;
    return SerialKey{g, std::stoul(std::string(digits))};
  }
  return std::nullopt;
}

// First line of a sysfs attribute file, trailing blanks dropped; empty when
// the file is missing.
std::string Attribute(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  const auto end = line.find_last_not_of(" \t\r");
  return end == std::string::npos ? std::string() : line.substr(0, end + 1);
}

// "FTDI FT232R USB UART (A50285BI)" from a USB device's directory in sysfs.
std::string UsbName(const std::filesystem::path& usbDevice) {
  const std::string maker = Attribute(usbDevice / "manufacturer");
  const std::string product = Attribute(usbDevice / "product");
  const std::string serial = Attribute(usbDevice / "serial");
  std::string name;
  auto add = [&name](const std::string& part) {
    if (!part.empty()) name += (name.empty() ? "" : " ") + part;
  };
  if (!product.starts_with(maker)) add(maker);  // not "FTDI FTDI USB Serial"
  add(product);
  if (!serial.empty()) add("(" + serial + ")");
  return name;
}

}  // namespace

std::vector<std::string> OrderSerialDevices(const std::vector<std::string>& names) {
  std::vector<std::pair<SerialKey, std::string>> keyed;
  for (const auto& n : names) {
    if (auto k = KeyOf(n)) keyed.emplace_back(*k, n);
  }
  std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
    if (a.first.group != b.first.group) return a.first.group < b.first.group;
    if (a.first.number != b.first.number) return a.first.number < b.first.number;
    return a.second < b.second;  // "ttyS01" vs "ttyS1": keep the order total
  });
  std::vector<std::string> out;
  out.reserve(keyed.size());
  for (auto& k : keyed) out.push_back(std::move(k.second));
  return out;
}

std::string ComDevicePath(int comNumber, const std::vector<std::string>& devEntries, const EnvLookup& env) {
  if (comNumber < 1 || comNumber > kMaxComNumber) return {};
  if (env) {
    if (auto v = env("VENTRIX_COM" + std::to_string(comNumber)); v && !v->empty()) return *v;
  }
  const auto ordered = OrderSerialDevices(devEntries);
  if (static_cast<std::size_t>(comNumber) > ordered.size()) return {};
  return "/dev/" + ordered[comNumber - 1];
}

std::vector<std::string> ScanSerialDevices(const std::string& devDir) {
  std::vector<std::string> names;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(devDir, ec), end; !ec && it != end; it.increment(ec)) {
    names.push_back(it->path().filename().string());
  }
  return OrderSerialDevices(names);
}

std::string ComDevicePath(int comNumber) {
  if (comNumber < 1 || comNumber > kMaxComNumber) return {};
  return ComDevicePath(comNumber, ScanSerialDevices(), [](const std::string& name) -> std::optional<std::string> {
    if (const char* v = std::getenv(name.c_str())) return std::string(v);
    return std::nullopt;
  });
}

std::string PortMenuDetail(const std::string& devicePath, const std::string& sysRoot) {
  namespace fs = std::filesystem;
  std::error_code ec;
  // /dev/serial/by-id/... and VENTRIX_COM<n> may name the device by a link.
  fs::path device = fs::canonical(devicePath, ec);
  if (ec) device = devicePath;
  fs::path dir = fs::canonical(fs::path(sysRoot) / "class" / "tty" / device.filename() / "device", ec);
  if (ec) return devicePath;
  // The USB device is two levels above a usb-serial port (ttyUSB: port,
  // interface, device) and one above a CDC ACM port (ttyACM: interface,
  // device); it is the directory with the vendor id.
  for (int up = 0; up < 3; ++up, dir = dir.parent_path()) {
    if (!fs::exists(dir / "idVendor", ec)) continue;
    const std::string name = UsbName(dir);
    return name.empty() ? devicePath : std::string(devicePath).append(" — ").append(name);
  }
  return devicePath;
}
