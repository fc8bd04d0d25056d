#include "files/Settings.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "files/AtomicFile.h"
#include "files/Profile.h"
#include "image/MapCatalogue.h"
#include "image/Pages.h"
#include "link/UnitFacts.h"
#include "base/Lang.h"

namespace {

constexpr std::string_view kSection = "BASIC";
constexpr std::string_view kLeft = "Left";
constexpr std::string_view kTop = "Top";
constexpr std::string_view kHeight = "Height";
constexpr std::string_view kWidth = "Width";
constexpr std::string_view kComPort = "ComPort";
constexpr std::string_view kComPortAuto = "ComPortAuto";
constexpr std::string_view kLanguage = "Language";
constexpr std::string_view kFile = "File";
constexpr std::string_view kIniDir = "IniDir";
constexpr std::string_view kPageIndex = "PageControl1->ActivePageIndex";
constexpr std::string_view kInjectionInMs = "CheckBoxZobrMs_Uni->Checked";
constexpr std::string_view kExtMonitor = "CheckBoxExtMonitor->Checked";
constexpr std::string_view kMonitorVisible = "FormEM->Visible";

// Options the original program never had go in a section of their own: a
// reader of the original format skips a section it does not know, and
// "BASIC" stays exactly what it expects.
constexpr std::string_view kOwnSection = "Ventrix";
constexpr std::string_view kAutoRecord = "AutoRecord";

std::string HistoryKey(int entry) {
  char key[24];
  std::snprintf(key, sizeof key, "MenuHistory%02i", entry);
  return key;
}

constexpr int kInjectionMaps = kInjectionIapSheet + 1;
constexpr int kServoMaps = kExhaustServoSheet + 1;
// Where the ranges of the folded page index begin.
constexpr int kFoldInjection = kPageInjection;                                  // 2..7
constexpr int kFoldAfterInjection = kFoldInjection + kInjectionMaps;            // 8..10: pages 3..5
constexpr int kFoldServo = kFoldAfterInjection + (kPageServo - kPagePosition);  // 11..12
constexpr int kFoldAfterServo = kFoldServo + kServoMaps;                        // 13..: pages 7..
static_assert(kFoldAfterServo + (kPageCount - 1 - kPageRace) == kFoldedPageMax);

constexpr std::size_t kCaptionMaxChars = 127;
constexpr std::size_t kStateNumbersPerLine = 10;
constexpr std::size_t kStateNumbersPerBlock = 100;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// Unsigned decimal numbers as "%u" reads them (blanks, a sign, digits),
// reduced modulo 256 digit by digit so no number is too long.
class ByteScanner {
 public:
  explicit ByteScanner(std::string_view text) : m_rest(text) {}
  bool Next(std::uint8_t& value) {
    std::size_t i = 0;
    while (i < m_rest.size() && IsSpace(m_rest[i])) ++i;
    bool negative = false;
    if (i < m_rest.size() && (m_rest[i] == '+' || m_rest[i] == '-')) negative = m_rest[i++] == '-';
    const std::size_t digits = i;
    unsigned v = 0;
    for (; i < m_rest.size() && m_rest[i] >= '0' && m_rest[i] <= '9'; ++i) {
      v = (v * 10 + static_cast<unsigned>(m_rest[i] - '0')) % 256;
    }
    if (i == digits) {
      m_rest = {};
      return false;
    }
    m_rest.remove_prefix(i);
    value = static_cast<std::uint8_t>(negative ? (256 - v) % 256 : v);
    return true;
  }

 private:
  std::string_view m_rest;
};

// A missing or unreadable file reads as none: no failure here is the user's business.
std::optional<std::string> ReadText(const std::string& path) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes).ok) return std::nullopt;
  return bytes;
}

void AppendNumber(std::string& text, unsigned value) {
  char field[16];
  std::snprintf(field, sizeof field, "%5u ", value);
  text += field;
}

}  // namespace

ScreenRect FitToMonitors(const ScreenRect& window, std::span<const ScreenRect> monitors) {
  // 64 bits: a settings file may hold any int, and left + width must not overflow.
  using I = std::int64_t;
  I left = window.left, top = window.top;
  I right = left + window.width, bottom = top + window.height;
  auto overflow = [&](const ScreenRect& m) {
    const I mRight = I{m.left} + m.width, mBottom = I{m.top} + m.height;
    return std::max<I>(0, m.left - left) + std::max<I>(0, right - mRight) + std::max<I>(0, m.top - top) +
           std::max<I>(0, bottom - mBottom);
  };
  const ScreenRect* best = nullptr;
  I bestOverflow = 0;
  for (const ScreenRect& m : monitors) {
    const I o = overflow(m);
    if (best == nullptr || o < bestOverflow) {
      best = &m;
      bestOverflow = o;
    }
  }
  if (best == nullptr || bestOverflow == 0) return window;
  const I mLeft = best->left, mTop = best->top;
  const I mRight = mLeft + best->width, mBottom = mTop + best->height;
  if (right > mRight) left -= right - mRight, right = mRight;
  if (bottom > mBottom) top -= bottom - mBottom, bottom = mBottom;
  if (left < mLeft) right += mLeft - left, left = mLeft;
  if (top < mTop) bottom += mTop - top, top = mTop;
  right = std::min(right, mRight);
  bottom = std::min(bottom, mBottom);
  return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
          static_cast<int>(bottom - top)};
}

int FoldPageIndex(int page, int injectionMap, int servoMap) {
  if (page < kPageInjection) return page;
  if (page == kPageInjection) return kFoldInjection + std::clamp(injectionMap, 0, kInjectionMaps - 1);
  if (page < kPageServo) return page - kPagePosition + kFoldAfterInjection;
  if (page == kPageServo) return kFoldServo + std::clamp(servoMap, 0, kServoMaps - 1);
  return page - kPageRace + kFoldAfterServo;
}

UnfoldedPage UnfoldPageIndex(int folded) {
  if (folded < kFoldInjection) return {folded, -1};
  if (folded < kFoldAfterInjection) return {kPageInjection, folded - kFoldInjection};
  if (folded < kFoldServo) return {folded - kFoldAfterInjection + kPagePosition, -1};
  if (folded < kFoldAfterServo) return {kPageServo, folded - kFoldServo};
  return {folded - kFoldAfterServo + kPageRace, -1};
}

bool AddRecentFile(RecentFiles& recent, std::string_view path) {
  if (path.empty() || path.find_first_of("\r\n") != std::string_view::npos) return false;
  int from = 0;
  while (from < recent.count && recent.paths[static_cast<std::size_t>(from)] != path) ++from;
  if (from == recent.count) {
    recent.count = std::min(recent.count + 1, kRecentFileMax);
    from = recent.count - 1;  // the last entry, lost from a full list
  }
  for (int k = from; k > 0; --k) {
    recent.paths[static_cast<std::size_t>(k)] = std::move(recent.paths[static_cast<std::size_t>(k - 1)]);
  }
  recent.paths[0] = std::string(path);
  return true;
}

std::string RecentFileCaption(int entry, std::string_view path) {
  std::size_t separator = path.rfind('/');
  if (separator == std::string_view::npos) separator = path.rfind('\\');
  std::string caption = std::to_string(entry) + " ";
  caption += separator == std::string_view::npos ? path : path.substr(separator + 1);
  if (const std::size_t dot = caption.rfind('.'); dot != std::string::npos) caption.resize(dot);
  // Characters, not bytes: never cut inside a UTF-8 sequence.
  std::size_t chars = 0;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if ((static_cast<unsigned char>(caption[i]) & 0xC0) != 0x80 && ++chars > kCaptionMaxChars) {
      caption.resize(i);
      break;
    }
  }
  return caption;
}

void ApplySettings(const CProfile& ini, std::span<const ScreenRect> monitors, SettingsState& state) {
  ScreenRect window = state.window;
  window.left = ini.GetInt(kSection, kLeft, window.left);
  window.top = ini.GetInt(kSection, kTop, window.top);
  if (const int height = ini.GetInt(kSection, kHeight, window.height); height > 0) window.height = height;
  if (const int width = ini.GetInt(kSection, kWidth, window.width); width > 0) window.width = width;
  state.window = FitToMonitors(window, monitors);

  // Checked before narrowing to a byte: 300 must not become port 44.
  auto portEntry = [&](std::string_view key, int fallback) {
    const int stored = ini.GetInt(kSection, key, fallback);
    return static_cast<std::uint8_t>(stored >= 1 && stored <= kPortCount ? stored - 1 : 0);
  };
  state.portIndex = portEntry(kComPort, 1);
  state.autoPortIndex = portEntry(kComPortAuto, 0);

  state.language = LanguageFromSettings(ini.GetInt(kSection, kLanguage, state.language));
  state.fileName = ini.GetString(kSection, kFile, "");
  state.iniDir = ini.GetString(kSection, kIniDir, "");

  const int folded =
      ini.GetInt(kSection, kPageIndex, FoldPageIndex(state.activePage, state.injectionMap, state.servoMap));
  if (folded >= 0 && folded <= kFoldedPageMax) {
    const UnfoldedPage shown = UnfoldPageIndex(folded);
    state.activePage = shown.page;
    if (shown.page == kPageInjection) state.injectionMap = shown.map;
    if (shown.page == kPageServo) state.servoMap = shown.map;
  }

  state.injectionInMs = ini.GetInt(kSection, kInjectionInMs, state.injectionInMs) != 0;
  state.extMonitorDetailed = ini.GetInt(kSection, kExtMonitor, state.extMonitorDetailed) != 0;
  state.monitorWindowVisible = ini.GetInt(kSection, kMonitorVisible, 0) != 0;
  state.autoRecord = ini.GetInt(kOwnSection, kAutoRecord, state.autoRecord) != 0;

  state.recent = {};
  for (int i = 0; i < kRecentFileMax; ++i) {
    std::string& path = state.recent.paths[static_cast<std::size_t>(i)];
    path = ini.GetString(kSection, HistoryKey(i), "");
    if (!path.empty()) state.recent.count = i + 1;
  }
}

void StoreSettings(const SettingsState& state, CProfile& ini) {
  ini.SetInt(kSection, kLeft, state.window.left);
  ini.SetInt(kSection, kTop, state.window.top);
  ini.SetInt(kSection, kHeight, state.window.height);
  ini.SetInt(kSection, kWidth, state.window.width);
  ini.SetInt(kSection, kComPort, state.portIndex + 1);
  ini.SetInt(kSection, kComPortAuto, state.autoPortIndex + 1);
  ini.SetInt(kSection, kLanguage, state.language);
  // A path with a line break would split its line and let the rest read as
  // other keys: such a path is forgotten rather than stored.
  auto setPath = [&](std::string_view key, const std::string& path) {
    if (!ini.SetString(kSection, key, path)) ini.SetString(kSection, key, "");
  };
  setPath(kFile, state.fileName);
  setPath(kIniDir, state.iniDir);
  ini.SetInt(kSection, kPageIndex, FoldPageIndex(state.activePage, state.injectionMap, state.servoMap));
  ini.SetInt(kSection, kInjectionInMs, state.injectionInMs ? 1 : 0);
  ini.SetInt(kSection, kExtMonitor, state.extMonitorDetailed ? 1 : 0);
  ini.SetInt(kSection, kMonitorVisible, state.monitorWindowVisible ? 1 : 0);
  ini.SetInt(kOwnSection, kAutoRecord, state.autoRecord ? 1 : 0);
  // Keys above the count keep what the file holds.
  for (int i = 0; i < state.recent.count && i < kRecentFileMax; ++i) {
    setPath(HistoryKey(i), state.recent.paths[static_cast<std::size_t>(i)]);
  }
}

void ReadImageState(std::string_view text, ConfigImage& image, ReservedStateBytes& reserved) {
  ByteScanner numbers(text);
  for (std::uint8_t& byte : image) {
    if (!numbers.Next(byte)) return;
  }
  for (std::uint8_t& byte : reserved) {
    if (!numbers.Next(byte)) return;
  }
}

std::string ImageStateText(const ConfigImage& image, const ReservedStateBytes& reserved) {
  std::string text;
  text.reserve((image.size() + reserved.size()) * 6 + image.size() / 4);
  for (std::size_t i = 0; i < image.size(); ++i) {
    AppendNumber(text, image[i]);
    if ((i + 1) % kStateNumbersPerLine == 0) text += "\r\n";
    if ((i + 1) % kStateNumbersPerBlock == 0) text += "\r\n";
  }
  for (std::uint8_t byte : reserved) AppendNumber(text, byte);
  return text;
}

void LoadSettings(const AppPaths& paths, std::span<const ScreenRect> monitors, SettingsState& state) {
  ApplySettings(CProfile(ReadText(paths.settingsFile).value_or("")), monitors, state);
  if (const auto text = ReadText(paths.imageStateFile)) ReadImageState(*text, state.image, state.reserved);
}

std::vector<std::string> SaveSettings(const AppPaths& paths, const SettingsState& state) {
  std::vector<std::string> errors;
  auto save = [&](const std::string& path, std::string_view bytes) {
    std::string error;
    if (!EnsureParentDirectory(path, &error)) {
      errors.push_back(std::move(error));
      return;
    }
    if (FileResult written = WriteFileAtomic(path, bytes); !written.ok) errors.push_back(written.error);
  };
  CProfile ini(ReadText(paths.settingsFile).value_or(""));
  StoreSettings(state, ini);
  save(paths.settingsFile, ini.Text());
  save(paths.imageStateFile, ImageStateText(state.image, state.reserved));
  return errors;
}

bool ServiceModeFromText(std::string_view text) {
  constexpr std::string_view kCode = "MODE_ACCESS";
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsSpace(text[i])) ++i;
    std::size_t end = i;
    while (end < text.size() && !IsSpace(text[end])) ++end;
    if (text.substr(i, end - i) == kCode) return true;
    i = end;
  }
  return false;
}

bool LoadServiceMode(const AppPaths& paths) {
  const auto text = ReadText(paths.serviceMarkerFile);
  return text && ServiceModeFromText(*text);
}
