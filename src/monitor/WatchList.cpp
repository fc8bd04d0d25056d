#include "monitor/WatchList.h"

#include <algorithm>
#include <utility>

CWatchList::CWatchList(const CParameterCatalogue& catalogue, const std::function<WatchChecks(int id)>& existing) {
  for (const CID& row : catalogue.Rows()) {
    if (row.id == kCidNotFound) continue;
    Node n;
    n.cid = &row;
    n.group = row.IsGroup();
    for (int up = row.parent, guard = 0; up != 0 && guard < 16; ++guard) {
      ++n.depth;
      up = catalogue.GetDef(up).parent;
    }
    if (!n.group && existing) n.initial = n.checks = existing(row.id);
    m_nodes.push_back(n);
  }
}

const CWatchList::Node* CWatchList::Find(int id) const {
  for (const Node& n : m_nodes)
    if (n.cid->id == id) return &n;
  return nullptr;
}

CWatchList::Node* CWatchList::Find(int id) { return const_cast<Node*>(std::as_const(*this).Find(id)); }

template <typename F>
void CWatchList::ForEachParameterUnder(int groupId, F f) const {
  // Rows follow their group in catalogue order: a group's subtree is the run
  // of deeper rows after it.
  auto it = std::find_if(m_nodes.begin(), m_nodes.end(), [&](const Node& n) { return n.cid->id == groupId; });
  if (it == m_nodes.end()) return;
  const int depth = it->depth;
  for (++it; it != m_nodes.end() && it->depth > depth; ++it)
    if (!it->group) f(*it);
}

std::vector<CWatchList::Row> CWatchList::VisibleRows() const {
  std::vector<Row> rows;
  int hiddenBelow = -1;  // depth of a closed group whose subtree is skipped
  for (const Node& n : m_nodes) {
    if (hiddenBelow >= 0 && n.depth > hiddenBelow) continue;
    hiddenBelow = -1;
    rows.push_back({n.cid, n.depth, n.group, n.open});
    if (n.group && !n.open) hiddenBelow = n.depth;
  }
  return rows;
}

void CWatchList::ToggleOpen(int id) {
  if (Node* n = Find(id); n && n->group) n->open = !n->open;
  m_current = std::clamp(m_current, 0, std::max(0, static_cast<int>(VisibleRows().size()) - 1));
}

bool CWatchList::IsOpen(int id) const {
  const Node* n = Find(id);
  return n && n->open;
}

WatchChecks CWatchList::Checks(int id) const {
  const Node* n = Find(id);
  return n ? n->checks : WatchChecks{};
}

void CWatchList::Toggle(int id, int column) {
  if (column < 0 || column >= kWatchColumns) return;
  Node* n = Find(id);
  if (!n) return;
  const auto c = static_cast<std::size_t>(column);
  if (!n->group) {
    n->checks[c] = !n->checks[c];
    return;
  }
  const bool set = GroupState(id, column) != GroupCheck::kAll;
  for (auto it = m_nodes.begin() + (n - m_nodes.data()) + 1; it != m_nodes.end() && it->depth > n->depth; ++it)
    if (!it->group) it->checks[c] = set;
}

GroupCheck CWatchList::GroupState(int groupId, int column) const {
  if (column < 0 || column >= kWatchColumns) return GroupCheck::kNone;
  int on = 0, all = 0;
  ForEachParameterUnder(groupId, [&](const Node& n) {
    ++all;
    on += n.checks[static_cast<std::size_t>(column)] ? 1 : 0;
  });
  if (on == 0) return GroupCheck::kNone;
  return on == all ? GroupCheck::kAll : GroupCheck::kSome;
}

void CWatchList::SetCurrent(int visibleIndex) {
  const int count = static_cast<int>(VisibleRows().size());
  m_current = std::clamp(visibleIndex, 0, std::max(0, count - 1));
}

void CWatchList::MoveCurrent(Move move, int pageRows) {
  const int page = std::max(1, pageRows);
  switch (move) {
    case Move::kUp:
      SetCurrent(m_current - 1);
      break;
    case Move::kDown:
      SetCurrent(m_current + 1);
      break;
    case Move::kPageUp:
      SetCurrent(m_current - page);
      break;
    case Move::kPageDown:
      SetCurrent(m_current + page);
      break;
    case Move::kHome:
      SetCurrent(0);
      break;
    case Move::kEnd:
      SetCurrent(static_cast<int>(VisibleRows().size()) - 1);
      break;
  }
}

std::vector<WatchChange> CWatchList::Changes() const {
  std::vector<WatchChange> changes;
  for (const Node& n : m_nodes) {
    if (n.group || n.checks == n.initial) continue;
    WatchChange c;
    c.id = n.cid->id;
    c.depth = n.depth;
    for (std::size_t k = 0; k < kWatchColumns; ++k) {
      c.added[k] = n.checks[k] && !n.initial[k];
      c.removed[k] = !n.checks[k] && n.initial[k];
    }
    changes.push_back(c);
  }
  return changes;
}
