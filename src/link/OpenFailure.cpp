#include "link/OpenFailure.h"

#include "shell/TextSlots.h"

std::string OpenFailureText(const OpenFailure& failure, int comNumber, int language) {
  const PortOpenFailureTexts& t = kPortOpenFailureTexts;
  const std::string device = failure.device.empty() ? "COM" + std::to_string(comNumber) : failure.device;
  switch (failure.kind) {
    case OpenFailureKind::None:
      return {};
    case OpenFailureKind::NoDevice:
      return FillInText(t.noDevice.Get(language), {device});
    case OpenFailureKind::PermissionDenied:
      return FillInText(t.permissionDenied.Get(language), {device, failure.group});
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
