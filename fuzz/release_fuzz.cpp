// Any datagram taken as a port-release request.

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "link/ReleaseChannel.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view message(reinterpret_cast<const char*>(data), size);
  const auto request = ParseReleaseMessage(message);
  if (!request) return 0;

  // What is taken is the message the loader would send for it, give or take
  // the final newline, the case of the hex digits and zeros before the port.
  const std::string formatted = FormatReleaseMessage(*request);
  FUZZ_CHECK(ParseReleaseMessage(formatted) == request);
  std::string canonical(message);
  if (canonical.ends_with('\n')) canonical.pop_back();
  std::ranges::transform(canonical, canonical.begin(), [](unsigned char c) { return char(std::toupper(c)); });
  const std::size_t port = std::string_view("VENTRIX-RELEASE 1 ").size();
  while (canonical.size() > port + 1 && canonical[port] == '0' && canonical[port + 1] != ' ') canonical.erase(port, 1);
  FUZZ_CHECK(canonical + "\n" == formatted);
  return 0;
}
