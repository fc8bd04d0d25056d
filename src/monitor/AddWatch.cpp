#include "monitor/AddWatch.h"

#include <algorithm>
#include <memory>

#include "monitor/MonitorComponents.h"

namespace {

// Layout of one row of new elements, in layout units.
constexpr int kIndentPerLevel = 10;
constexpr int kValueGap = 10;      // label to value
constexpr int kIndicatorGap = 20;  // label and value to indicator
constexpr int kIndicatorWidth = 80;
constexpr int kIndicatorHeight = 32;
constexpr int kIndicatorDrop = 4;  // the bar sits a little lower than the texts
constexpr int kRowStep = kNewTextHeight;

constexpr int kColumnKind[kWatchColumns] = {kKindLabel, kKindValue, kKindIndicator};

bool Shows(const CMyComponent& item, int kind, int id) { return item.kind == kind && item.id == id; }

void RemoveShown(CMyGroup& place, int kind, int id) {
  for (int i = place.Count() - 1; i >= 0; --i)
    if (Shows(*place.Item(i), kind, id)) place.Remove(place.Item(i));
}

const CMyComponent* FirstShown(const CMyGroup& place, int kind, int id) {
  for (int i = 0; i < place.Count(); ++i)
    if (Shows(*place.Item(i), kind, id)) return place.Item(i);
  return nullptr;
}

template <class T>
T* NewElement(CMyGroup& place, const CParameterCatalogue& catalogue, int id, int left, int top, int height) {
  T* e = place.Insert(std::make_unique<T>());
  e->SetParameter(catalogue, id);
  e->SetScale(place.scale);
  e->Left = left;
  e->Top = top;
  e->Height = height;
  return e;
}

int Right(const CMyComponent& c) { return c.Left + c.Width; }

}  // namespace

WatchChecks ExistingWatches(const CMyGroup& place, int id) {
  WatchChecks checks{};
  for (std::size_t k = 0; k < kWatchColumns; ++k) checks[k] = FirstShown(place, kColumnKind[k], id) != nullptr;
  return checks;
}

void ApplyWatchChanges(CMyGroup& place, const CParameterCatalogue& catalogue, const std::vector<WatchChange>& changes,
                       int x, int y) {
  bool changed = false;
  int row = 0;
  std::vector<const CMyComponent*> before;
  before.reserve(std::size_t(place.Count()));
  for (int i = 0; i < place.Count(); ++i) before.push_back(place.Item(i));
  for (const WatchChange& c : changes) {
    for (std::size_t k = 0; k < kWatchColumns; ++k)
      if (c.removed[k]) {
        RemoveShown(place, kColumnKind[k], c.id);
        changed = true;
      }
    const bool addLabel = c.added[kWatchLabel], addValue = c.added[kWatchValue];
    const bool addIndicator = c.added[kWatchIndicator];
    if (!addLabel && !addValue && !addIndicator) continue;
    changed = true;

    const int left = x + kIndentPerLevel * c.depth, top = y + kRowStep * row;
    // A YES/NO or running indicator shows the state by itself: it takes the
    // place of the parameter's label and value, which go.
    if (addIndicator && catalogue.GetDef(c.id).shown != DisplayKind::kNumber) {
      const CMyComponent* old = FirstShown(place, kKindLabel, c.id);
      if (!old) old = FirstShown(place, kKindValue, c.id);
      const int ix = old ? old->Left : left, iy = old ? old->Top : top;
      RemoveShown(place, kKindLabel, c.id);
      RemoveShown(place, kKindValue, c.id);
      NewElement<CMyIndicator>(place, catalogue, c.id, ix, iy, kIndicatorHeight)->Width = kIndicatorWidth;
      if (!old) ++row;  // only what lands at the menu point takes a row
      continue;
    }

    int next = left;  // where the next element of the row starts
    const CMyObj* last = nullptr;
    if (addLabel) {
      auto* label = NewElement<CMyLabel>(place, catalogue, c.id, next, top, kNewTextHeight);
      label->FitWidth();
      next = Right(*label) + kValueGap;
      last = label;
    }
    if (addValue) {
      auto* value = NewElement<CMyValue>(place, catalogue, c.id, next, top, kNewTextHeight);
      value->FitWidth();
      last = value;
    }
    if (addIndicator) {
      const int ix = last ? Right(*last) + kIndicatorGap : left;
      NewElement<CMyIndicator>(place, catalogue, c.id, ix, top + kIndicatorDrop, kIndicatorHeight)->Width =
          kIndicatorWidth;
    }
    ++row;
  }
  std::vector<CMyComponent*> added;
  for (int i = 0; i < place.Count(); ++i)
    if (std::find(before.begin(), before.end(), place.Item(i)) == before.end()) added.push_back(place.Item(i));
  KeepBlockInsidePlace(place, added);
  if (changed) place.Invalidate(kDirtyAll);
}

namespace {

// The container's size in layout units. Elements live in layout units; the
// container's pixel size differs from them whenever the set is shown scaled.
int LayoutWidth(const CMyGroup& place) { return place.origWidth > 0 ? place.origWidth : place.Width; }
int LayoutHeight(const CMyGroup& place) { return place.origHeight > 0 ? place.origHeight : place.Height; }

}  // namespace

void KeepBlockInsidePlace(const CMyGroup& place, const std::vector<CMyComponent*>& items) {
  int right = 0, bottom = 0;
  for (const CMyComponent* item : items) {
    right = std::max(right, Right(*item));
    bottom = std::max(bottom, item->Top + item->Height);
  }
  // The rows move together, left and up as far as they pass the edges.
  const int dx = std::min(0, LayoutWidth(place) - right), dy = std::min(0, LayoutHeight(place) - bottom);
  for (CMyComponent* p : items) {
    CMyComponent& item = *p;
    item.Left += dx;
    item.Top += dy;
    KeepInsidePlace(item, place);
  }
}

void KeepInsidePlace(CMyComponent& item, const CMyGroup& place) {
  const int w = LayoutWidth(place);
  const int h = LayoutHeight(place);
  if (item.Left + item.Width > w) item.Left = w - item.Width;
  if (item.Top + item.Height > h) item.Top = h - item.Height;
  item.Left = std::max(item.Left, 0);
  item.Top = std::max(item.Top, 0);
}
