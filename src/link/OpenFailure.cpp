#include "link/OpenFailure.h"

#include <initializer_list>
#include <string_view>

#include "shell/TextSlots.h"

namespace {

// Puts the n-th of `args` where the text says %n (1..9), in one pass, so a
// device path that itself contains "%2" stays as it is.
std::string FillIn(std::string_view text, std::initializer_list<std::string_view> args) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
      const auto n = static_cast<std::size_t>(text[i + 1] - '1');
      if (n < args.size()) {
        out += *(args.begin() + n);
        ++i;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

}  // namespace

std::string OpenFailureText(const OpenFailure& failure, int comNumber, int language) {
  const PortOpenFailureTexts& t = kPortOpenFailureTexts;
  const std::string device = failure.device.empty() ? "COM" + std::to_string(comNumber) : failure.device;
  switch (failure.kind) {
    case OpenFailureKind::None:
      return {};
    case OpenFailureKind::NoDevice:
      return FillIn(t.noDevice.Get(language), {device});
    case OpenFailureKind::PermissionDenied:
      return FillIn(t.permissionDenied.Get(language), {device, failure.group});
    case OpenFailureKind::Busy:
      if (failure.holderPid > 0) {
        return FillIn(t.busyHeldBy.Get(language), {device, failure.holderName, std::to_string(failure.holderPid)});
      }
      return FillIn(t.busy.Get(language), {device});
    case OpenFailureKind::NotSerial:
      return FillIn(t.notSerial.Get(language), {device});
    case OpenFailureKind::Other:
      return FillIn(t.other.Get(language), {device, failure.system});
  }
  return {};
}
