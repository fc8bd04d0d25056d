// The main window's side of the settings: what it hands to the settings
// file and the image state file at close, and takes from them at start.

#include <QCheckBox>
#include <QTabWidget>

#include "files/view/FileCommands.h"
#include "image/MapCatalogue.h"
#include "image/Pages.h"
#include "image/view/MapSheets.h"
#include "sheet/view/TTab.h"
#include "base/Lang.h"
#include "shell/view/TFormHlav.h"

#include "monitor/view/MonitorCommands.h"

SettingsState TFormHlav::SettingsFromWindow() const {
  SettingsState s;
  // The frame is the window manager's: the inner rectangle comes back as
  // it went, so a restored window does not creep by its frame.
  const QRect r = isMaximized() || isFullScreen() ? normalGeometry() : geometry();
  s.window = {r.x(), r.y(), r.width(), r.height()};
  s.portIndex = m_core->portIndex;
  s.autoPortIndex = m_core->autoPortIndex;
  s.language = CurrentLanguage();
  s.fileName = m_core->textSlots.FileName();
  s.iniDir = m_files->IniDir();
  s.activePage = m_activePage;
  if (m_mapSheets) {
    s.injectionMap = std::max(0, m_mapSheets->ActiveInjectionSheet());
    s.servoMap = std::max(0, m_mapSheets->ActiveServoSheet());
  }
  s.injectionInMs = m_core->params.injectionAsTime;
  if (const auto* detailed = findChild<QCheckBox*>("CheckBoxExtMonitor")) s.extMonitorDetailed = detailed->isChecked();
  s.monitorWindowVisible = m_monitor ? m_monitor->Visible() : m_monitorWindowVisible;
  s.autoRecord = m_core->autoRecord;
  s.recent = m_files->Recent();
  s.image = m_core->image;
  s.reserved = m_reservedState;
  return s;
}

void TFormHlav::WindowFromSettings(const SettingsState& s) {
  setGeometry(s.window.left, s.window.top, s.window.width, s.window.height);
  m_core->portIndex = s.portIndex;
  m_core->autoPortIndex = s.autoPortIndex;
  SetCurrentLanguage(s.language);
  m_core->SetFileNameAndCaption(s.fileName);
  m_files->SetIniDir(s.iniDir);
  if (s.activePage >= 0 && s.activePage < kPageCount) {
    // The pages are written from the image once it is loaded.
    const QSignalBlocker quiet(m_pageControl1);
    m_pageControl1->setCurrentIndex(s.activePage);
    m_activePage = s.activePage;
  }
  m_core->params.injectionAsTime = s.injectionInMs;
  if (auto* detailed = findChild<QCheckBox*>("CheckBoxExtMonitor")) detailed->setChecked(s.extMonitorDetailed);
  m_monitorWindowVisible = s.monitorWindowVisible;
  m_core->autoRecord = s.autoRecord;
  m_files->SetRecent(s.recent);
  m_core->image = s.image;
  m_reservedState = s.reserved;
}

// The map each of the Injection and Servo pages showed; a map the coupling
// hides leaves the page on its first.
void TFormHlav::SelectShownMaps(int injectionMap, int servoMap) {
  if (!m_mapSheets) return;
  const std::pair<SheetControlId, int> shown[] = {{SheetControlId::kInjection, injectionMap},
                                                  {SheetControlId::kServo, servoMap}};
  for (const auto& [id, map] : shown) {
    TTab* tab = m_mapSheets->Control(id);
    if (!tab) continue;
    CTabModel& model = tab->Model();
    if (model.ValidSheet(map) && !model.Sheet(map).hidden) model.SelectSheet(map);
  }
}
