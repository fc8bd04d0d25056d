#include "image/EditHistory.h"

#include <algorithm>

namespace {
std::uint16_t Next(int slot) { return static_cast<std::uint16_t>((slot + 1) % kHistorySlots); }
std::uint16_t Previous(int slot) { return static_cast<std::uint16_t>((slot + kHistorySlots - 1) % kHistorySlots); }

}  // namespace

// Whole blocks are compared at once, so an unchanged image costs one pass.
bool MarkChangedBlocks(const ConfigImage& a, const ConfigImage& b, DirtyBlocks& dirty) {
  bool changed = false;
  for (int block = 1; block <= kImageBlocks; ++block) {
    const auto first = static_cast<std::ptrdiff_t>(BlockOffset(block));
    const auto size = static_cast<std::ptrdiff_t>(kBlockSize);
    if (!std::equal(a.begin() + first, a.begin() + first + size, b.begin() + first)) {
      dirty[std::size_t(block)] = true;
      changed = true;
    }
  }
  return changed;
}

CEditHistory::CEditHistory() : m_slots(kHistorySlots) {}

void CEditHistory::Reset(const ConfigImage& image, int page) {
  m_current = m_newest = m_oldest = 0;
  m_slots[0] = {image, static_cast<std::uint8_t>(page)};
  m_changed = false;
}

bool CEditHistory::RecordChange(const ConfigImage& image, int page, DirtyBlocks& dirty) {
  m_changed = MarkChangedBlocks(m_slots[m_current].image, image, dirty);
  // Nothing changed: no step is used, so the Redo steps survive.
  if (!m_changed) return false;
  m_current = Next(m_current);
  m_newest = m_current;
  if (m_oldest == m_current) m_oldest = Next(m_oldest);
  m_slots[m_current] = {image, static_cast<std::uint8_t>(page)};
  return true;
}

std::optional<CEditHistory::Restored> CEditHistory::Undo(ConfigImage& image, DirtyBlocks& dirty) {
  if (!CanUndo()) return std::nullopt;
  const int undone = m_current;
  m_current = Previous(m_current);
  return Restore(undone, image, dirty);
}

std::optional<CEditHistory::Restored> CEditHistory::Redo(ConfigImage& image, DirtyBlocks& dirty) {
  if (!CanRedo()) return std::nullopt;
  m_current = Next(m_current);
  return Restore(m_current, image, dirty);
}

CEditHistory::Restored CEditHistory::Restore(int pageSource, ConfigImage& image, DirtyBlocks& dirty) {
  const ConfigImage& snapshot = m_slots[m_current].image;
  m_changed = MarkChangedBlocks(snapshot, image, dirty);
  image = snapshot;
  // The page of the step being undone or redone, where the user made it.
  return {m_slots[std::size_t(pageSource)].page, m_changed};
}
