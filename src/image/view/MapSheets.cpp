#include "image/view/MapSheets.h"

#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <algorithm>

#include "core/AppCore.h"
#include "image/MapSheetRules.h"
#include "image/PageBindings.h"
#include "image/Pages.h"
#include "image/view/PageControls.h"
#include "image/view/SheetBackgrounds.h"
#include "sheet/view/TTab.h"
#include "shell/view/TFormHlav.h"

namespace {

// Commit ids of the sheet controls: after every page control's.
constexpr int kSheetCommitId = 200000;

const void* Background(std::string_view name) { return SheetBackgroundPicture(name); }

}  // namespace

CMapSheets::CMapSheets(TFormHlav& window, CAppCore& core) : m_window(window), m_core(core) {}

void CMapSheets::Build(QTabWidget& pages, double scale) {
  // The pages are not laid out before the window is shown: their client
  // area is the page control less its tab row and frame.
  const int frame = pages.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &pages);
  const int clientWidth = pages.width() - 2 * frame;
  const int clientHeight = pages.height() - pages.tabBar()->sizeHint().height() - 2 * frame;
  for (const SheetControlLayout& layout : SheetControlLayouts()) {
    QWidget* page = pages.widget(layout.page);
    if (!page) continue;
    // The row of page controls sits in the 30 pixels below the page size.
    const ControlRect r = PlaceSheetControl(layout, clientWidth, clientHeight, scale);
    TTab* tab = m_window.CreateSheetControl(r.width, r.height, layout.options, page);
    if (!tab) continue;
    tab->move(r.left, r.top);
    tab->setObjectName(QString("TabSheets%1").arg(int(Index(layout.id))));
    DefineControl(layout.id, tab->Model(), Background);
    m_tabs[Index(layout.id)] = tab;
    m_controls.controls[Index(layout.id)] = &tab->Model();
  }
  m_built = true;
}

void CMapSheets::Load() {
  if (!m_built) return;
  m_loading = true;
  MapLoadOptions options;
  options.changedControl = m_changing;
  options.afterInjectionLoad = [this](CTabModel& injection) {
    m_percentAvailable =
        ApplyBaseTables(injection, *m_tables, m_core.params.Value(FieldId::kBike));
  };
  LoadMapSheets(m_core.image, m_controls, options);
  AfterLoad();
  m_loading = false;
}

// The engine-speed markers of the graphs: the base advance, the ignition
// limiter (limiter 1) and, as the draggable limiter 2, the retard limiter
// on the advance maps and the injection limiter on the injection maps.
// Limiters in rpm as the pages show them.
void CMapSheets::GiveMarkers() {
  SheetOwnerFields& f = m_window.SheetControls().fields;
  const CParamSet& p = m_core.params;
  f.baseAdvance = p.Value(FieldId::kBaseAdvance);
  f.firstLimiter = p.Value(FieldId::kIgnitionLimiter);
  f.secondLimiter = p.Value(FieldId::kRetardLimiterRpm);
  f.injectionLimiter = p.Value(FieldId::kInjectionLimiter);
  f.sheetControlsFlag |= 1;
}

// A graph drag moved a marker: the parameter set and the page's controls
// take it before the commit reads the page.
void CMapSheets::TakeMarkers() {
  SheetOwnerFields& f = m_window.SheetControls().fields;
  if (!(f.sheetControlsFlag & 2)) return;
  f.sheetControlsFlag = (f.sheetControlsFlag & ~2) | 1;
  CParamSet& p = m_core.params;
  p.Value(FieldId::kBaseAdvance) = f.baseAdvance;
  p.Value(FieldId::kIgnitionLimiter) = f.firstLimiter;
  p.Value(FieldId::kRetardLimiterRpm) = f.secondLimiter;
  p.Value(FieldId::kInjectionLimiter) = f.injectionLimiter;
  m_window.PageControls().WritePage(m_window.ActivePageIndex());
}

void CMapSheets::AfterLoad() {
  GiveMarkers();
  if (CTabModel* injection = m_controls[SheetControlId::kInjection]) {
    ApplyCouplingView(*injection, CouplingMode(), m_core.params.CylinderCount());
    SetInjectionDisplay(*injection, m_core.params.injectionAsTime || !m_percentAvailable, Background);
    // Propagation compares with map 1 as loaded, never with an older state.
    m_copy.Take(injection->Sheet(0));
  }
  const IdleCurveUnit& idle = IdleCurveFor(m_core.params.Value(FieldId::kBike), m_core.params.Value(FieldId::kIdleType),
                                           m_core.params.Value(FieldId::kInServoPercent));
  if (TTab* tab = Control(SheetControlId::kIdlePosition)) {
    ApplyIdleCurveUnit(tab->Model(), idle);
    tab->setVisible(idle.shown != 0);
  }
  // The idle speed curve only matters while the unit controls the idle advance.
  if (TTab* tab = Control(SheetControlId::kIdleSpeed))
    tab->setVisible(m_core.params.Value(FieldId::kIdleAdvanceOn) != 0);
  ApplyMapColours(m_controls, m_core.params);
  for (TTab* tab : m_tabs)
    if (tab) tab->Model().RequestRedraw(kRedraw | kRelayout);
}

int CMapSheets::ActiveServoSheet() const {
  const CTabModel* servo = m_controls[SheetControlId::kServo];
  return servo ? servo->ActiveIndex() : kIntakeServoSheet;
}

void CMapSheets::ConnectServoRow(CPageControls& controls) {
  controls.SetServoSheetSource([this] { return ActiveServoSheet(); });
  // The check boxes bound to each servo's flags run their own handlers.
  for (const ControlBinding& b : PageBindings())
    for (const ServoSheetFields& f : ServoSheets()) {
      if (b.field == f.enable) controls.SetCheckBoxHandler(b.name, [this](bool on) { ServoEnableClick(on); });
      if (b.field == f.percent)
        controls.SetCheckBoxHandler(b.name, [this](bool percent) { ServoPercentClick(percent); });
    }
}

void CMapSheets::ServoEnableClick(bool on) {
  TTab* tab = Control(SheetControlId::kServo);
  if (!tab) return;
  CTabModel& servo = tab->Model();
  if (!servo.ValidSheet(servo.ActiveIndex())) return;
  // The sheet's own command: it reports the change, which commits.
  if ((servo.Sheet(servo.ActiveIndex()).enabled != 0) != on) servo.ToggleSheetEnabled();
  if (tab->isVisible()) tab->setFocus();
}

void CMapSheets::ServoPercentClick(bool percent) {
  TTab* tab = Control(SheetControlId::kServo);
  if (!tab || !SwitchServoUnit(tab->Model(), m_controls[SheetControlId::kIdlePosition], m_core.params, percent)) return;
  ApplyMapColours(m_controls, m_core.params);
  tab->Model().RequestRedraw(kRedraw | kRelayout);
  OnSheetChanged(*tab);
}

void CMapSheets::Store() {
  if (m_built) StoreMapSheets(m_controls, m_core.image);
}

void CMapSheets::ReloadUnitMaps() {
  if (!m_built) return;
  MapControls unitMaps;
  for (SheetControlId id : {SheetControlId::kAdvance, SheetControlId::kInjection})
    unitMaps.controls[Index(id)] = m_controls[id];
  m_loading = true;
  LoadMapSheets(m_core.image, unitMaps, {});
  AfterLoad();
  m_loading = false;
}

int CMapSheets::ActiveInjectionSheet() const {
  const CTabModel* injection = m_controls[SheetControlId::kInjection];
  return injection ? injection->ActiveIndex() : 0;
}

int CMapSheets::CouplingMode() const { return EffectiveCouplingMode(m_core.params.Value(FieldId::kInjectionCoupling)); }

void CMapSheets::OnSheetChanged(TTab& control) {
  // Loading, writing a page or the commit's own reload report changes too.
  if (!m_built || m_loading || m_core.reloadGuard || m_window.PageControls().Updating()) return;
  const auto it = std::find(m_tabs.begin(), m_tabs.end(), &control);
  if (it == m_tabs.end()) return;
  const auto id = static_cast<SheetControlId>(it - m_tabs.begin());
  CTabModel& model = control.Model();
  if (id == SheetControlId::kInjection) AfterInjectionChange(model, CouplingMode(), m_copy);
  TakeSheetChange(id, model, m_core.params);
  TakeMarkers();
  m_changing = id;
  m_core.CommitRequest(kSheetCommitId + int(Index(id)), 0);
  m_changing.reset();
}

void CMapSheets::SetInjectionAsTime(bool asTime) {
  m_core.params.injectionAsTime = asTime;
  if (CTabModel* injection = m_controls[SheetControlId::kInjection]) {
    SetInjectionDisplay(*injection, asTime || !m_percentAvailable, Background);
    injection->RequestRedraw(kRedraw | kRelayout);
  }
}

void CMapSheets::CouplingCommand(int target) {
  CTabModel* injection = m_controls[SheetControlId::kInjection];
  // A Read fills the image and the maps with the unit's: a coupling change
  // now would be lost when it ends, so none is made.
  if (!injection || m_core.mode == LinkMode::Reading) return;
  ApplyCouplingCommand(*injection, m_core.params, m_copy, target);
  // Stored, normalised, loaded and recorded like any commit; then every page.
  m_core.CommitSequence();
}
