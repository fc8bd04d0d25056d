#include "image/InjectionCoupling.h"

#include <algorithm>
#include <array>
#include <limits>
#include <span>

#include "image/MapStorage.h"
#include "image/ParamSet.h"
#include "image/ReferenceTables.h"
#include "sheet/ValueText.h"

namespace {

constexpr TColor kTimeColour = 0xF4FEE4;
constexpr TColor kPercentColour = 0xFCF2E4;
constexpr std::string_view kTimeBackground = "BGINJG";
constexpr std::string_view kPercentBackground = "BGINJB";
// Sheets with a percent view: maps 1-4 and "Inj. IAP".
constexpr std::array<int, 5> kPercentSheets{0, 1, 2, 3, kInjectionIapSheet};

std::size_t Idx(int x, int y) { return static_cast<std::size_t>(y * kCellStride + x); }

bool HasMaps(const CTabModel& injection) { return injection.SheetCount() >= kInjectionMapCount; }

std::int32_t ClampToData(const CSheet& s, std::int64_t v) {
  return static_cast<std::int32_t>(
      std::clamp<std::int64_t>(v, s.dataAxis.min, std::max(s.dataAxis.min, s.dataAxis.max)));
}

// A follower takes its leader's points and counts.
void TakePoints(CSheet& dst, const CSheet& src) {
  dst.xAxis.values = src.xAxis.values;
  dst.yAxis.values = src.yAxis.values;
  dst.xAxis.count = src.xAxis.count;
  dst.yAxis.count = src.yAxis.count;
  ApplySheetAxisRules(dst, kPartX | kPartY | kPartResetElastic);
  dst.UpdateFixedIndices();
}

// Shown values follow the absolute times under the sheet's own base.
void Refresh(CSheet& s) {
  CTabModel::ComputeCellBase(s);
  CTabModel::ShownFromAbsolute(s);
}

// Leaving "1=2=3=4": the unit ran every cylinder on map 1, so maps 2-4 take its times.
void CopyMap1(CTabModel& injection) {
  const CSheet& m1 = injection.Sheet(0);
  for (int k = 1; k < kInjectionMapCount; ++k) {
    CSheet& mk = injection.Sheet(k);
    if (!mk.PercentCapable() || !m1.PercentCapable()) continue;
    TakePoints(mk, m1);
    mk.absolute = m1.absolute;
    Refresh(mk);
  }
}

// Reference points: speeds in rpm become hundreds of rpm, rows in tenths of
// a percent or a kPa become whole ones; times in 10 µs become the sheet's 0.1 µs.
bool FillBase(CSheet& s, const ReferenceTable& t) {
  const std::size_t nx = t.speedPoints.size(), ny = t.rowPoints.size();
  if (nx < 1 || ny < 1 || nx > kMaxXPoints || ny > kMaxYPoints || t.values.size() < nx * ny) return false;
  for (std::size_t x = 0; x < nx; ++x) s.baseX[x] = t.speedPoints[x] / 100;
  for (std::size_t y = 0; y < ny; ++y) s.baseY[y] = t.rowPoints[y] / 10;
  for (std::size_t y = 0; y < ny; ++y)
    for (std::size_t x = 0; x < nx; ++x)
      s.baseData[Idx(static_cast<int>(x), static_cast<int>(y))] = static_cast<std::int32_t>(std::clamp<std::int64_t>(
          static_cast<std::int64_t>(t.values[y * nx + x]) * 100, 0, std::numeric_limits<std::int32_t>::max()));
  s.baseXCount = static_cast<int>(nx);
  s.baseYCount = static_cast<int>(ny);
  return true;
}

}  // namespace

void ApplyCouplingView(CTabModel& injection, int mode, int cylinders) {
  if (!HasMaps(injection)) return;
  mode = EffectiveCouplingMode(mode);
  const int cyl = std::clamp(cylinders, 1, kInjectionMapCount);
  const int shown = mode == kCouplingAllEqual ? 1 : cyl;
  const int leaderYEditable = injection.Sheet(0).yAxis.editable;
  for (int i = 0; i < kInjectionMapCount; ++i) {
    CSheet& s = injection.Sheet(i);
    const bool follower = mode == kCouplingCoupled && i > 0;
    s.hidden = i >= shown ? 1 : 0;
    s.linkLeaderId = mode == kCouplingCoupled && i == 0 ? 1 : 0;
    s.linkFollowerId = follower ? 1 : 0;
    s.xAxis.editable = follower ? 0 : 1;
    s.dataAxis.editable = follower ? 0 : 1;
    // The throttle points are fixed on every map: leaving the link must not
    // make them editable on maps 2-4 alone.
    if (i > 0) s.yAxis.editable = follower ? 0 : leaderYEditable;
  }
  const char* title = shown > 1 ? "Inj. 1" : (cyl == 1 ? "Injection TPS" : "Injection TPS united");
  if (injection.Sheet(0).title != title) injection.SetSheetTitle(0, title);
  const CSheet* active = injection.Active();
  if (active && active->hidden) injection.SelectSheet(0);
  injection.RequestRedraw(kRedraw | kRelayout);
}

CouplingPictureState CouplingPicture(int mode, int cylinders) {
  mode = EffectiveCouplingMode(mode);
  const int cyl = std::clamp(cylinders, 1, kInjectionMapCount);
  CouplingPictureState p;
  if (mode == kCouplingNormal || cyl < 2) return p;
  p.visible = true;
  p.colour = mode == kCouplingCoupled ? clYellow : clAqua;
  // The texts in full: "1 -> 2", "1 -> 2,3", "1 -> 2,3,4" and "1 = 2" ...
  static constexpr const char* kCoupled[] = {"1 -> 2", "1 -> 2,3", "1 -> 2,3,4"};
  static constexpr const char* kAllEqual[] = {"1 = 2", "1 = 2 = 3", "1 = 2 = 3 = 4"};
  p.text = (mode == kCouplingAllEqual ? kAllEqual : kCoupled)[cyl - 2];
  return p;
}

void CCouplingCopy::Take(const CSheet& map1) {
  m_valid = map1.PercentCapable();
  m_xCount = map1.xAxis.count;
  m_yCount = map1.yAxis.count;
  m_absolute = map1.absolute;
}

bool CCouplingCopy::Propagate(CTabModel& injection) const {
  if (!HasMaps(injection)) return false;
  const CSheet& m1 = injection.Sheet(0);
  if (!m1.PercentCapable()) return false;
  const bool sameShape = m_valid && m1.xAxis.count == m_xCount && m1.yAxis.count == m_yCount;
  bool changed = false;
  for (int k = 1; k < kInjectionMapCount; ++k) {
    CSheet& mk = injection.Sheet(k);
    if (!mk.PercentCapable()) continue;
    TakePoints(mk, m1);
    CTabModel::ComputeCellBase(mk);
    if (sameShape) {
      for (int y = 0; y < m1.yAxis.count; ++y)
        for (int x = 0; x < m1.xAxis.count; ++x) {
          const std::int64_t a = m1.absolute[Idx(x, y)], b = m_absolute[Idx(x, y)];
          if (a == b) continue;
          // In 64 bits: a large cut of map 1 must floor at 0, not wrap into a long time.
          std::int64_t n = (a - b) * 100;
          n = (n + (n > 0 ? 50 : -50)) / m1.BaseOf(x, y);
          const std::int64_t c = mk.BaseOf(x, y), s = mk.absolute[Idx(x, y)];
          const std::int64_t v = (s * 100 + 50) / c + n;
          const std::int32_t r = ClampToData(mk, (c * v + 50) / 100);
          changed = changed || r != s;
          mk.absolute[Idx(x, y)] = r;
        }
    }
    CTabModel::ShownFromAbsolute(mk);
  }
  injection.RequestRedraw(kRedraw);
  return changed;
}

void AfterInjectionChange(CTabModel& injection, int mode, CCouplingCopy& copy) {
  if (!HasMaps(injection)) return;
  if (EffectiveCouplingMode(mode) == kCouplingCoupled) copy.Propagate(injection);
  if (CSheet* s = injection.Active(); s && s->PercentCapable()) {
    CTabModel::ComputeCellBase(*s);
    CTabModel::AbsoluteFromShown(*s);
    CTabModel::ShownFromAbsolute(*s);
  }
  copy.Take(injection.Sheet(0));
}

void ResampleOntoMap1(CTabModel& injection) {
  if (!HasMaps(injection)) return;
  const CSheet& m1 = injection.Sheet(0);
  for (int k = 1; k < kInjectionMapCount; ++k) {
    CSheet& mk = injection.Sheet(k);
    if (!mk.PercentCapable()) continue;
    // Times, not percentages: the maps' bases differ, a percentage means
    // another time on each.
    std::vector<std::int32_t> out = mk.absolute;
    for (int y = 0; y < m1.yAxis.count; ++y)
      for (int x = 0; x < m1.xAxis.count; ++x)
        out[Idx(x, y)] = ClampToData(
            mk, RoundHalfAway(SampleBilinear(mk.xAxis.values, mk.xAxis.count, mk.yAxis.values, mk.yAxis.count,
                                             mk.absolute, m1.xAxis.values[static_cast<std::size_t>(x)],
                                             m1.yAxis.values[static_cast<std::size_t>(y)])));
    TakePoints(mk, m1);
    mk.absolute = std::move(out);
    Refresh(mk);
    ApplySheetAxisRules(mk, kPartData);
  }
}

void ApplyCouplingCommand(CTabModel& injection, CParamSet& params, CCouplingCopy& copy, int target) {
  if (!HasMaps(injection)) return;
  target = EffectiveCouplingMode(target);
  const int old = EffectiveCouplingMode(params.Value(FieldId::kInjectionCoupling));
  bool rewritten = false;
  if (old == kCouplingAllEqual && target != kCouplingAllEqual) {
    CopyMap1(injection);
    rewritten = true;
  }
  params.Value(FieldId::kInjectionCoupling) = target;
  if (target == kCouplingCoupled) {
    ResampleOntoMap1(injection);
    rewritten = true;
    // Entering the link: only edits from now on may propagate.
    copy.Take(injection.Sheet(0));
  }
  if (!rewritten) return;
  for (int k = 1; k < kInjectionMapCount; ++k)
    params.Grid(static_cast<MapId>(static_cast<int>(MapId::kInjection1) + k)) = injection.StoreSheet(k);
  injection.RequestRedraw(kRedraw);
}

void SetInjectionDisplay(CTabModel& injection, bool asTime, const BackgroundLookup& backgrounds) {
  auto picture = [&](std::string_view name) { return backgrounds ? backgrounds(name) : nullptr; };
  for (int i : kPercentSheets) {
    if (!injection.ValidSheet(i)) continue;
    CSheet& s = injection.Sheet(i);
    // Never percent of nothing: a sheet without a base table shows times.
    const bool percent = !asTime && s.HasBaseTable();
    // An edit still waiting in the change gate keeps its value across the switch.
    CTabModel::AbsoluteFromShown(s);
    s.percentMode = percent ? 1 : 0;
    CTabModel::ShownFromAbsolute(s);
    const TColor colour = percent ? kPercentColour : kTimeColour;
    s.xAxis.colour = colour;
    s.dataAxis.colour = colour;
    if (i != kInjectionIapSheet) s.yAxis.colour = colour;  // the IAP rows keep their own colour
    s.dataAxis.background = picture(percent ? kPercentBackground : kTimeBackground);
  }
  if (injection.ValidSheet(kInjectionBSheet)) {
    CSheet& b = injection.Sheet(kInjectionBSheet);
    b.xAxis.colour = b.yAxis.colour = b.dataAxis.colour = kPercentColour;
    b.dataAxis.background = picture(kPercentBackground);
  }
  injection.RequestRedraw(kRedraw);
}

bool ApplyBaseTables(CTabModel& injection, const IReferenceTables& tables, int bike) {
  const InjectionReference* ref = tables.Find(bike);
  bool any = false;
  for (int i : kPercentSheets) {
    if (!injection.ValidSheet(i) || !injection.Sheet(i).PercentCapable()) continue;
    CSheet& s = injection.Sheet(i);
    CTabModel::AbsoluteFromShown(s);
    bool has = false;
    if (ref) has = FillBase(s, i == kInjectionIapSheet ? ref->iap : (i == 0 || i == 3 ? ref->maps14 : ref->maps23));
    if (!has) {
      s.baseXCount = s.baseYCount = 0;
      std::fill(s.cellBase.begin(), s.cellBase.end(), 0);
      s.percentMode = 0;
    }
    any = any || has;
    Refresh(s);
  }
  injection.RequestRedraw(kRedraw);
  return any;
}
