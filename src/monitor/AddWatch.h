#pragma once

#include <vector>

#include "monitor/WatchList.h"

class CMyComponent;
class CMyGroup;

// New texts, labels and values are this many layout units high.
constexpr int kNewTextHeight = 35;

// What the monitor shows for parameter `id` now: a label, a value, an
// indicator element bound to it.
WatchChecks ExistingWatches(const CMyGroup& place, int id);

// Applies what OK in "Add watch" changed: new elements at (x, y) in layout
// units, one row per parameter that gains an element, indented by its tree
// level, the rows moved up and left as far as needed to stay inside the
// container; unchecked representations are removed. The container is
// invalidated when anything changed.
void ApplyWatchChanges(CMyGroup& place, const CParameterCatalogue& catalogue, const std::vector<WatchChange>& changes,
                       int x, int y);

// Moves `item` back inside `place`: left and top win when it is larger.
void KeepInsidePlace(CMyComponent& item, const CMyGroup& place);
// Moves `items` (what was just added) inside `place` together, keeping
// their rows and columns.
void KeepBlockInsidePlace(const CMyGroup& place, const std::vector<CMyComponent*>& items);
