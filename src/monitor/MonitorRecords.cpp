#include "monitor/MonitorRecords.h"

#include <cstdint>
#include <cstdlib>
#include <iterator>

#include "link/ParameterCatalogue.h"

namespace {

std::int32_t ReadLe32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return std::int32_t(std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 |
                      std::uint32_t(b[at + 3]) << 24);
}

// The integers that an element and its record share as they are.
constexpr std::int32_t CemRecord::*kSameFields[] = {
    &CemRecord::Left, &CemRecord::Top,    &CemRecord::Width,  &CemRecord::Height,  &CemRecord::focusable,
    &CemRecord::Down, &CemRecord::AlignV, &CemRecord::AlignH, &CemRecord::rszable, &CemRecord::nprable,
    &CemRecord::ow,   &CemRecord::oh,     &CemRecord::minw,   &CemRecord::minh,    &CemRecord::maxw,
    &CemRecord::maxh, &CemRecord::id,
};
constexpr int CMyComponent::*kElementFields[] = {
    &CMyComponent::Left, &CMyComponent::Top,    &CMyComponent::Width,  &CMyComponent::Height,  &CMyComponent::focusable,
    &CMyComponent::Down, &CMyComponent::AlignV, &CMyComponent::AlignH, &CMyComponent::rszable, &CMyComponent::nprable,
    &CMyComponent::ow,   &CMyComponent::oh,     &CMyComponent::minw,   &CMyComponent::minh,    &CMyComponent::maxw,
    &CMyComponent::maxh, &CMyComponent::id,
};
static_assert(std::size(kSameFields) == std::size(kElementFields));

// Colours: system colours are marked differently in the file.
constexpr std::int32_t CemRecord::*kStoredColours[] = {&CemRecord::Color, &CemRecord::ltframe, &CemRecord::dkframe,
                                                       &CemRecord::TextColor};
constexpr TColor CMyComponent::*kElementColours[] = {&CMyComponent::Color, &CMyComponent::ltframe,
                                                     &CMyComponent::dkframe, &CMyComponent::TextColor};

bool HasMark(int kind) { return kind == kKindLabel || kind == kKindValue || kind == kKindIndicator; }

std::unique_ptr<CMyObj> NewElement(int kind) {
  switch (kind) {
    case kKindPicture:
      return std::make_unique<CMyImage>();
    case kKindText:
      return std::make_unique<CMyText>();
    case kKindLabel:
      return std::make_unique<CMyLabel>();
    case kKindValue:
      return std::make_unique<CMyValue>();
    case kKindIndicator:
      return std::make_unique<CMyIndicator>();
    default:
      return nullptr;
  }
}

}  // namespace

MonTextSize BmpPixelSize(const std::vector<std::uint8_t>& bytes) {
  // File header (14 bytes), then the info header's size, width and height;
  // a negative height marks a top-down bitmap.
  if (bytes.size() < 26 || bytes[0] != 'B' || bytes[1] != 'M') return {};
  // The header comes from a file: no magnitude for the one value without one.
  const auto magnitude = [](std::int32_t v) { return v == INT32_MIN ? 0 : std::abs(v); };
  return {magnitude(ReadLe32(bytes, 18)), magnitude(ReadLe32(bytes, 22))};
}

CemRecord RecordFromElement(const CMyObj& e, int number) {
  CemRecord r;
  r.kind = e.kind;
  switch (e.kind) {
    case kKindLabel:
      r.number = static_cast<const CMyLabel&>(e).units;
      break;
    case kKindIndicator:
      r.number = static_cast<const CMyIndicator&>(e).Style;
      break;
    case kKindText:
    case kKindPicture:
      r.number = number;
      break;
    default:
      break;
  }
  r.ColorMk = HasMark(e.kind) ? StoredColour(e.ColorMk) : 0;
  for (std::size_t i = 0; i < std::size(kSameFields); ++i) r.*kSameFields[i] = e.*kElementFields[i];
  for (std::size_t i = 0; i < std::size(kStoredColours); ++i)
    r.*kStoredColours[i] = StoredColour(e.*kElementColours[i]);
  if (e.kind == kKindText) r.text = CemTextFromUtf8(static_cast<const CMyText&>(e).text);
  if (e.kind == kKindPicture) r.picture = static_cast<const CMyImage&>(e).picture;
  return r;
}

std::unique_ptr<CMyObj> ElementFromRecord(const CemRecord& r, const CParameterCatalogue& catalogue) {
  std::unique_ptr<CMyObj> e = NewElement(r.kind);
  if (!e) return nullptr;
  for (std::size_t i = 0; i < std::size(kSameFields); ++i) e.get()->*kElementFields[i] = r.*kSameFields[i];
  for (std::size_t i = 0; i < std::size(kStoredColours); ++i)
    e.get()->*kElementColours[i] = ColourFromStored(r.*kStoredColours[i]);
  if (HasMark(r.kind)) e->ColorMk = ColourFromStored(r.ColorMk);
  e->SetParameter(catalogue, r.id);
  switch (r.kind) {
    case kKindLabel:
      static_cast<CMyLabel&>(*e).units = r.number;
      break;
    case kKindIndicator:
      static_cast<CMyIndicator&>(*e).Style = r.number;
      break;
    case kKindText:
      static_cast<CMyText&>(*e).SetStr(CemTextToUtf8(r.text));
      break;
    case kKindPicture: {
      auto& image = static_cast<CMyImage&>(*e);
      image.picture = r.picture;
      const MonTextSize size = BmpPixelSize(image.picture);
      image.pictureWidth = size.width;
      image.pictureHeight = size.height;
      break;
    }
    default:
      break;
  }
  return e;
}

std::vector<CemRecord> RecordsFromPlace(const CMyGroup& place) {
  std::vector<CemRecord> records;
  int texts = 0, pictures = 0;
  for (const auto& item : place.items) {
    const auto* e = dynamic_cast<const CMyObj*>(item.get());
    if (!e) continue;
    const int number = e->kind == kKindText ? texts++ : e->kind == kKindPicture ? pictures++ : 0;
    records.push_back(RecordFromElement(*e, number));
  }
  return records;
}

void PlaceFromRecords(CMyGroup& place, const std::vector<CemRecord>& records, const CParameterCatalogue& catalogue) {
  place.FreeAll();
  for (const CemRecord& r : records)
    if (auto e = ElementFromRecord(r, catalogue)) place.Insert(std::move(e));
}
