#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "image/MapGrid.h"
#include "sheet/LiveInputs.h"
#include "sheet/Selection.h"
#include "sheet/Sheet.h"
#include "sheet/SheetButtons.h"
#include "sheet/SheetView.h"
#include "sheet/TableGeometry.h"

// The owner's fields that the markers come from and go back to, shared by
// every sheet control of a window. Limiters are held in rpm here and in
// hundreds of rpm on the sheets.
struct SheetOwnerFields {
  std::int32_t baseAdvance = 0;
  std::int32_t firstLimiter = 0;
  std::int32_t secondLimiter = 0;
  std::int32_t injectionLimiter = 0;
  // Bit 1: take the marker values again; bit 2 (value 2): a control changed them.
  int sheetControlsFlag = 0;
};

// Base advance in data raw units, limiters in X raw units (hundreds of rpm).
struct SheetMarkers {
  std::int32_t baseAdvance = 0;
  std::int32_t limiter1 = 0;
  std::int32_t limiter2 = 0;
};

// Fill or border drag in progress: the part's values at the press, the
// selection it started from and where it would land now.
struct FillDragState {
  int mode = kFillNone;
  int part = 0;
  SheetRect start;
  SheetRect target;
  std::vector<std::int32_t> source;
};

enum class InsertResult { kDone, kNotAllowed, kAtMaximum };

// Redraw request bits.
constexpr int kRedraw = 1;
constexpr int kRelayout = 2;

// Everything of a TTab that is not drawing or input: up to eight sheets, the
// active one, the change gate with its tick counter, markers, the fill drag
// and the sheet tools. The widget wraps one of these and paints from it.
class CTabModel {
 public:
  explicit CTabModel(std::uint32_t options = kOptionTable);

  std::uint32_t Options() const { return m_options; }

  // ---- definition (map catalogue) ----
  int DefineSheet(std::string_view title, std::string_view xLabel, std::string_view yLabel, std::string_view dataLabel,
                  int xMax, int yMax, std::uint32_t sheetFlags);
  // which: bit set of kPartX, kPartY, kPartData. Null texts keep the old ones.
  void DefineAxis(int sheet, int which, const char* shortName, const char* unit, std::int32_t min, std::int32_t max,
                  double scale, std::int32_t step, std::span<const GraduationRecord> graduations, int editable,
                  int axisFlags, int minCount, int count, int collapseOption, int collapsed, int insertAllowed,
                  int fixedIndexRule, std::uint32_t groupMask, TColor colour, const void* background);
  void SetSheetTitle(int sheet, std::string_view title);
  void SelectSheet(int sheet);
  void ApplyAxisRules(int sheet, int parts);

  // Owner bridge to the image's raw form. Load applies the rules (0x107);
  // percent-capable sheets take and give their absolute values.
  void LoadSheet(int sheet, const MapGrid& grid);
  MapGrid StoreSheet(int sheet) const;

  // ---- access ----
  int SheetCount() const { return m_count; }
  // The columns and rows the table view is sized for.
  void SetBudget(table::TableBudget budget) {
    m_budget = budget;
    RequestRedraw(kRedraw | kRelayout);
  }
  table::TableBudget Budget() const { return m_budget; }
  int ActiveIndex() const { return m_active; }
  int PreviousIndex() const { return m_previous; }
  bool ValidSheet(int sheet) const { return sheet >= 0 && sheet < m_count; }
  CSheet& Sheet(int sheet) { return m_sheets[static_cast<std::size_t>(sheet)]; }
  const CSheet& Sheet(int sheet) const { return m_sheets[static_cast<std::size_t>(sheet)]; }
  CSheet* Active() { return ValidSheet(m_active) ? &Sheet(m_active) : nullptr; }
  const CSheet* Active() const { return ValidSheet(m_active) ? &Sheet(m_active) : nullptr; }

  // Tab cycling over sheets that are not hidden; Ctrl+Tab goes back.
  bool SelectNextSheet(int direction);
  bool SelectPreviouslyActive();

  // ---- change gate ----
  void ReportChange(int parts, int key);
  // One main tick: counts, re-evaluates the live cell on odd-bit ticks and
  // commits a due change. Nothing else; the widget adds its own duties.
  void Tick();
  std::uint32_t TickCount() const { return m_tick; }
  int PendingParts() const { return m_pendingParts; }
  int PendingKey() const { return m_pendingKey; }

  // ---- redraw requests (read and cleared by the widget) ----
  void RequestRedraw(int bits) { m_redraw |= bits; }
  int RedrawRequest() const { return m_redraw; }
  int TakeRedrawRequest() {
    const int r = m_redraw;
    m_redraw = 0;
    return r;
  }
  // An entry a tool wants scrolled into view; {-2,-2} when none.
  SheetEntry TakeRevealRequest();

  // ---- owner hooks ----
  void SetOnSheetChanged(std::function<void(CTabModel&)> f) { m_onSheetChanged = std::move(f); }
  // Shown as a message box with an error icon.
  void SetOnError(std::function<void(std::string_view text, std::string_view caption)> f) { m_onError = std::move(f); }
  // Raises that message (texts already translated); tools outside the model use it.
  void ShowError(std::string_view text, std::string_view caption) {
    if (m_onError) m_onError(text, caption);
  }
  // The window's autoscroll flag, shared by all its controls; null: off.
  void SetSharedAutoscroll(int* flag) { m_autoscroll = flag; }
  bool Autoscroll() const { return m_autoscroll && *m_autoscroll; }
  // The popup's autoscroll items switch it for every control of the window.
  void SetAutoscroll(bool on) {
    if (m_autoscroll) *m_autoscroll = on ? 1 : 0;
  }
  // Pixel width of a text at the tab font; without one a rough estimate is used.
  void SetTextMeasure(std::function<int(std::string_view)> f) { m_measure = std::move(f); }
  // Also takes the marker values, as a control does when it is created.
  void SetOwnerFields(SheetOwnerFields* fields) {
    m_owner = fields;
    TakeMarkerValues();
  }

  // Position reference of the position buttons: 0 beginning, 1 centre, 2 end.
  int PositionReference() const { return m_positionReference; }
  void SetPositionReference(int reference) {
    m_positionReference = std::clamp(reference, 0, 2);
    for (int k = 0; k < 3; ++k) m_buttons[kCommandPositionBeginning + k].state = m_positionReference == k ? 1 : 0;
    RequestRedraw(kRedraw);
  }

  // The control's view: table, 2D or 3D graph, and the graphs' settings.
  SheetViewState& View() { return m_view; }
  const SheetViewState& View() const { return m_view; }
  // Commands 5, 6, 7: the view asked for, or the next one the control allows;
  // a layout and a redraw follow.
  void SetView(int requested);
  int ShownView() const { return EffectiveView(m_options, m_view.requested); }

  // The control's button records (bar buttons, 3D presets).
  CSheetButtons& Buttons() { return m_buttons; }
  const CSheetButtons& Buttons() const { return m_buttons; }

  SheetMarkers& Markers() { return m_markers; }
  const SheetMarkers& Markers() const { return m_markers; }
  // Live values the owner pushes before each tick; the graphs draw their marks from them.
  SheetLiveInputs& LiveInputs() { return m_live; }
  const SheetLiveInputs& LiveInputs() const { return m_live; }
  // Re-evaluates the active sheet's live cell from the inputs: a move asks
  // for a redraw and, with autoscroll on, for the cell to be scrolled into view.
  void UpdateLiveCell();
  // Takes the marker values from the owner's fields (limiters / 100).
  void TakeMarkerValues();

  // ---- editing of single entries (cell editor, spinner) ----
  // Commits typed text into an entry; false when not editable or not a number.
  bool CommitEntryText(SheetEntry e, std::string_view text);
  // One spinner step: the whole selection of that part when the entry is
  // selected, else the entry alone; coalesced per target.
  bool SpinnerStep(SheetEntry e, int step);
  // Step size of a held spinner half, ticks after the press; 0 = no step this tick.
  static int SpinnerRepeatStep(int ticksSincePress, bool fastRepeat);
  bool FastRepeat(SheetEntry e) const;

  // ---- fill and border drags ----
  bool BeginFillDrag(int mode);
  void UpdateFillDrag(int columns, int rows);
  bool FinishFillDrag();
  void CancelFillDrag() { m_fill = FillDragState{}; }
  const FillDragState& FillDrag() const { return m_fill; }

  // ---- tools ----
  InsertResult InsertColumn(int k);
  InsertResult InsertRow(int k);
  bool CanInsertColumn() const;
  bool CanInsertRow() const;
  // Columns (rows) the delete item would remove; offered when not empty and not all.
  std::vector<int> ColumnsToDelete() const;
  std::vector<int> RowsToDelete() const;
  int DeleteColumns();
  int DeleteRows();

  // +1 / -1 on the selection, or on the live cell when nothing is selected.
  bool Step(int a);
  // The same step on the live cell alone, whatever is selected (the 3D
  // graph's strip steps the operating point even with cells selected).
  bool StepLiveCell(int a);
  bool CanStep() const;
  // The raw step of a cell for a step of a (relative on percent sheets).
  static std::int32_t DataStep(const CSheet& sheet, int x, int y, int a);

  bool CanInterpolate() const;
  bool Interpolate();
  // The interpolated values of the part the selection holds (a full copy of
  // that part's array); returns the part, 0 when there is no interpolable rectangle.
  static int ComputeInterpolation(const CSheet& sheet, std::vector<std::int32_t>& out);

  // "Use only" / "Use ... and ...".
  bool UseOnlySectionShown() const;
  // Some axis the user may switch off, none that a labelled paste always collapses.
  static bool UseOnlySectionOf(const CSheet& sheet);
  bool CanUseOnlyX() const;
  bool CanUseOnlyY() const;
  bool CanUseBoth() const;
  bool UseOnlyX();
  bool UseOnlyY();
  bool UseBoth();

  // Enable/disable command of sheets that may be disabled.
  bool ToggleSheetEnabled();

  // Percent mode of percent-capable sheets.
  static void ComputeCellBase(CSheet& sheet);
  static void ShownFromAbsolute(CSheet& sheet);
  static void AbsoluteFromShown(CSheet& sheet);

 private:
  void Commit();
  void ClampMarkers(const CSheet& sheet);
  void PublishMarkers();
  void Notify();
  void Reselect();
  bool InsertAt(int which, int k);
  void InsertPrimitive(CSheet& sheet, int which, int k);
  void DeletePrimitive(CSheet& sheet, int which, int index);
  InsertResult InsertLine(int which, int k);
  int DeleteLines(int which);
  std::vector<int> LinesToDelete(int which) const;
  template <typename F>
  void ForEachFollower(const CSheet& leader, F&& f);
  bool SetCollapse(int xCollapsed, int yCollapsed);
  int MeasureTab(std::string_view title) const;

  std::uint32_t m_options;
  std::array<CSheet, kMaxSheets> m_sheets{};
  int m_count = 0;
  int m_active = -1;
  int m_previous = -1;

  int m_pendingParts = 0;
  int m_pendingKey = 0;
  std::uint32_t m_deadline = 0;
  std::uint32_t m_tick = 0;

  int m_redraw = 0;
  SheetEntry m_reveal{-2, -2};
  SheetMarkers m_markers;
  SheetLiveInputs m_live;
  SheetViewState m_view;
  CSheetButtons m_buttons;
  FillDragState m_fill;

  std::function<void(CTabModel&)> m_onSheetChanged;
  std::function<void(std::string_view, std::string_view)> m_onError;
  std::function<int(std::string_view)> m_measure;
  SheetOwnerFields* m_owner = nullptr;
  int* m_autoscroll = nullptr;
  // Temperatures of the last evaluation: the 2D graph draws lines at them.
  std::int32_t m_liveCoolant = 0;
  std::int32_t m_liveAir = 0;
  int m_positionReference = 0;
  table::TableBudget m_budget;
};
