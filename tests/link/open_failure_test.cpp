#include <gtest/gtest.h>

#include <set>
#include <string_view>
#include <vector>

#include "link/OpenFailure.h"
#include "base/Lang.h"
#include "base/TextSlots.h"

namespace {

OpenFailure Failure(OpenFailureKind kind, std::string device) {
  OpenFailure f;
  f.kind = kind;
  f.device = std::move(device);
  return f;
}

TEST(OpenFailureText, SaysWhatFailedAndWhatToDo) {
  OpenFailure permission = Failure(OpenFailureKind::PermissionDenied, "/dev/ttyUSB0");
  permission.group = "dialout";
  OpenFailure heldBy = Failure(OpenFailureKind::Busy, "/dev/ttyUSB1");
  heldBy.holderPid = 4242;
  heldBy.holderName = "minicom";
  OpenFailure other = Failure(OpenFailureKind::Other, "/dev/ttyS0");
  other.system = "Input/output error";

  struct Case {
    const char* name;
    OpenFailure failure;
    int language;
    std::string expected;
  };
  const Case cases[] = {
      {"nothing to say", Failure(OpenFailureKind::None, "/dev/ttyUSB0"), kEnglish, ""},
      {"missing device", Failure(OpenFailureKind::NoDevice, "/dev/ttyUSB0"), kEnglish,
       "/dev/ttyUSB0: no such device. Is the adapter plugged in?"},
      {"COM number without a device", Failure(OpenFailureKind::NoDevice, ""), kEnglish,
       "COM7: no such device. Is the adapter plugged in?"},
      {"permission", permission, kEnglish,
       "/dev/ttyUSB0: permission denied. The device belongs to the group \"dialout\": add your user to that group "
       "(sudo usermod -aG dialout $USER), then log out and in again."},
      {"permission in German", permission, kGerman,
       "/dev/ttyUSB0: Zugriff verweigert. Das Gerät gehört der Gruppe „dialout“: Fügen Sie Ihren Benutzer dieser "
       "Gruppe hinzu (sudo usermod -aG dialout $USER) und melden Sie sich danach ab und wieder an."},
      {"busy, holder known", heldBy, kEnglish, "/dev/ttyUSB1 is in use by another program: minicom (PID 4242)."},
      {"busy, holder known, in Czech", heldBy, kCzech, "/dev/ttyUSB1 používá jiný program: minicom (PID 4242)."},
      {"busy, holder unknown", Failure(OpenFailureKind::Busy, "/dev/ttyUSB1"), kEnglish,
       "/dev/ttyUSB1 is in use by another program."},
      {"not a serial device", Failure(OpenFailureKind::NotSerial, "/dev/null"), kFrench,
       "/dev/null n'est pas un port série."},
      {"anything else", other, kEnglish, "/dev/ttyS0 cannot be used: Input/output error"},
      {"a path with a percent sign is taken as it is", Failure(OpenFailureKind::NoDevice, "/tmp/%2"), kEnglish,
       "/tmp/%2: no such device. Is the adapter plugged in?"},
  };
  for (const auto& c : cases) EXPECT_EQ(OpenFailureText(c.failure, 7, c.language), c.expected) << c.name;
}

// Adding the user to a group is good advice only for a group of serial
// devices; for root or an administrators' group it would hand over the machine.
TEST(OpenFailureText, SuggestsOnlyAGroupOfSerialDevices) {
  struct Case {
    const char* name;
    std::string group;
    std::vector<std::string> serialGroups;  // of the machine's other serial devices
    std::string suggested;
  };
  const Case cases[] = {
      {"dialout", "dialout", {}, "dialout"},
      {"uucp", "uucp", {"uucp"}, "uucp"},
      {"tty", "tty", {}, "tty"},
      {"the group of the other serial ports", "plugdev", {"dialout", "plugdev"}, "plugdev"},
      {"a group no serial device has", "video", {"dialout"}, ""},
      {"root, even where other ports belong to it", "root", {"root"}, ""},
      {"a group without a name", "0", {"0"}, ""},
      {"an administrators' group", "wheel", {"wheel"}, ""},
      {"unknown", "", {}, ""},
  };
  for (const auto& c : cases) {
    OpenFailure f = Failure(OpenFailureKind::PermissionDenied, "/dev/ttyUSB0");
    f.group = c.group;
    f.serialGroups = c.serialGroups;
    EXPECT_EQ(SuggestedSerialGroup(f), c.suggested) << c.name;
  }

  OpenFailure rootOwned = Failure(OpenFailureKind::PermissionDenied, "/dev/ttyUSB0");
  rootOwned.group = "root";
  rootOwned.owner = "root";
  rootOwned.mode = 020600;  // a character device, rw for the owner only
  const std::string english = OpenFailureText(rootOwned, 1, kEnglish);
  EXPECT_EQ(english,
            "/dev/ttyUSB0: permission denied. The device belongs to the user \"root\" and the group \"root\" with the "
            "mode crw-------, which is no group for serial devices: ask the administrator of this computer to give "
            "you access to it.");
  EXPECT_EQ(english.find("usermod"), std::string::npos);
  EXPECT_EQ(OpenFailureText(rootOwned, 1, kCzech).find("usermod"), std::string::npos);
  EXPECT_NE(OpenFailureText(rootOwned, 1, kGerman).find("crw-------"), std::string::npos);
  EXPECT_EQ(ModeText(020660), "crw-rw----");
  EXPECT_EQ(ModeText(0100644), "-rw-r--r--");
}

// A translation that loses or invents a %n would show the wrong detail, or none.
TEST(OpenFailureText, EveryLanguageHasEveryTextWithTheSamePlaceholders) {
  const auto placeholders = [](std::string_view text) {
    std::multiset<char> found;
    for (std::size_t i = 0; i + 1 < text.size(); ++i)
      if (text[i] == '%' && text[i + 1] >= '1' && text[i + 1] <= '9') found.insert(text[i + 1]);
    return found;
  };
  const PortOpenFailureTexts& t = kPortOpenFailureTexts;
  const CLngStr* texts[] = {&t.noDevice, &t.permissionDenied,  &t.busyHeldBy, &t.busy, &t.notSerial,
                            &t.other,    &t.permissionAskAdmin};
  for (const CLngStr* text : texts) {
    const std::string_view english = text->text[kEnglish];
    for (int language = 0; language < kLanguageCount; ++language) {
      ASSERT_NE(text->text[language], nullptr) << english << ", language " << language;
      EXPECT_EQ(placeholders(text->text[language]), placeholders(english)) << text->text[language];
    }
  }
}

}  // namespace
