#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Colours.h"
#include "image/MapCatalogue.h"
#include "sheet/TabModel.h"

class CParamSet;
class IReferenceTables;

// "Inj. 1" to "Inj. 4" are sheets 0-3 of the injection control; the
// catalogue owns the indices of the other two.
constexpr int kInjectionMapCount = 4;
constexpr int kInjSheetB = kInjectionBSheet;
constexpr int kInjSheetIap = kInjectionIapSheet;

// Byte 47. Any other stored value acts as normal and stays until a command.
enum CouplingMode : int { kCouplingNormal = 0, kCouplingCoupled = 1, kCouplingAllEqual = 2 };
constexpr int EffectiveCouplingMode(std::int32_t stored) {
  return stored == kCouplingCoupled || stored == kCouplingAllEqual ? static_cast<int>(stored) : kCouplingNormal;
}

// Shown maps, titles, leader/followers and editability for a mode and the
// number of cylinders; selects sheet 0 when the active sheet became hidden.
void ApplyCouplingView(CTabModel& injection, int mode, int cylinders);

// The picture on page 2 beside the injection maps.
struct CouplingPictureState {
  bool visible = false;
  std::string text;
  TColor colour = 0;
};
CouplingPictureState CouplingPicture(int mode, int cylinders);

// Map 1's absolute times and counts as they were after the last load or
// commit; propagation pushes only what changed since then into maps 2-4.
class CCouplingCopy {
 public:
  void Take(const CSheet& map1);
  // Maps 2-4 take map 1's points and counts, then each cell map 1 changed
  // since the copy changes by the same percentage of each map's own base.
  // Returns whether any map 2-4 time changed.
  bool Propagate(CTabModel& injection) const;
  bool Valid() const { return m_valid; }

 private:
  bool m_valid = false;
  int m_xCount = 0;
  int m_yCount = 0;
  std::vector<std::int32_t> m_absolute;
};

// Post-processing of a committed change of the injection control: propagation
// in mode 1, then the active sheet's base and values brought into line, then
// the copy taken again.
void AfterInjectionChange(CTabModel& injection, int mode, CCouplingCopy& copy);

// The coupling commands (Normal, Coupled, 1=2=3=4). They change the sheets,
// the parameter set's coupling byte and, for every map they rewrote, its grid
// at once, so that the store that follows carries what the screen shows. The
// caller stores the parameter set, rewrites the pages (which applies the
// view), normalises and records the history.
void ApplyCouplingCommand(CTabModel& injection, CParamSet& params, CCouplingCopy& copy, int target);

// Maps 2-4 as bilinear samples of their absolute times at map 1's points,
// then on map 1's points and counts.
void ResampleOntoMap1(CTabModel& injection);

// Time (true) or percent view of maps 1-4 and "Inj. IAP"; a sheet without a
// base table shows times whatever is asked. Backgrounds come by name from
// the view ("BGINJG", "BGINJB"); a null lookup leaves none.
void SetInjectionDisplay(CTabModel& injection, bool asTime, const BackgroundLookup& backgrounds);

// Base tables of maps 1-4 and "Inj. IAP" from the bike's reference tables;
// without them the sheets lose their base and show times. Returns whether
// any sheet can show percentages (the "ms" box is checked and disabled when
// not).
bool ApplyBaseTables(CTabModel& injection, const IReferenceTables& tables, int bike);
