#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sheet/Sheet.h"

class CTabModel;

// Texts a sheet control exchanges through the clipboard. Two forms: plain
// tab-separated text for spreadsheets and editors, and a labelled form that
// only sheet controls read (title key, short names, sizes, collapse, grid), so
// a whole map moves between sheets and between two running copies with its
// size. Rows end with a line feed alone, columns are separated by tabs, the
// text is UTF-8. Numbers carry the axis scale but no unit and no display
// quantum (a copy keeps every raw step); with the Czech interface the decimal
// point is written as a comma. Readers accept any bytes and never touch a
// sheet: they return a plan, and ApplyPaste carries it out as one edit.

// ---- writers (the interface language is the current one) ----

// The labelled form of the whole sheet ("Copy table", private format).
std::string LabelledSheetText(const CSheet& sheet);
// The plain form of the whole sheet ("Copy table", plain text).
std::string PlainSheetText(const CSheet& sheet);
// The plain form of the selection ("Copy"). Empty when nothing is selected:
// the clipboard is then left as it was.
std::string PlainSelectionText(const CSheet& sheet);

// ---- availability of Paste ----

// Plain text: an enabled sheet with a selection of an editable part.
bool CanPastePlain(const CSheet& sheet);
// Labelled form: an enabled sheet with at least one editable part.
bool CanPasteLabelled(const CSheet& sheet);

// ---- readers ----

enum class PasteOutcome {
  kNothing,  // nothing to change: no target, no number, labels foreign
  kApply,    // the plan holds the changes
  kRefused,  // the sizes differ and may not change; `refusal` says why
};

struct PasteWrite {
  SheetEntry entry;
  std::int32_t raw = 0;
};

struct PastePlan {
  PasteOutcome outcome = PasteOutcome::kNothing;
  // Text id (the English key of dictionary group 3) of the refusal message.
  std::string_view refusal;
  bool labelled = false;
  // Values to store, in text order; a later write to the same entry wins.
  std::vector<PasteWrite> writes;
  // Parts reported when the edit closes (kPartX/Y/Data, kPartResetElastic).
  int parts = 0;
  // Plain paste: where the text starts (the selection's minimum corner).
  SheetEntry start;
  // Labelled paste: the counts to set and the collapses to add.
  int xCount = 0;
  int yCount = 0;
  bool collapseX = false;
  bool collapseY = false;
  // A labelled table none of whose labels fits this sheet ("RPM × TPS → ADV").
  bool foreign = false;
  // What was copied, for the owner's message: the axes of a foreign table,
  // the size ("16 × 10") of a refused one.
  std::string copiedAxes;
};

// This sheet's axes and size in the form of PastePlan::copiedAxes.
std::string SheetAxesText(const CSheet& sheet);
std::string SheetSizeText(const CSheet& sheet);

// The refusal of a labelled paste whose sizes differ (dictionary key).
inline constexpr std::string_view kPasteSizeRefusal =
    "Table dimensions are not eqal and there is unable to change it !\nInsertion canceled...";

// Plain text into the selection, from its minimum corner to the sheet's last
// column and row.
PastePlan ReadPlainPaste(const CSheet& sheet, std::string_view text);
// The labelled form into the whole sheet.
PastePlan ReadLabelledPaste(const CSheet& sheet, std::string_view text);

// Carries out a plan read from the model's active sheet: one edit between
// ReportChange OpenEdit and CloseEdit. A refusal goes to the model's error
// handler with the "Error" caption. True when the sheet changed.
bool ApplyPaste(CTabModel& model, const PastePlan& plan);
// Reads `text` against the active sheet and applies it; `plan` (when given)
// receives what was read.
PasteOutcome PasteText(CTabModel& model, std::string_view text, bool labelled, PastePlan* plan = nullptr);

// ---- cell editor ----

// Paste into the open cell editor: the clipboard text up to its first tab or
// line feed, "," read as ".", only digits, "-", "." and spaces kept, cut so the
// editor stays within its 15 characters, inserted at the caret in place of
// the selected range [selStart, selEnd). False when nothing was inserted.
bool PasteIntoEditor(std::string& text, int& caret, int& selStart, int& selEnd, std::string_view clip);
