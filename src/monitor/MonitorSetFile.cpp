#include "monitor/MonitorSetFile.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "files/AtomicFile.h"
#include "base/Codepage.h"

namespace {

constexpr std::size_t kBmpFileHeaderBytes = 14;
constexpr std::size_t kBmpInfoHeaderBytes = 40;
// The file header and the smallest (core) information header.
constexpr std::uint32_t kBmpMinBytes = kBmpFileHeaderBytes + 12;

constexpr TColor kSystemColourMark = 0x80000000u;
constexpr std::uint32_t kStoredSystemMark = 0xFF000000u;

bool KnownKind(std::int32_t kind) {
  return kind == kCemPicture || kind == kCemText || kind == kCemLabel || kind == kCemValue || kind == kCemIndicator;
}

// Which kinds carry `ColorMk` and which keep `units`/`Style` in integer 1.
bool HasMark(std::int32_t kind) { return kind == kCemLabel || kind == kCemValue || kind == kCemIndicator; }
bool HasUnitsOrStyle(std::int32_t kind) { return kind == kCemLabel || kind == kCemIndicator; }

static_assert(5 + std::size(kCemCommonFields) + 1 == kCemRecordBytes / 4);

// Bounds-checked little-endian reading; a read past the end fails and
// leaves the position where it was.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : m_bytes(bytes) {}

  std::size_t Left() const { return m_bytes.size() - m_at; }
  std::size_t At() const { return m_at; }

  bool Int(std::int32_t& value) {
    std::uint32_t u = 0;
    if (!UInt(u)) return false;
    value = static_cast<std::int32_t>(u);
    return true;
  }
  bool UInt(std::uint32_t& value) {
    if (Left() < 4) return false;
    value = PeekUInt(m_at);
    m_at += 4;
    return true;
  }
  std::uint32_t PeekUInt(std::size_t at) const {
    std::uint32_t u = 0;
    for (std::size_t i = 0; i < 4; ++i) u |= std::uint32_t{static_cast<unsigned char>(m_bytes[at + i])} << (8 * i);
    return u;
  }
  std::string_view Peek(std::size_t n) const { return m_bytes.substr(m_at, n); }
  std::string_view Take(std::size_t n) {
    const std::string_view part = Peek(n);
    m_at += part.size();
    return part;
  }

 private:
  std::string_view m_bytes;
  std::size_t m_at = 0;
};

void PutInt(std::string& out, std::int32_t value) {
  const auto u = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
}

void PutUInt16(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}
void PutUInt32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  PutUInt16(out, value & 0xFFFF);
  PutUInt16(out, value >> 16);
}

// Window size in the low 16 bits, the container's layout size in the high 16
// bits; a layout size of 0 leaves the high half empty and the reader then
// takes the client area.
std::int32_t PackSize(std::int32_t window, std::int32_t layout) {
  const auto high = static_cast<std::uint32_t>(std::clamp(layout, 0, 0xFFFF));
  return static_cast<std::int32_t>((high << 16) | (static_cast<std::uint32_t>(window) & 0xFFFF));
}
void UnpackSize(std::int32_t packed, std::int32_t& window, std::int32_t& layout) {
  const auto u = static_cast<std::uint32_t>(packed);
  window = static_cast<std::int32_t>(u & 0xFFFF);
  layout = static_cast<std::int32_t>(u >> 16);
}

// A text ends at its first zero byte, as the element holds it.
std::string_view UpToNul(std::string_view text) { return text.substr(0, text.find('\0')); }

CemParse Fail(int result) {
  CemParse parse;
  parse.result = result;
  return parse;
}

// Reads the text blocks and then the picture blocks; `fileNumbers` holds
// integer 1 of every record as the file gave it.
int ReadBlocks(Reader& in, const std::vector<std::int32_t>& fileNumbers, CemParse& parse) {
  auto& records = parse.set.records;
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (records[i].kind != kCemText) continue;
    std::int32_t number = 0, length = 0;
    if (!in.Int(number) || number != fileNumbers[i]) return kCemBadText;
    if (!in.Int(length) || length < 0 || static_cast<std::size_t>(length) >= in.Left()) return kCemBadText;
    records[i].text = std::string(UpToNul(in.Take(static_cast<std::size_t>(length))));
    in.Take(1);  // the terminating zero
    ++parse.textsRead;
  }
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (records[i].kind != kCemPicture) continue;
    std::int32_t number = 0;
    if (!in.Int(number) || number != fileNumbers[i]) return kCemBadPicture;
    // The bitmap's length is its own: bfSize of its file header.
    if (in.Left() < kBmpFileHeaderBytes) return kCemBadPicture;
    const std::uint32_t size = in.PeekUInt(in.At() + 2);
    if (in.Peek(2) != "BM" || size < kBmpMinBytes || size > in.Left()) return kCemBadPicture;
    const std::string_view bitmap = in.Take(size);
    records[i].picture.assign(bitmap.begin(), bitmap.end());
    ++parse.picturesRead;
  }
  return kCemOk;
}

}  // namespace

std::int32_t StoredColour(TColor colour) {
  if ((colour & 0xFF000000u) == kSystemColourMark) colour = kStoredSystemMark | (colour & 0x00FFFFFFu);
  return static_cast<std::int32_t>(colour);
}

TColor ColourFromStored(std::int32_t stored) {
  const auto colour = static_cast<TColor>(stored);
  if ((colour & 0xFF000000u) == kStoredSystemMark) return kSystemColourMark | (colour & 0x00FFFFFFu);
  return colour;
}

std::string_view CemResultMessage(int result) {
  switch (result) {
    case kCemOpenError:
      return "Open file error...";
    case kCemBadFormat:
      return "Invalid format or version of file...";
    case kCemBadText:
      return "Invalid string storage...";
    case kCemBadPicture:
      return "Invalid picture storage...";
    default:
      return "Unspecific error...";
  }
}

CemParse ParseMonitorSet(std::string_view bytes) {
  Reader in(bytes);
  std::int32_t format = 0;
  if (in.Int(format) && format != kCemFormatCode) return Fail(kCemBadFormat);
  std::array<std::int32_t, 5> header{};
  for (std::int32_t& value : header)
    if (!in.Int(value)) return Fail(kCemUnspecific);
  const std::int32_t count = header[4];
  // Checked before anything is allocated: the records must all be there.
  if (count < 0 || static_cast<std::size_t>(count) > in.Left() / kCemRecordBytes) return Fail(kCemUnspecific);

  CemParse parse;
  MonitorSet& set = parse.set;
  set.left = header[0];
  set.top = header[1];
  UnpackSize(header[2], set.width, set.origWidth);
  UnpackSize(header[3], set.height, set.origHeight);

  std::vector<std::int32_t> fileNumbers;
  set.records.reserve(static_cast<std::size_t>(count));
  fileNumbers.reserve(static_cast<std::size_t>(count));
  int texts = 0, pictures = 0;
  for (std::int32_t r = 0; r < count; ++r) {
    std::array<std::int32_t, kCemRecordBytes / 4> v{};
    for (std::int32_t& value : v) in.Int(value);
    CemRecord record;
    record.kind = v[0];
    if (!KnownKind(record.kind)) continue;  // a record of another kind creates nothing
    if (HasUnitsOrStyle(record.kind)) record.number = v[1];
    if (record.kind == kCemText) record.number = texts++;
    if (record.kind == kCemPicture) record.number = pictures++;
    if (HasMark(record.kind)) record.ColorMk = v[2];
    for (std::size_t f = 0; f < std::size(kCemCommonFields); ++f) record.*kCemCommonFields[f].member = v[5 + f];
    set.records.push_back(std::move(record));
    fileNumbers.push_back(v[1]);
  }

  parse.result = ReadBlocks(in, fileNumbers, parse);
  return parse;
}

std::string WriteMonitorSet(const MonitorSet& set) {
  std::vector<const CemRecord*> kept;
  int texts = 0, pictures = 0;
  for (const CemRecord& record : set.records) {
    if (!KnownKind(record.kind)) continue;
    if (record.kind == kCemText && texts++ >= kCemMaxTexts) continue;
    if (record.kind == kCemPicture && (record.picture.empty() || pictures++ >= kCemMaxPictures)) continue;
    kept.push_back(&record);
  }

  std::string out;
  PutInt(out, kCemFormatCode);
  PutInt(out, set.left);
  PutInt(out, set.top);
  PutInt(out, PackSize(set.width, set.origWidth));
  PutInt(out, PackSize(set.height, set.origHeight));
  PutInt(out, static_cast<std::int32_t>(kept.size()));

  texts = pictures = 0;
  for (const CemRecord* record : kept) {
    std::int32_t number = 0;
    if (HasUnitsOrStyle(record->kind)) number = record->number;
    if (record->kind == kCemText) number = texts++;
    if (record->kind == kCemPicture) number = pictures++;
    PutInt(out, record->kind);
    PutInt(out, number);
    PutInt(out, HasMark(record->kind) ? record->ColorMk : 0);
    PutInt(out, 0);
    PutInt(out, 0);
    for (const CemField& field : kCemCommonFields) PutInt(out, record->*field.member);
    PutInt(out, record->kind);
  }

  texts = 0;
  for (const CemRecord* record : kept) {
    if (record->kind != kCemText) continue;
    const std::string_view text = UpToNul(record->text);
    PutInt(out, texts++);
    PutInt(out, static_cast<std::int32_t>(text.size()));
    out.append(text);
    out.push_back('\0');
  }
  pictures = 0;
  for (const CemRecord* record : kept) {
    if (record->kind != kCemPicture) continue;
    PutInt(out, pictures++);
    out.append(record->picture.begin(), record->picture.end());
  }
  return out;
}

CemParse LoadMonitorSetFile(const std::string& path) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes).ok) return Fail(kCemOpenError);
  return ParseMonitorSet(bytes);
}

int StoreMonitorSetFile(const std::string& path, const MonitorSet& set) {
  return WriteFileAtomic(path, WriteMonitorSet(set)).ok ? kCemOk : kCemOpenError;
}

std::string CemTextFromUtf8(std::string_view utf8) { return ToCodePage(utf8, CodePage::kWindows1250); }

std::string CemTextToUtf8(std::string_view stored) { return FromCodePage(stored, CodePage::kWindows1250); }

std::vector<std::uint8_t> EncodeBmp24(int width, int height, const std::vector<std::uint32_t>& pixels) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  const auto w = static_cast<std::size_t>(width);
  const auto h = static_cast<std::size_t>(height);
  const std::size_t stride = (w * 3 + 3) / 4 * 4;  // rows are padded to whole 32-bit words
  const std::size_t offset = kBmpFileHeaderBytes + kBmpInfoHeaderBytes;
  const std::size_t size = offset + stride * h;

  std::vector<std::uint8_t> bmp;
  bmp.reserve(size);
  bmp.push_back('B');
  bmp.push_back('M');
  PutUInt32(bmp, static_cast<std::uint32_t>(size));
  PutUInt32(bmp, 0);  // reserved
  PutUInt32(bmp, static_cast<std::uint32_t>(offset));
  PutUInt32(bmp, kBmpInfoHeaderBytes);
  PutUInt32(bmp, static_cast<std::uint32_t>(width));
  PutUInt32(bmp, static_cast<std::uint32_t>(height));  // positive: bottom row first
  PutUInt16(bmp, 1);                                   // planes
  PutUInt16(bmp, 24);                                  // bits per pixel
  PutUInt32(bmp, 0);                                   // no compression
  PutUInt32(bmp, static_cast<std::uint32_t>(stride * h));
  PutUInt32(bmp, 2835);  // 72 dpi
  PutUInt32(bmp, 2835);
  PutUInt32(bmp, 0);
  PutUInt32(bmp, 0);
  for (std::size_t y = h; y-- > 0;) {
    for (std::size_t x = 0; x < w; ++x) {
      const std::size_t at = y * w + x;
      const std::uint32_t rgb = at < pixels.size() ? pixels[at] : 0;
      bmp.push_back(static_cast<std::uint8_t>(rgb & 0xFF));
      bmp.push_back(static_cast<std::uint8_t>((rgb >> 8) & 0xFF));
      bmp.push_back(static_cast<std::uint8_t>((rgb >> 16) & 0xFF));
    }
    bmp.insert(bmp.end(), stride - w * 3, 0);
  }
  return bmp;
}
