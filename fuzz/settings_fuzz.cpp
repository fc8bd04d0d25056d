// Any bytes read as the settings file (INI) and applied to the window's state.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "core/AppCore.h"
#include "files/Profile.h"
#include "files/Settings.h"
#include "image/MapCatalogue.h"
#include "image/Pages.h"
#include "base/Lang.h"

namespace {

constexpr ScreenRect kMonitors[] = {{0, 0, 1920, 1040}, {1920, -200, 1280, 1024}};

bool Inside(const ScreenRect& w, const ScreenRect& m) {
  return w.width > 0 && w.height > 0 && w.left >= m.left && w.top >= m.top &&
         std::int64_t{w.left} + w.width <= std::int64_t{m.left} + m.width &&
         std::int64_t{w.top} + w.height <= std::int64_t{m.top} + m.height;
}

// A value with a line break cannot be written back: it is stored empty.
std::string Storable(const std::string& path) { return path.find('\r') == std::string::npos ? path : std::string(); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const CProfile ini(std::string_view(reinterpret_cast<const char*>(data), size));
  const std::string text = ini.Text();
  FUZZ_CHECK(CProfile(text).Text() == text);

  SettingsState state;
  state.window = {100, 100, 800, 600};
  ApplySettings(ini, kMonitors, state);
  FUZZ_CHECK(std::ranges::any_of(kMonitors, [&](const ScreenRect& m) { return Inside(state.window, m); }));
  FUZZ_CHECK(state.portIndex < kPortCount && state.autoPortIndex < kPortCount);
  FUZZ_CHECK(state.language >= 0 && state.language < kLanguageCount);
  FUZZ_CHECK(state.activePage >= 0 && state.activePage < kPageCount);
  FUZZ_CHECK(state.injectionMap >= 0 && state.injectionMap <= kInjectionIapSheet);
  FUZZ_CHECK(state.servoMap >= 0 && state.servoMap <= kExhaustServoSheet);
  FUZZ_CHECK(state.recent.count >= 0 && state.recent.count <= kRecentFileMax);

  // Stored and read again, over a state whose every value differs, the
  // same state comes back.
  CProfile stored = ini;
  StoreSettings(state, stored);
  SettingsState again;
  again.window = {1, 2, 3, 4};
  again.portIndex = 7;
  again.language = 1;
  again.fileName = again.iniDir = "other";
  again.activePage = 13;
  again.injectionMap = 3;
  again.servoMap = 1;
  again.injectionInMs = again.extMonitorDetailed = again.monitorWindowVisible = true;
  ApplySettings(CProfile(stored.Text()), kMonitors, again);
  FUZZ_CHECK(again.window == state.window);
  FUZZ_CHECK(again.portIndex == state.portIndex && again.autoPortIndex == state.autoPortIndex);
  FUZZ_CHECK(again.language == state.language);
  FUZZ_CHECK(again.fileName == Storable(state.fileName) && again.iniDir == Storable(state.iniDir));
  FUZZ_CHECK(again.activePage == state.activePage);
  FUZZ_CHECK(again.activePage != kPageInjection || again.injectionMap == state.injectionMap);
  FUZZ_CHECK(again.activePage != kPageServo || again.servoMap == state.servoMap);
  FUZZ_CHECK(again.injectionInMs == state.injectionInMs && again.extMonitorDetailed == state.extMonitorDetailed &&
             again.monitorWindowVisible == state.monitorWindowVisible);
  for (int i = 0; i < kRecentFileMax; ++i) {
    const auto at = static_cast<std::size_t>(i);
    FUZZ_CHECK(again.recent.paths[at] == Storable(state.recent.paths[at]));
  }
  return 0;
}
