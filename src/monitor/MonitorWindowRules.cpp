#include "monitor/MonitorWindowRules.h"

#include <algorithm>
#include <cmath>

#include "link/ParameterCatalogue.h"

MonitorLayout ComputeMonitorLayout(int w, int h) {
  MonitorLayout l;
  l.place = {0, 0, w, h - kMonitorBarHeight};
  l.bar = {0, h - kMonitorBarHeight + 1, w, kMonitorBarHeight};
  const int buttonTop = h - kMonitorBarHeight + 1;
  l.pin = {0, buttonTop, 13, kMonitorBarHeight};
  l.edit = {14, buttonTop, 40, kMonitorBarHeight};
  l.status = {55, buttonTop, w - 56, kMonitorBarHeight};
  return l;
}

double MonitorScale(int placeWidth, int origWidth) {
  if (origWidth <= 0) return 1.0;
  return std::max(kMonitorMinScale, static_cast<double>(placeWidth) / origWidth);
}

std::optional<MonitorSize> ApplyMonitorResize(const MonitorResize& r) {
  if (r.editState == 3) return r.requested;
  int mw = kMonitorMinWidth, mh = kMonitorMinHeight;
  const bool edit = r.editState != 0;
  if (edit) {
    mw = std::max(mw, r.contentRight);
    mh = std::max(mh, r.contentBottom + kMonitorBarHeight);
  }
  const int NW = r.requested.width, NH = r.requested.height;
  int nw = r.place.width + NW - r.current.width;
  int nh = r.place.height + NH - r.current.height;
  const bool widthChanges = NW != r.last.width && NW != r.current.width;
  const bool heightChanges = NH != r.last.height && NH != r.current.height;
  if (!widthChanges && !heightChanges) return std::nullopt;

  if (!edit) {
    if (r.origWidth <= 0 || r.origHeight <= 0) return r.requested;
    nw = std::max(nw, 1);
    nh = std::max(nh, 1);
    if (r.heightLeads) {
      const int h = std::max(std::min(nh, r.maxHeight), mh);
      const int v =
          std::min(static_cast<int>(std::lround(static_cast<double>(r.origWidth) * h / r.origHeight)), r.maxWidth);
      return MonitorSize{NW + (std::max(v, mw) - nw), NH + (h - nh)};
    }
    const int w = std::max(std::min(nw, r.maxWidth), mw);
    const int v =
        std::min(static_cast<int>(std::lround(static_cast<double>(r.origHeight) * w / r.origWidth)), r.maxHeight);
    return MonitorSize{NW + (w - nw), NH + (std::max(v, mh) - nh)};
  }

  const bool widthInside = nw >= mw && nw <= r.maxWidth;
  const bool heightInside = nh >= mh && nh <= r.maxHeight;
  if (widthInside && heightInside) return r.requested;
  // Already at the bound the request crosses, with the other side unchanged: nothing to do.
  const bool atWidthBound = (nw < mw && r.place.width <= mw) || (nw > r.maxWidth && r.place.width >= r.maxWidth);
  const bool atHeightBound = (nh < mh && r.place.height <= mh) || (nh > r.maxHeight && r.place.height >= r.maxHeight);
  if ((!widthInside && atWidthBound && nh == r.place.height) || (!heightInside && atHeightBound && nw == r.place.width))
    return std::nullopt;
  const int w = std::clamp(nw, mw, std::max(mw, r.maxWidth));
  const int h = std::clamp(nh, mh, std::max(mh, r.maxHeight));
  return MonitorSize{NW + (w - nw), NH + (h - nh)};
}

MonitorClientSize ClientSizeFromHeader(std::int32_t width, std::int32_t height) {
  MonitorClientSize c;
  c.size = {int(width & 0xFFFF), int(height & 0xFFFF)};
  const int minHeight = kMonitorMinHeight + kMonitorBarHeight;
  if (c.size.width < kMonitorMinWidth || c.size.height < minHeight) {
    c.valid = false;
    c.size.width = std::max(c.size.width, kMonitorMinWidth);
    c.size.height = std::max(c.size.height, minHeight);
  }
  return c;
}

MonitorSize EditModeClientSize(int origWidth, int origHeight, MonitorSize place, int contentRight, int contentBottom,
                               int maxWidth, int maxHeight) {
  const int w = origWidth > 0 ? origWidth : place.width;
  const int h = origHeight > 0 ? origHeight : place.height;
  const int minW = std::max(kMonitorMinWidth, contentRight);
  const int minH = std::max(kMonitorMinHeight, contentBottom);
  return {std::clamp(w, minW, std::max(minW, maxWidth)),
          std::clamp(h, minH, std::max(minH, maxHeight)) + kMonitorBarHeight};
}

MonitorSize LoadedClientSize(MonitorSize client, int origWidth, int origHeight, int maxWidth, int maxHeight) {
  MonitorResize r;
  r.requested = client;
  // From nothing: both sides count as changing.
  r.current = {0, kMonitorBarHeight};
  r.place = {0, 0};
  r.last = {-1, -1};
  r.origWidth = origWidth;
  r.origHeight = origHeight;
  r.maxWidth = maxWidth;
  r.maxHeight = maxHeight;
  return ApplyMonitorResize(r).value_or(client);
}

std::optional<std::string_view> CMonitorCaption::Next(bool noConnectionShown, int language) {
  const int state = noConnectionShown ? 0 : 1;
  if (state == m_state && language == m_language) return std::nullopt;
  m_state = state;
  m_language = language;
  return LookupText(
      2, noConnectionShown ? "External monitor   (!!! No connection with PC !!!)" : "External monitor   (Connected)",
      language);
}

std::vector<MonitorMenuItem> MonitorMenu(const MonitorMenuState& s) {
  using enum MonitorCommand;
  std::vector<MonitorMenuItem> items;
  if (s.serviceMode) items.push_back({kStoreSource, "***Store source***"});
  items.push_back({kTogglePin, s.pinChecked ? "Normal window" : "Always on the top"});
  items.push_back({kToggleEdit, s.editChecked ? "End edit mode" : "Enter edit mode"});
  if (!s.editMode) return items;
  items.push_back({kSeparator, {}});
  items.push_back({kLoadSet, "Load monitor set"});
  items.push_back({kStoreSet, "Store monitor set"});
  items.push_back({kSeparator, {}});
  items.push_back({kInsertText, "Insert text"});
  items.push_back({kAddImage, "Add image"});
  items.push_back({kAddWatch, "Add watch"});
  if (!s.hasFocused) return items;
  items.push_back({kSeparator, {}});
  items.push_back({kDelete, "Delete"});
  items.push_back({kBackwards, "Backwards"});
  if (s.focusedKind == 1 || s.focusedKind == 2 || s.focusedKind == 4 || s.focusedKind == 8)
    items.push_back({kProperties, "Properties"});
  return items;
}

const std::array<IndicatorColour, 15> kIndicatorColours{{
    {0x000000, {0, {"Black", nullptr, nullptr, "Černá"}}},
    {0xC0C0C0, {0, {"Light gray", nullptr, nullptr, "Světle šedá"}}},
    {0x808080, {0, {"Dark gray", nullptr, nullptr, "Tmavě šedá"}}},
    {0x00FFFF, {0, {"Yellow", nullptr, nullptr, "Žlutá"}}},
    {0x008080, {0, {"Olive", nullptr, nullptr, "Olivová"}}},
    {0xFF00FF, {0, {"Fuchsia", nullptr, nullptr, "Růžová"}}},
    {0x0000FF, {0, {"Red", nullptr, nullptr, "Červená"}}},
    {0x800080, {0, {"Purple", nullptr, nullptr, "Fialová"}}},
    {0x000080, {0, {"Maroon", nullptr, nullptr, "Hnědá"}}},
    {0x00FF00, {0, {"Lime", nullptr, nullptr, "Světle zelená"}}},
    {0x008000, {0, {"Green", nullptr, nullptr, "Zelená"}}},
    {0x808000, {0, {"Teal", nullptr, nullptr, "Modrozelná"}}},
    {0xFFFF00, {0, {"Aqua", nullptr, nullptr, "Světle modrá"}}},
    {0xFF0000, {0, {"Blue", nullptr, nullptr, "Modrá"}}},
    {0x800000, {0, {"Navy", nullptr, nullptr, "Tmavě modrá"}}},
}};

std::string ParameterPath(const CParameterCatalogue& catalogue, const CID& row, int language) {
  std::vector<const CID*> chain;
  for (const CID* r = &row; r != nullptr && chain.size() < 16;) {
    chain.push_back(r);
    if (r->parent == 0) break;
    const CID& up = catalogue.GetDef(r->parent);
    r = up.id == kCidNotFound ? nullptr : &up;
  }
  std::string path;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    path += '/';
    path += (*it)->name.Get(language);
  }
  if (row.units != nullptr && *row.units != '\0') {
    path += ' ';
    path += row.units;
  }
  return path;
}
