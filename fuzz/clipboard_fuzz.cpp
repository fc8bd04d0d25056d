// Any clipboard text pasted into a map sheet (plain or labelled form) or into
// the open cell editor.
//
// Byte 0 chooses: bits 0..1 the reader (plain, labelled, cell editor), bits
// 2..3 what is selected, bit 4 the Czech interface (decimal comma). The cell
// editor takes the caret and its selection from bytes 1..3 and its text up
// to the first zero byte. The rest is the clipboard's text.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "sheet/Clipboard.h"
#include "sheet/Selection.h"
#include "sheet/SheetTestSupport.h"
#include "base/Lang.h"

namespace {

constexpr int kXCount = 6, kYCount = 4, kXMax = 12, kYMax = 8;

void PasteIntoSheet(bool labelled, std::uint8_t selection, std::string_view text) {
  SheetRig rig(kXCount, kYCount, kXMax, kYMax);
  rig.SetRow(0, {1, -2, 3, 40, 500, -600});
  constexpr SheetEntry kSelections[] = {{2, -1}, {-1, 1}, {1, 2}, {kXCount - 1, kYCount - 1}};
  SelectOnly(rig.S(), kSelections[selection % std::size(kSelections)]);

  const PastePlan plan = labelled ? ReadLabelledPaste(rig.S(), text) : ReadPlainPaste(rig.S(), text);
  FUZZ_CHECK(plan.outcome != PasteOutcome::kRefused || !plan.refusal.empty());
  for (const PasteWrite& w : plan.writes) {
    FUZZ_CHECK(w.entry.x < (labelled ? kXMax : kXCount) && w.entry.y < (labelled ? kYMax : kYCount));
    FUZZ_CHECK(w.entry.x >= -1 && w.entry.y >= -1);
  }
  FUZZ_CHECK(plan.xCount >= 0 && plan.xCount <= kXMax && plan.yCount >= 0 && plan.yCount <= kYMax);

  // Applied, the sheet keeps its rules, and the paste is one change at most.
  const bool changed = ApplyPaste(rig.model, plan);
  FUZZ_CHECK(!changed || plan.outcome == PasteOutcome::kApply);
  const CSheet& s = rig.S();
  FUZZ_CHECK(s.xAxis.count >= 1 && s.xAxis.count <= kXMax && s.yAxis.count >= 1 && s.yAxis.count <= kYMax);
  for (int x = 1; x < s.xAxis.count; ++x)
    FUZZ_CHECK(s.xAxis.values[std::size_t(x)] >= s.xAxis.values[std::size_t(x - 1)] + 5);
  for (int y = 0; y < s.yAxis.count; ++y)
    for (int x = 0; x < s.xAxis.count; ++x) FUZZ_CHECK(std::abs(s.Cell(x, y)) <= 1000);
  FUZZ_CHECK(rig.changes <= 1);
  FUZZ_CHECK(plan.outcome != PasteOutcome::kRefused || rig.errors.size() == 1);
}

void PasteIntoEditor(std::string_view bytes) {
  constexpr std::size_t kEditorMax = 15;
  int caret = bytes.size() > 0 ? static_cast<std::int8_t>(bytes[0]) : 0;
  int selStart = bytes.size() > 1 ? static_cast<std::int8_t>(bytes[1]) : 0;
  int selEnd = bytes.size() > 2 ? static_cast<std::int8_t>(bytes[2]) : 0;
  bytes.remove_prefix(std::min<std::size_t>(3, bytes.size()));
  const std::size_t zero = std::min(bytes.find('\0'), bytes.size());
  std::string text(bytes.substr(0, std::min(zero, kEditorMax)));
  const std::string before = text;
  const std::string_view clip = bytes.substr(std::min(zero + 1, bytes.size()));

  const bool inserted = ::PasteIntoEditor(text, caret, selStart, selEnd, clip);
  FUZZ_CHECK(inserted || text == before);
  FUZZ_CHECK(text.size() <= kEditorMax);
  FUZZ_CHECK(caret >= 0 && std::size_t(caret) <= text.size());
  FUZZ_CHECK(selStart >= 0 && selStart <= selEnd && std::size_t(selEnd) <= text.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t how = data[0];
  const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  SetCurrentLanguage(how & 0x10 ? kCzech : kEnglish);
  switch (how & 3) {
    case 0:
      PasteIntoSheet(false, how >> 2, rest);
      break;
    case 1:
      PasteIntoSheet(true, how >> 2, rest);
      break;
    default:
      PasteIntoEditor(rest);
      break;
  }
  return 0;
}
