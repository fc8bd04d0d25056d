#include "files/ConfigFile.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

#include "base/BuildInfo.h"
#include "base/Codepage.h"
#include "base/UiTexts.h"
#include "files/ConfigSections.h"
#include "files/ConfigTokens.h"
#include "image/FieldCatalogue.h"
#include "image/MapStorage.h"
#include "image/Note.h"
#include "image/PageRules.h"
#include "image/Pages.h"
#include "image/ParamSet.h"

namespace {

constexpr std::string_view kEol = "\r\n";
constexpr std::string_view kKey = "CORVALIS_KEY";
constexpr std::string_view kMemo = "MEMO";
constexpr std::size_t kIndent = 13;  // blanks after a continuation break
constexpr int kValuesPerRow = 15;
// Of a text that stands where a value belongs, what a message may show.
constexpr std::size_t kKeptTokenBytes = 64;

// Where the BOOT lines find the boot loader's fields in its 24-byte record.
// The record names bytes 0-5 only "hardware data" and leaves byte 22 spare:
// this program reads them as hardware number, processor, customer,
// boot-loader version and length, and the lock byte in byte 22.
constexpr std::size_t kBootHwKey = 0;  // 16 bits, little-endian
constexpr std::size_t kBootProcessor = 2;
constexpr std::size_t kBootCustomer = 3;
constexpr std::size_t kBootVersion = 4;
constexpr std::size_t kBootLengthHigh = 5;  // the length's high byte
constexpr std::size_t kBootLock = 22;

// Files before 83 held one desired AFR: the table takes it everywhere, on
// the speed axis those files implied.
constexpr std::int32_t kOlderDesiredAfrAxis[] = {10, 20, 40, 80, 160};

// ---------------------------------------------------------------------------
// Writing

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

// A unit text in the unit's code page (its bytes came in Windows-1250), on
// one line.
std::string LineText(const std::string& utf8) {
  std::string bytes = ToCodePage(utf8, CodePage::kWindows1250);
  std::replace_if(
      bytes.begin(), bytes.end(), [](char c) { return IsControl(static_cast<unsigned char>(c)); }, ' ');
  return bytes;
}

class Writer {
 public:
  Writer(const ConfigImage& image, std::string& out) : m_image(image), m_out(out) {}

  void Header() {
    m_out += kKey;
    m_out += "   ";
    Number(kConfigFileVersion, 3, true);
    m_out += kEol;
  }

  void Section(const ConfigSection& section) {
    m_out += kEol;
    m_out += section.keyword;
    const std::size_t length = std::strlen(section.keyword);
    if (section.width == kKeywordTab)
      m_out += '\t';
    else if (length < section.width)
      m_out.append(section.width - length, ' ');
    for (const ConfigItem& item : section.items) Item(item);
  }

  void Identification(const ConfigFileIdentity& id) {
    m_out += kEol;
    m_out += "EXE  ";
    m_out += BuildDate();
    m_out += "   ";
    m_out += BuildTime();
    if (id.imageMatchesUnit) {
      m_out += kEol;
      m_out += "HEX  " + LineText(id.unitDate) + "  " + LineText(id.unitTime) + "   " + LineText(id.unitText);
      if (id.bootRecordValid) {
        const auto at = [&](std::size_t i) -> unsigned { return i < id.bootRecord.size() ? id.bootRecord[i] : 0u; };
        m_out += kEol;
        m_out += "BOOT-SW  " + LineText(id.bootLine) + "  Lock:" + std::to_string(at(kBootLock));
        char hw[128];
        std::snprintf(hw, sizeof hw, "BOOT-HW  HWKey:0x%04x uP:0x%02x Customer:%u BLver:0x%02x  BLlen:%u",
                      at(kBootHwKey) | at(kBootHwKey + 1) << 8, at(kBootProcessor), at(kBootCustomer), at(kBootVersion),
                      at(kBootLengthHigh) * 256);
        m_out += kEol;
        m_out += hw;
      }
    }
    m_out += kEol;
  }

  // The note's bytes as they are, a line each; a CR or LF in them would
  // make lines of their own.
  void Note() {
    for (std::string& line : LoadNoteBytes(m_image)) {
      std::replace_if(
          line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
      m_out += kEol;
      m_out += line;
    }
  }

 private:
  void Item(const ConfigItem& item) {
    switch (item.kind) {
      case ItemKind::kBreak:
        m_out += kEol;
        m_out.append(kIndent, ' ');
        return;
      case ItemKind::kParagraph:
        m_out += kEol;
        return;
      case ItemKind::kAction:
        return;
      default:
        break;
    }
    for (int i = 0; i < item.count; ++i) {
      Number(FileValue(item, i), item.width, item.blank);
      if (item.every15 && (i + 1) % kValuesPerRow == 0) Item({.kind = ItemKind::kBreak});
    }
  }

  std::int32_t FileValue(const ConfigItem& item, int index) const {
    const std::size_t at = item.offset + ItemElementSize(item) * static_cast<std::size_t>(index);
    const std::int32_t b = m_image[at];
    switch (item.kind) {
      case ItemKind::kByte:
        return b * item.scale + item.shift;
      case ItemKind::kSignedByte:
        return static_cast<std::int8_t>(m_image[at]);
      case ItemKind::kWord:
        return b | m_image[at + 1] << 8;
      case ItemKind::kFlag:
        return b != 0 ? 1 : 0;
      case ItemKind::kServoValue:
        return b * (m_image[item.percentFlag] != 0 ? 1 : item.scale);
      default:
        return 0;
    }
  }

  // printf's "%<width>d" and, with `blank`, one blank after it.
  void Number(std::int32_t value, int width, bool blank) {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    const auto length = static_cast<int>(end - digits);
    if (length < width) m_out.append(static_cast<std::size_t>(width - length), ' ');
    m_out.append(digits, end);
    if (blank) m_out += ' ';
  }

  const ConfigImage& m_image;
  std::string& m_out;
};

// ---------------------------------------------------------------------------
// Reading

class Reader {
 public:
  Reader(std::string_view bytes, const ConfigReadContext& context, ConfigReadResult& result)
      : m_tokens(bytes), m_scope(context.scope), m_result(result), m_image(result.image) {}

  void Run() {
    if (!FindKey()) return;
    ReadSections();
  }

 private:
  // Phase 1: the first key with a version this program reads.
  bool FindKey() {
    ConfigToken token;
    bool keyMet = false;
    while (m_tokens.Next(token)) {
      if (token.text == kMemo) break;  // the note's lines are never keys
      if (token.text != kKey) continue;
      keyMet = true;
      ConfigToken value;
      if (!m_tokens.Next(value)) break;
      const std::optional<std::uint16_t> version = ParseConfigNumber(value.text);
      if (!version) m_tokens.PushBack(value);
      if (version && *version == kConfigFileVersion) {
        m_result.version = *version;
        return true;
      }
      if (version && std::ranges::find(kOlderConfigVersions, *version) != std::end(kOlderConfigVersions)) {
        m_result.messages.push_back(ConfigMessage::kOlderVersion);
        m_result.version = *version;
        return true;
      }
      m_result.messages.push_back(ConfigMessage::kUnmatchedVersion);
    }
    // A file without any key is no configuration file; one whose key is cut
    // off says so too rather than doing nothing.
    if (!keyMet)
      m_result.noKey = true;
    else if (m_result.messages.empty())
      m_result.messages.push_back(ConfigMessage::kUnmatchedVersion);
    return false;
  }

  // Phase 2: keyword after keyword; what is no keyword of an admitted
  // section is passed over a token at a time.
  void ReadSections() {
    ConfigToken token;
    while (m_tokens.Next(token)) {
      std::optional<std::uint16_t> firstValue;
      const ConfigSection* section = Lookup(token.text, firstValue);
      if (section == nullptr) continue;
      if (section->kind == SectionKind::kMemo) {
        if (Admitted(*section)) ReadNote();
        return;
      }
      if (section->kind == SectionKind::kValues && Admitted(*section)) ReadValues(*section, firstValue);
    }
  }

  bool Holds(const ConfigSection& s) const { return s.since <= m_result.version && m_result.version <= s.until; }

  const ConfigSection* Lookup(std::string_view text, std::optional<std::uint16_t>& firstValue) const {
    for (const ConfigSection& s : ConfigSections())
      if (Holds(s) && (text == s.keyword || (s.alias != nullptr && text == s.alias))) return &s;
    // A keyword that fills its field meets its first value without a blank
    // when that value has five digits ("TUNING_LAMBDA16000").
    for (const ConfigSection& s : ConfigSections()) {
      const std::string_view keyword = s.keyword;
      if (!Holds(s) || s.items.empty() || !IsValueItem(s.items.front()) || keyword.size() != s.width ||
          text.size() <= keyword.size() || !text.starts_with(keyword))
        continue;
      const std::string_view digits = text.substr(keyword.size());
      if (!std::ranges::all_of(digits, [](char c) { return c >= '0' && c <= '9'; })) continue;
      firstValue = ParseConfigNumber(digits);
      return &s;
    }
    return nullptr;
  }

  bool Admitted(const ConfigSection& s) const {
    if (m_scope.wholeImage) return true;
    if (s.page != m_scope.page) return false;
    return s.sheet == kAnySheet || s.sheet == m_scope.shownMap;
  }

  void ReadValues(const ConfigSection& section, std::optional<std::uint16_t> firstValue) {
    const ConfigStoreRules rules{m_result.version, m_scope.wholeImage, [this](ReaderAction a) { Act(a); }};
    int line = 0;
    if (ReadConfigItems(m_tokens, section.items, rules, m_image, firstValue, line)) return;
    // What ended the section is read again as the next keyword; none: the end.
    ConfigProblem problem{section.keyword, line, ConfigProblem::Kind::kFileEnds, {}};
    if (ConfigToken next; m_tokens.Next(next)) {
      problem.kind = ConfigProblem::Kind::kNoNumber;
      problem.token = next.text.substr(0, kKeptTokenBytes);
      m_tokens.PushBack(next);
    }
    m_result.problems.push_back(std::move(problem));
  }

  void Act(ReaderAction action) {
    switch (action) {
      case ReaderAction::kBikeDefaults: {
        const auto scratch = std::make_unique<CParamSet>();
        ApplyBikeDefaults(m_image, *scratch, kWholeImage);
        return;
      }
      case ReaderAction::kLambdaDefaults:
        ApplyLambdaDefaults(ReadRaw(m_image, FieldId::kLambdaType) != 0 ? 1 : 0, m_image);
        return;
      case ReaderAction::kClearN2oMinimums:
        WriteRaw(m_image, FieldId::kN2oRpmMin, 0, 0);
        WriteRaw(m_image, FieldId::kN2oTpsMin, 0, 0);
        return;
      case ReaderAction::kFillDesiredAfr: {
        const MapLayout& map = Map(MapId::kDesiredAfr);
        static_assert(std::size(kOlderDesiredAfrAxis) == Map(MapId::kDesiredAfr).columns);
        for (std::size_t c = 0; c < std::size(kOlderDesiredAfrAxis); ++c)
          m_image[map.axisOffset + c] = static_cast<std::uint8_t>(kOlderDesiredAfrAxis[c]);
        std::fill(m_image.begin() + static_cast<std::ptrdiff_t>(MapValueOffset(map, 0, 1)),
                  m_image.begin() + static_cast<std::ptrdiff_t>(MapValueEnd(map)), m_image[map.valueOffset]);
        return;
      }
      case ReaderAction::kNone:
        return;
    }
  }

  // The rest of the MEMO line is padding; every later line is a line of the
  // note, its bytes as they are.
  void ReadNote() {
    std::string_view rest = m_tokens.RestAfterLine();
    std::vector<std::string_view> lines;
    std::size_t room = kNoteLast - kNoteFirst;
    while (!rest.empty() && room > 0) {
      const std::size_t eol = rest.find('\n');
      std::string_view line = rest.substr(0, eol);
      if (line.ends_with('\r')) line.remove_suffix(1);
      lines.push_back(line);
      room -= std::min(room, line.size() + 1);
      if (eol == std::string_view::npos) break;
      rest.remove_prefix(eol + 1);
    }
    StoreNoteBytes(lines, m_image);
  }

  CConfigTokens m_tokens;
  const DefaultsScope m_scope;
  ConfigReadResult& m_result;
  ConfigImage& m_image;
};

}  // namespace

std::string WriteConfigFile(const ConfigImage& image, const ConfigFileIdentity& identity) {
  std::string out;
  out.reserve(std::size_t{48} * 1024);
  Writer writer(image, out);
  writer.Header();
  for (const ConfigSection& section : ConfigSections()) {
    if (section.until < kConfigFileVersion) continue;  // a layout only older files have
    writer.Section(section);
    if (section.kind == SectionKind::kVersions) writer.Identification(identity);
    if (section.kind == SectionKind::kMemo) writer.Note();
  }
  return out;
}

// Coupled injection fills maps 2-4 from map 1, so a page read never takes
// them then; and map 1 alone would leave its copies behind.
ConfigReadResult ReadConfigFile(std::string_view bytes, const ConfigReadContext& context) {
  ConfigReadResult result;
  result.image = context.image;
  if (CoupledPageRefused(context.image, context.scope)) {
    result.refused = true;
    return result;
  }
  try {
    Reader(bytes, context, result).Run();
  } catch (const std::exception&) {
    // Only an allocation can fail: report the file as not read.
    ConfigReadResult failed;
    failed.image = context.image;
    failed.messages.push_back(ConfigMessage::kUnmatchedVersion);
    return failed;
  }
  return result;
}

std::string ConfigProblemText(const ConfigProblem& problem, int language) {
  const std::string where =
      FillInText(kSectionIncompleteText.Get(language), {problem.section, std::to_string(problem.line)});
  if (problem.kind == ConfigProblem::Kind::kFileEnds) return where + ": " + std::string(kFileEndsText.Get(language));
  // The file's text as the note's bytes are read, cut short, one line.
  constexpr std::size_t kShown = 20;
  std::string shown = problem.token.substr(0, kShown);
  std::replace_if(
      shown.begin(), shown.end(), [](char c) { return IsControl(static_cast<unsigned char>(c)); }, '?');
  shown = FromCodePage(shown, CodePage::kWindows1250);
  if (problem.token.size() > kShown) shown += "…";
  return where + ": " + FillInText(kValueNotNumberText.Get(language), {shown});
}
