#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "image/ConfigImage.h"

constexpr int kHistorySlots = 200;

using DirtyBlocks = std::array<bool, kBlockCount>;

// Sets the dirty flag of every block in which `a` and `b` differ; returns
// whether any byte differed.
bool MarkChangedBlocks(const ConfigImage& a, const ConfigImage& b, DirtyBlocks& dirty);

// Ring of whole-image snapshots behind Undo and Redo. Slot c equals the
// image; Redo reaches up to slot n, Undo back to slot o. Every operation that
// changes the image marks the 150-byte blocks it changed in the caller's
// dirty flags, so exactly those blocks need programming.
class CEditHistory {
 public:
  CEditHistory();

  // What a restore put into the image: the page to show (that of the undone
  // or redone step) and whether any byte changed.
  struct Restored {
    int page;
    bool changed;
  };

  // The history starts again with `image` as its only step.
  void Reset(const ConfigImage& image, int page);
  // Compares `image` with the current snapshot; when it differs, marks the
  // differing blocks dirty and stores it as a new step (dropping the Redo
  // steps, and the oldest step when the ring is full). Returns whether it
  // differed.
  bool RecordChange(const ConfigImage& image, int page, DirtyBlocks& dirty);
  // Step back or forth; nothing at the oldest or newest step.
  std::optional<Restored> Undo(ConfigImage& image, DirtyBlocks& dirty);
  std::optional<Restored> Redo(ConfigImage& image, DirtyBlocks& dirty);

  bool CanUndo() const { return m_current != m_oldest; }
  bool CanRedo() const { return m_current != m_newest; }
  // Result of the last comparison or restore.
  bool Changed() const { return m_changed; }
  int Current() const { return m_current; }
  int Newest() const { return m_newest; }
  int Oldest() const { return m_oldest; }

 private:
  struct Slot {
    ConfigImage image{};
    std::uint8_t page = 0;
  };
  Restored Restore(int pageSource, ConfigImage& image, DirtyBlocks& dirty);

  // On the heap: 200 images are too much for a stack-held core.
  std::vector<Slot> m_slots;
  std::uint16_t m_current = 0;
  std::uint16_t m_newest = 0;
  std::uint16_t m_oldest = 0;
  bool m_changed = false;
};
