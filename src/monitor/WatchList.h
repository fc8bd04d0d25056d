#pragma once

#include <array>
#include <functional>
#include <vector>

#include "link/ParameterCatalogue.h"

// The "Add watch" list: the catalogue as a tree whose parameters carry three
// checks (label, value, indicator). Opened with the checks of the elements
// the monitor holds; on OK the differences become elements to add or remove.
enum WatchColumn : int { kWatchLabel = 0, kWatchValue = 1, kWatchIndicator = 2, kWatchColumns = 3 };

using WatchChecks = std::array<bool, kWatchColumns>;

// A group's check over its parameters.
enum class GroupCheck { kNone, kSome, kAll };

struct WatchChange {
  int id = 0;
  int depth = 0;  // tree level of the parameter (0 top)
  WatchChecks added{};
  WatchChecks removed{};
};

class CWatchList {
 public:
  struct Row {
    const CID* cid = nullptr;
    int depth = 0;
    bool group = false;
    bool open = false;
  };

  // existing(id): which representations the monitor shows for a parameter now.
  CWatchList(const CParameterCatalogue& catalogue, const std::function<WatchChecks(int id)>& existing);

  // Rows that show: every top-level row and the children of open groups.
  std::vector<Row> VisibleRows() const;
  void ToggleOpen(int id);
  bool IsOpen(int id) const;

  WatchChecks Checks(int id) const;
  // A parameter's check flips; a group's sets all its parameters, or clears
  // them when all were set.
  void Toggle(int id, int column);
  GroupCheck GroupState(int groupId, int column) const;

  // The current row among the visible ones, moved by the list keys.
  int Current() const { return m_current; }
  void SetCurrent(int visibleIndex);
  enum class Move { kUp, kDown, kPageUp, kPageDown, kHome, kEnd };
  void MoveCurrent(Move move, int pageRows);

  // What OK changes, in catalogue order.
  std::vector<WatchChange> Changes() const;

 private:
  struct Node {
    const CID* cid = nullptr;
    int depth = 0;
    bool group = false;
    bool open = false;
    WatchChecks initial{};
    WatchChecks checks{};
  };
  const Node* Find(int id) const;
  Node* Find(int id);
  template <typename F>
  void ForEachParameterUnder(int groupId, F f) const;

  std::vector<Node> m_nodes;  // catalogue order, the not-found row left out
  int m_current = 0;
};
