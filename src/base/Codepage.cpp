#include "base/Codepage.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

#include "base/Lang.h"

namespace {
constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";  // U+FFFD

class Iconv {
 public:
  Iconv(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
  ~Iconv() {
    if (Ok()) iconv_close(m_cd);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  // (iconv_t)-1 is how iconv_open reports failure.
  bool Ok() const { return m_cd != reinterpret_cast<iconv_t>(-1); }  // NOLINT(performance-no-int-to-ptr)
  iconv_t Get() const { return m_cd; }

 private:
  iconv_t m_cd;
};

// Bytes to drop for the character at `p`: a whole well-formed sequence (a
// character the code page lacks), else one byte, so that the bytes after a
// malformed one are converted again.
std::size_t Utf8Skip(const char* p, std::size_t left) {
  const auto lead = static_cast<unsigned char>(p[0]);
  std::size_t n = 1;
  if (lead >= 0xC2 && lead <= 0xDF)
    n = 2;
  else if (lead >= 0xE0 && lead <= 0xEF)
    n = 3;
  else if (lead >= 0xF0 && lead <= 0xF4)
    n = 4;
  if (n > left) return 1;
  for (std::size_t i = 1; i < n; ++i)
    if ((static_cast<unsigned char>(p[i]) & 0xC0) != 0x80) return 1;
  return n;
}

// Runs `in` through `cd`. On a sequence that cannot be converted, appends
// `replacement` and lets `skip` decide how many input bytes to drop.
template <typename Skip>
std::string Convert(iconv_t cd, std::string_view in, std::string_view replacement, Skip skip, std::size_t* replaced) {
  std::string out;
  out.reserve(in.size() * 2 + 8);
  char buffer[256];
  char* src = const_cast<char*>(in.data());  // iconv's interface is not const-correct
  std::size_t srcLeft = in.size();
  std::size_t count = 0;
  while (srcLeft > 0) {
    char* dst = buffer;
    std::size_t dstLeft = sizeof buffer;
    const std::size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    out.append(buffer, static_cast<std::size_t>(dst - buffer));
    if (rc != static_cast<std::size_t>(-1)) continue;
    if (errno == E2BIG) continue;  // buffer full: drain and go on
    // EILSEQ (not representable or malformed) or EINVAL (cut short at the end)
    const std::size_t n = std::min(skip(src, srcLeft), srcLeft);
    src += n;
    srcLeft -= n;
    out.append(replacement);
    ++count;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
  }
  if (replaced) *replaced = count;
  return out;
}
}  // namespace

CodePage CodePageForLanguage(int language) {
  return language == kCzech ? CodePage::kWindows1250 : CodePage::kWindows1252;
}

const char* CodePageName(CodePage page) { return page == CodePage::kWindows1250 ? "WINDOWS-1250" : "WINDOWS-1252"; }

std::string ToCodePage(std::string_view utf8, CodePage page, std::size_t* replaced) {
  Iconv cd(CodePageName(page), "UTF-8");
  if (!cd.Ok()) {
    // No converter installed: plain ASCII still goes through unchanged.
    std::string out;
    std::size_t count = 0;
    for (std::size_t i = 0; i < utf8.size();) {
      if (static_cast<unsigned char>(utf8[i]) < 0x80) {
        out += utf8[i];
        ++i;
      } else {
        out += '?';
        ++count;
        i += Utf8Skip(utf8.data() + i, utf8.size() - i);
      }
    }
    if (replaced) *replaced = count;
    return out;
  }
  return Convert(cd.Get(), utf8, "?", Utf8Skip, replaced);
}

std::string FromCodePage(std::string_view bytes, CodePage page, std::size_t* replaced) {
  Iconv cd("UTF-8", CodePageName(page));
  auto skip = [](const char*, std::size_t) -> std::size_t { return 1; };
  if (!cd.Ok()) {
    std::string out;
    std::size_t count = 0;
    for (char ch : bytes) {
      if (static_cast<unsigned char>(ch) < 0x80) {
        out += ch;
      } else {
        out.append(kReplacementUtf8);
        ++count;
      }
    }
    if (replaced) *replaced = count;
    return out;
  }
  return Convert(cd.Get(), bytes, kReplacementUtf8, skip, replaced);
}
