#include "files/ConfigTokens.h"

#include <algorithm>
#include <iterator>

#include "image/FieldCatalogue.h"

namespace {

// Lines of section VERSIONS that only inform.
constexpr std::string_view kIdentificationLines[] = {"EXE", "HEX", "BOOT-SW", "BOOT-HW"};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

void Store(const ConfigItem& item, int index, std::uint16_t value, const ConfigStoreRules& rules, ConfigImage& image) {
  if (item.storedSince > rules.version) return;
  if (item.keptOnPage && !rules.wholeImage) return;
  const std::size_t at = item.offset + ItemElementSize(item) * static_cast<std::size_t>(index);
  if (item.kind == ItemKind::kWord) {
    WriteRaw(image, at, FieldWidth::kWord, value);
    return;
  }
  if (item.kind == ItemKind::kSignedByte || item.kind == ItemKind::kFlag) {
    WriteRaw(image, at, FieldWidth::kByte, value);
    return;
  }
  std::int32_t scale = item.scale;
  if (item.kind == ItemKind::kServoValue && image[item.percentFlag] != 0) scale = 1;
  if (item.olderScale != 0 && rules.version < item.olderUntil) scale = item.olderScale;
  WriteRaw(image, at, FieldWidth::kByte, (static_cast<std::int32_t>(value) - item.shift) / scale);
}

}  // namespace

// Digit by digit modulo 65536, so no length of digits overflows.
std::optional<std::uint16_t> ParseConfigNumber(std::string_view text) {
  bool negative = false;
  std::size_t i = 0;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    i = 1;
  }
  if (i == text.size()) return std::nullopt;
  std::uint32_t v = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    v = (v * 10 + static_cast<std::uint32_t>(text[i] - '0')) & 0xFFFF;
  }
  if (negative) v = (0x10000 - v) & 0xFFFF;
  return static_cast<std::uint16_t>(v);
}

bool CConfigTokens::Next(ConfigToken& token) {
  if (m_pushed) {
    token = *m_pushed;
    m_pushed.reset();
    return true;
  }
  for (;;) {
    for (; m_pos < m_bytes.size() && IsBlank(m_bytes[m_pos]); ++m_pos) {
      if (m_bytes[m_pos] == '\n') {
        ++m_line;
        m_lineStart = true;
      }
    }
    if (m_pos >= m_bytes.size()) return false;
    const std::size_t start = m_pos;
    while (m_pos < m_bytes.size() && !IsBlank(m_bytes[m_pos])) ++m_pos;
    token = {m_bytes.substr(start, m_pos - start), m_line};
    const bool first = m_lineStart;
    m_lineStart = false;
    if (first && std::ranges::find(kIdentificationLines, token.text) != std::end(kIdentificationLines)) {
      while (m_pos < m_bytes.size() && m_bytes[m_pos] != '\n') ++m_pos;
      continue;
    }
    m_lastLine = m_line;
    return true;
  }
}

std::string_view CConfigTokens::RestAfterLine() const {
  const std::size_t eol = m_bytes.find('\n', m_pos);
  return eol == std::string_view::npos ? std::string_view{} : m_bytes.substr(eol + 1);
}

bool ReadConfigItems(CConfigTokens& tokens, std::span<const ConfigItem> items, const ConfigStoreRules& rules,
                     ConfigImage& image, std::optional<std::uint16_t> firstValue, int& problemLine) {
  for (const ConfigItem& item : items) {
    if (item.kind == ItemKind::kAction && rules.act) rules.act(item.action);
    if (!IsValueItem(item) || item.since > rules.version) continue;
    for (int i = 0; i < item.count; ++i) {
      std::uint16_t value = 0;
      if (firstValue) {
        value = *firstValue;
        firstValue.reset();
      } else {
        ConfigToken token;
        if (!tokens.Next(token)) {
          problemLine = tokens.LastLine();
          return false;
        }
        const std::optional<std::uint16_t> number = ParseConfigNumber(token.text);
        if (!number) {
          problemLine = token.line;
          tokens.PushBack(token);
          return false;
        }
        value = *number;
      }
      Store(item, i, value, rules, image);
    }
  }
  return true;
}
