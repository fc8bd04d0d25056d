#include "sheet/SheetControls.h"

bool CSheetControls::Add(ISheetControl* control) {
  if (!control || Full()) return false;
  m_controls[static_cast<std::size_t>(m_count++)] = control;
  control->Model().SetSharedAutoscroll(&autoscroll);
  // A new control must see the owner's markers, and so must the others.
  fields.sheetControlsFlag |= 1;
  return true;
}

ISheetControl* CSheetControls::Focused() const {
  for (int i = 0; i < m_count; ++i)
    if (m_controls[static_cast<std::size_t>(i)]->HasInputFocus()) return m_controls[static_cast<std::size_t>(i)];
  return nullptr;
}

void CSheetControls::TickAll() {
  if (const int flag = fields.sheetControlsFlag; flag & 1) {
    fields.sheetControlsFlag &= ~1;
    for (int i = 0; i < m_count; ++i) {
      CTabModel& model = m_controls[static_cast<std::size_t>(i)]->Model();
      model.TakeMarkerValues();
      // The markers are drawn on the graphs and the bar: show the new ones.
      model.RequestRedraw(flag);
    }
  }
  for (int i = 0; i < m_count; ++i) m_controls[static_cast<std::size_t>(i)]->SheetTick();
}
