#include "link/OpenFailure.h"

#include <sys/stat.h>

#include <algorithm>
#include <iterator>

#include "base/TextSlots.h"

std::string SuggestedSerialGroup(const OpenFailure& failure) {
  static constexpr std::string_view kSerialGroups[] = {"dialout", "uucp", "tty"};
  // Membership of these is power over the machine, whatever device they own.
  static constexpr std::string_view kPrivileged[] = {"root",   "0",     "wheel", "sudo", "admin", "adm",   "disk",
                                                     "shadow", "staff", "kmem",  "sys",  "bin",   "daemon"};
  const std::string& g = failure.group;
  if (g.empty() || std::find(std::begin(kPrivileged), std::end(kPrivileged), g) != std::end(kPrivileged)) return {};
  const bool known = std::find(std::begin(kSerialGroups), std::end(kSerialGroups), g) != std::end(kSerialGroups);
  const bool sharedWithSerial =
      std::find(failure.serialGroups.begin(), failure.serialGroups.end(), g) != failure.serialGroups.end();
  return known || sharedWithSerial ? g : std::string();
}

std::string ModeText(unsigned mode) {
  std::string text = S_ISCHR(mode) ? "c" : S_ISBLK(mode) ? "b" : S_ISDIR(mode) ? "d" : S_ISLNK(mode) ? "l" : "-";
  static constexpr char kLetters[] = "rwx";
  for (int i = 8; i >= 0; --i) text += (mode >> i) & 1 ? kLetters[(8 - i) % 3] : '-';
  return text;
}

std::string OpenFailureText(const OpenFailure& failure, int comNumber, int language) {
  const PortOpenFailureTexts& t = kPortOpenFailureTexts;
  const std::string device = failure.device.empty() ? "COM" + std::to_string(comNumber) : failure.device;
  switch (failure.kind) {
    case OpenFailureKind::None:
      return {};
    case OpenFailureKind::NoDevice:
      return FillInText(t.noDevice.Get(language), {device});
    case OpenFailureKind::PermissionDenied:
      if (const std::string group = SuggestedSerialGroup(failure); !group.empty())
        return FillInText(t.permissionDenied.Get(language), {device, group});
      return FillInText(t.permissionAskAdmin.Get(language),
                        {device, failure.owner.empty() ? "?" : failure.owner,
                         failure.group.empty() ? "?" : failure.group, ModeText(failure.mode)});
    case OpenFailureKind::Busy:
      if (failure.holderPid > 0) {
        return FillInText(t.busyHeldBy.Get(language), {device, failure.holderName, std::to_string(failure.holderPid)});
      }
      return FillInText(t.busy.Get(language), {device});
    case OpenFailureKind::NotSerial:
      return FillInText(t.notSerial.Get(language), {device});
    case OpenFailureKind::Other:
      return FillInText(t.other.Get(language), {device, failure.system});
  }
  return {};
}
