#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "link/PortNames.h"

namespace {

using Env = std::map<std::string, std::string>;

EnvLookup LookupIn(const Env& env) {
  return [&env](const std::string& name) -> std::optional<std::string> {
    auto it = env.find(name);
    if (it == env.end()) return std::nullopt;
    return it->second;
  };
}

TEST(ComNameMapping, OrdersGroupsAndNumbersNaturally) {
  const std::vector<std::string> dev = {"ttyS1",   "tty0",    "ttyUSB10", "ttyACM0", "null",  "ttyS0",
                                        "ttyUSB2", "ttySAC0", "ttyUSB",   "ttyS10",  "ttyS2", "ttyUSB1a"};
  const std::vector<std::string> expected = {"ttyUSB2", "ttyUSB10", "ttyACM0", "ttyS0", "ttyS1", "ttyS2", "ttyS10"};
  EXPECT_EQ(OrderSerialDevices(dev), expected);
}

TEST(ComNameMapping, ComNumberToDevice) {
  const std::vector<std::string> dev = {"ttyS0", "ttyUSB10", "ttyS1", "ttyUSB2", "ttyACM0"};
  struct Case {
    const char* name;
    int com;
    Env env;
    std::string expected;
  };
  const Case cases[] = {
      {"first USB adapter is COM1", 1, {}, "/dev/ttyUSB2"},
      {"natural order within a group", 2, {}, "/dev/ttyUSB10"},
      {"ACM after USB", 3, {}, "/dev/ttyACM0"},
      {"ttyS last", 5, {}, "/dev/ttyS1"},
      {"beyond the list maps to nothing", 6, {}, ""},
      {"override replaces its COM", 2, {{"VENTRIX_COM2", "/dev/pts/7"}}, "/dev/pts/7"},
      {"override does not shift the others", 3, {{"VENTRIX_COM2", "/dev/pts/7"}}, "/dev/ttyACM0"},
      {"override beyond the list", 21, {{"VENTRIX_COM21", "/dev/pts/3"}}, "/dev/pts/3"},
      {"empty override counts as unset", 1, {{"VENTRIX_COM1", ""}}, "/dev/ttyUSB2"},
      {"other COM's override is not used", 1, {{"VENTRIX_COM11", "/dev/pts/1"}}, "/dev/ttyUSB2"},
      {"COM0 is no port", 0, {{"VENTRIX_COM0", "/dev/pts/1"}}, ""},
      {"COM22 is no port", 22, {{"VENTRIX_COM22", "/dev/pts/1"}}, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ComDevicePath(c.com, dev, LookupIn(c.env)), c.expected) << c.name;
  }
  EXPECT_EQ(ComDevicePath(1, {}, LookupIn({})), "") << "no devices at all";
}

TEST(ComNameMapping, ScanReadsOnlySerialEntries) {
  char tmpl[] = "/tmp/ventrix-devXXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const std::string dir = tmpl;
  for (const char* n : {"ttyS3", "ttyUSB0", "sda", "ttyACM1"}) {
    FILE* f = std::fopen((dir + "/" + n).c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
  }
  const std::vector<std::string> expected = {"ttyUSB0", "ttyACM1", "ttyS3"};
  EXPECT_EQ(ScanSerialDevices(dir), expected);
  std::filesystem::remove_all(dir);
  EXPECT_TRUE(ScanSerialDevices(dir).empty()) << "a missing folder yields nothing";
}

// A sysfs tree as the kernel lays it out: a usb-serial port two levels below
// its USB device, a CDC ACM port one level, a built-in port with no USB device.
TEST(PortMenuDetail, NamesUsbAdaptersSoTwoCanBeToldApart) {
  namespace fs = std::filesystem;
  char tmpl[] = "/tmp/ventrix-sysXXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const fs::path root = tmpl;
  const fs::path usb = root / "sys/devices/pci0000:00/0000:00:14.0/usb1";
  auto write = [](const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text;
  };
  auto usbDevice = [&](const std::string& dir, const std::string& maker, const std::string& product,
                       const std::string& serial) {
    write(usb / dir / "idVendor", "0403\n");
    if (!maker.empty()) write(usb / dir / "manufacturer", maker + "\n");
    if (!product.empty()) write(usb / dir / "product", product + "\n");
    if (!serial.empty()) write(usb / dir / "serial", serial + "\n");
  };
  auto tty = [&](const std::string& name, const fs::path& device) {
    fs::create_directories(device);
    fs::create_directories(root / "sys/class/tty" / name);
    fs::create_directory_symlink(device, root / "sys/class/tty" / name / "device");
  };
  usbDevice("1-1", "FTDI", "FT232R USB UART", "A50285BI");
  tty("ttyUSB0", usb / "1-1/1-1:1.0/ttyUSB0");
  usbDevice("1-2", "FTDI", "FT232R USB UART", "A9QX4TKE");
  tty("ttyUSB1", usb / "1-2/1-2:1.0/ttyUSB1");
  usbDevice("1-3", "STMicroelectronics", "STMicroelectronics Virtual COM Port", "");
  tty("ttyACM0", usb / "1-3/1-3:1.0");
  tty("ttyS0", root / "sys/devices/platform/serial8250");
  // /dev/serial/by-id names a device by a link.
  write(root / "dev/ttyUSB1", "");
  fs::create_directories(root / "dev/serial/by-id");
  const fs::path byId = root / "dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A9QX4TKE-if00-port0";
  fs::create_symlink(root / "dev/ttyUSB1", byId);

  const struct {
    std::string device;
    std::string expected;
  } cases[] = {
      {"/dev/ttyUSB0", "/dev/ttyUSB0 — FTDI FT232R USB UART (A50285BI)"},
      {"/dev/ttyUSB1", "/dev/ttyUSB1 — FTDI FT232R USB UART (A9QX4TKE)"},
      {"/dev/ttyACM0", "/dev/ttyACM0 — STMicroelectronics Virtual COM Port"},
      {"/dev/ttyS0", "/dev/ttyS0"},
      {"/dev/pts/3", "/dev/pts/3"},
      {byId.string(), byId.string() + " — FTDI FT232R USB UART (A9QX4TKE)"},
  };
  for (const auto& c : cases) EXPECT_EQ(PortMenuDetail(c.device, (root / "sys").string()), c.expected) << c.device;
  fs::remove_all(root);
}

}  // namespace
