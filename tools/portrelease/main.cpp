// ventrix-release-port: asks a running Ventrix to let go of its serial port
// (so a firmware loader can use it) and tells it when the port is free again.

#include <cstdint>
#include <charconv>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "link/PortNames.h"
#include "link/ReleaseChannel.h"

namespace {

constexpr int kExitSent = 0;
constexpr int kExitNotSent = 1;
constexpr int kExitUsage = 2;

void PrintUsage(std::FILE* to) {
  std::fprintf(to,
               "Usage: ventrix-release-port [--index] <port> <request>\n"
               "\n"
               "Sends a port-release request to the Ventrix that is running for this user.\n"
               "\n"
               "  <port>     COM number, 1 to %d (3 for COM3).\n"
               "             With --index: the zero-based port number instead, 0 to %d (2 for COM3).\n"
               "  <request>  release   release the port (0x7FFFFFA1)\n"
               "             reset     reset the unit, then release the port (0x7FFFFFA2)\n"
               "             free      the port is free again, Ventrix may reopen it (0x7FFFFFA4)\n"
               "             0xHEX     any other request code, up to 8 hex digits\n"
               "\n"
               "Ventrix only acts on a request for the port it is using.\n"
               "Socket: %s\n"
               "\n"
               "Exit status: 0 sent, 1 no Ventrix listening or sending failed, 2 bad arguments.\n",
               kMaxComNumber, kMaxComNumber - 1, ReleaseSocketPath().c_str());
}

std::optional<long> ParseNumber(std::string_view s) {
  if (s.empty() || s.size() > 4) return std::nullopt;
  long v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + (c - '0');
  }
  return v;
}

std::optional<std::uint32_t> ParseCode(std::string_view s) {
  if (s == "release") return kReleasePort;
  if (s == "reset") return kResetAndReleasePort;
  if (s == "free") return kPortFree;
  if (!s.starts_with("0x") && !s.starts_with("0X")) return std::nullopt;
  s.remove_prefix(2);
  std::uint32_t v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, 16);
  if (s.empty() || s.size() > 8 || ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return v;
}

int Usage(const char* problem) {
  std::fprintf(stderr, "ventrix-release-port: %s\n", problem);
  std::fprintf(stderr, "Try 'ventrix-release-port --help'.\n");
  return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  bool byIndex = false;
  std::string_view positional[2];
  int count = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      PrintUsage(stdout);
      return kExitSent;
    }
    if (arg == "--index") {
      byIndex = true;
    } else if (arg.starts_with("-") && arg.size() > 1) {
      return Usage(("unknown option " + std::string(arg)).c_str());
    } else if (count < 2) {
      positional[count++] = arg;
    } else {
      return Usage("too many arguments");
    }
  }
  if (count < 2) return Usage("expected <port> and <request>");

  const auto number = ParseNumber(positional[0]);
  const long first = byIndex ? 0 : 1;
  const long last = byIndex ? kMaxComNumber - 1 : kMaxComNumber;
  if (!number || *number < first || *number > last) {
    char msg[96];
    std::snprintf(msg, sizeof msg, "%s must be a number from %ld to %ld", byIndex ? "port index" : "COM number", first,
                  last);
    return Usage(msg);
  }
  const auto code = ParseCode(positional[1]);
  if (!code) return Usage("request must be release, reset, free or 0xHEX");

  const auto port = static_cast<std::uint32_t>(byIndex ? *number : *number - 1);
  std::string error;
  if (!SendReleaseRequest(port, *code, &error)) {
    std::fprintf(stderr, "ventrix-release-port: %s\n", error.c_str());
    return kExitNotSent;
  }
  return kExitSent;
}
