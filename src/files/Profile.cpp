#include "files/Profile.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace {

constexpr std::string_view kBlanks = " \t\r\v\f";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view s) {
  const std::size_t first = s.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(kBlanks) - first + 1);
}

bool IsBlank(char c) { return kBlanks.find(c) != std::string_view::npos; }
bool IsQuote(char c) { return c == '"' || c == '\''; }

bool SameName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return lower(x) == lower(y);
  });
}

// "[name]" (a missing "]" closes at the end of the line).
std::optional<std::string_view> SectionName(std::string_view line) {
  line = Trim(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  line.remove_prefix(1);
  return Trim(line.substr(0, line.find(']')));
}

struct Entry {
  std::string_view key;
  std::string_view value;  // trimmed, still quoted
};

std::optional<Entry> KeyLine(std::string_view line) {
  line = Trim(line);
  if (line.empty() || line.front() == '[' || line.front() == ';' || line.front() == '#') return std::nullopt;
  const std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  const std::string_view key = Trim(line.substr(0, eq));
  if (key.empty()) return std::nullopt;
  return Entry{key, Trim(line.substr(eq + 1))};
}

bool IsQuoted(std::string_view v) { return v.size() >= 2 && IsQuote(v.front()) && v.back() == v.front(); }

std::string_view Unquote(std::string_view v) { return IsQuoted(v) ? v.substr(1, v.size() - 2) : v; }

}  // namespace

CProfile::CProfile(std::string_view text) {
  // An editor's byte-order mark would otherwise hide the first section.
  m_bom = text.substr(0, kUtf8Bom.size()) == kUtf8Bom;
  if (m_bom) text.remove_prefix(kUtf8Bom.size());
  while (!text.empty()) {
    const std::size_t nl = text.find('\n');
    std::string_view line = text.substr(0, nl);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    m_lines.emplace_back(line);
    if (nl == std::string_view::npos) break;
    text.remove_prefix(nl + 1);
  }
}

std::string CProfile::Text() const {
  std::string text(m_bom ? kUtf8Bom : std::string_view{});
  for (const std::string& line : m_lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

std::optional<CProfile::Span> CProfile::FindSection(std::string_view section) const {
  for (std::size_t i = 0; i < m_lines.size(); ++i) {
    const auto name = SectionName(m_lines[i]);
    if (!name || !SameName(*name, section)) continue;
    std::size_t end = i + 1;
    while (end < m_lines.size() && !SectionName(m_lines[end])) ++end;
    return Span{i + 1, end};
  }
  return std::nullopt;
}

std::optional<std::size_t> CProfile::FindKeyLine(Span span, std::string_view key) const {
  for (std::size_t i = span.begin; i < span.end; ++i) {
    const auto entry = KeyLine(m_lines[i]);
    if (entry && SameName(entry->key, key)) return i;
  }
  return std::nullopt;
}

std::optional<std::string> CProfile::Find(std::string_view section, std::string_view key) const {
  const auto span = FindSection(section);
  if (!span) return std::nullopt;
  const auto line = FindKeyLine(*span, key);
  if (!line) return std::nullopt;
  return std::string(Unquote(KeyLine(m_lines[*line])->value));
}

std::string CProfile::GetString(std::string_view section, std::string_view key, std::string_view fallback) const {
  auto value = Find(section, key);
  return value ? std::move(*value) : std::string(fallback);
}

int CProfile::GetInt(std::string_view section, std::string_view key, int fallback) const {
  const auto value = Find(section, key);
  if (!value || value->empty()) return fallback;
  std::string_view s = Trim(*value);
  bool negative = false;
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  std::int64_t n = 0;
  for (char c : s) {
    if (c < '0' || c > '9') break;
    n = std::min<std::int64_t>(n * 10 + (c - '0'), std::int64_t{INT_MAX} + 1);
  }
  if (negative) n = -n;
  return static_cast<int>(std::clamp<std::int64_t>(n, INT_MIN, INT_MAX));
}

bool CProfile::SetString(std::string_view section, std::string_view key, std::string_view value) {
  if (value.find_first_of("\r\n") != std::string_view::npos) return false;
  const bool quote = !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()) || IsQuoted(value));
  std::string line = std::string(key) + "=";
  if (quote) line += '"';
  line += value;
  if (quote) line += '"';

  const auto span = FindSection(section);
  if (!span) {
    if (!m_lines.empty() && !Trim(m_lines.back()).empty()) m_lines.emplace_back();
    m_lines.push_back("[" + std::string(section) + "]");
    m_lines.push_back(std::move(line));
    return true;
  }
  if (const auto at = FindKeyLine(*span, key)) {
    // The key as the file spells it.
    m_lines[*at] = std::string(KeyLine(m_lines[*at])->key) + line.substr(key.size());
    return true;
  }
  // After the section's last entry, before the blank lines that part it
  // from the next section.
  std::size_t at = span->end;
  while (at > span->begin && Trim(m_lines[at - 1]).empty()) --at;
  m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
  return true;
}

void CProfile::SetInt(std::string_view section, std::string_view key, int value) {
  SetString(section, key, std::to_string(value));
}
