#include "files/view/ServiceCommands.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <filesystem>
#include <functional>

#include "core/AppCore.h"
#include "files/AtomicFile.h"
#include "files/ServiceTools.h"
#include "files/view/FileCommands.h"
#include "image/view/PageControls.h"
#include "shell/view/TFormHlav.h"

namespace {

// Not translated: the people who read it read the folder names too.
constexpr const char* kResultsIn = "Results in file \"";

std::string S(const QString& s) { return s.toStdString(); }

}  // namespace

CServiceCommands::CServiceCommands(TFormHlav& window, CAppCore& core)
    : QObject(&window), m_window(window), m_core(core) {}

void CServiceCommands::BuildMenu(QMenuBar& bar, QAction* before) {
  m_menu = new QMenu(&bar);
  m_menu->setObjectName("MenuServis");
  bar.insertMenu(before, m_menu);
  struct Item {
    const char* name;
    void (CServiceCommands::*handler)();
  };
  const Item items[] = {
      {"MenuSaveAllNew", &CServiceCommands::MenuSaveAllNewClick},
      {"MenuCompareAll", &CServiceCommands::MenuCompareAllClick},
      {"OpenOldMaps", &CServiceCommands::MenuOpenOldMapsClick},
      {"MenuServisUlozProcenta", &CServiceCommands::MenuServisUlozProcentaClick},
  };
  for (const Item& item : items) {
    QAction* a = m_menu->addAction(QString());
    a->setObjectName(item.name);
    connect(a, &QAction::triggered, this, item.handler);
    m_items.push_back(a);
  }
  SetServiceMode(false);
}

void CServiceCommands::SetServiceMode(bool on) {
  if (m_menu) m_menu->menuAction()->setVisible(on);
}

void CServiceCommands::SetBusy(bool busy) {
  for (QAction* a : m_items) a->setEnabled(!busy);
}

std::string CServiceCommands::Folder(const char* name) const {
  std::error_code error;
  return (std::filesystem::current_path(error) / name).string();
}

void CServiceCommands::Say(const std::string& text) { m_window.ShowMessageBox(text); }

// One box for all that failed: the boxes do not block, so one per file would pile up.
void CServiceCommands::SayOpenFileError(const std::vector<std::string>& reasons) {
  std::string text = m_core.textSlots[kSlotOpenFileError] + "\n";
  for (const std::string& reason : reasons) text += "\n" + reason;
  Say(text);
}

void CServiceCommands::MenuSaveAllNewClick() {
  // Scratch images and sheets: the shown image, its history, the dirty
  // blocks and the link never see the 64 defaults go by.
  const SaveAllNewResult result = SaveAllNew(Folder(kNewDefaultsFolder));
  if (!result.folder.ok) {
    SayOpenFileError({result.folder.error});
    return;
  }
  std::vector<std::string> reasons;
  reasons.reserve(result.failures.size());
  for (const FileResult& failure : result.failures) reasons.push_back(failure.error);
  if (!reasons.empty()) SayOpenFileError(reasons);
}

void CServiceCommands::MenuCompareAllClick() {
  std::string report;
  const FileResult written = CompareAllNew(Folder(kNewDefaultsFolder), Folder(kOldDefaultsFolder), report);
  if (!written.ok) {
    SayOpenFileError({written.error});
    return;
  }
  Say(kResultsIn + report + "\"");
}

void CServiceCommands::MenuOpenOldMapsClick() {
  CFileCommands& files = m_window.FileCommands();
  if (const std::optional<QString> path = files.Choose(CFileCommands::Dialog::kOpen)) {
    std::string bytes;
    if (const FileResult read = ReadWholeFile(S(*path), bytes); !read.ok) {
      SayOpenFileError({read.error});
    } else {
      DefaultsScope scope = kWholeImage;
      if (m_core.actualPage) {
        scope.wholeImage = false;
        scope.page = m_window.ActivePageIndex();
        scope.shownMap = m_window.ShownMap(scope.page);
      }
      OpenOldMaps(bytes, m_core.image, scope);
      m_core.ReloadWindow();
      // A step of the history like any open: Undo brings back the maps
      // before it, and the changed blocks count as not programmed.
      m_core.RecordHistory();
      m_window.ShowHistoryState();
      m_core.SetFileNameAndCaption(S(*path));
      files.SetIniDir(S(*path));
    }
  }
  m_window.SetMessageVisible(false);
  m_window.SetGaugeVisible(false);
}

void CServiceCommands::MenuServisUlozProcentaClick() {
  CFileCommands& files = m_window.FileCommands();
  const std::optional<QString> path = files.Choose(CFileCommands::Dialog::kSave);
  if (!path) return;
  // What the pages and sheets show goes into the image, within its limits, as a save does.
  m_window.PageControls().CommitFocusedEdit();
  m_core.FlushPendingCommit();
  m_window.ReadActivePage();
  m_core.StoreAll();
  m_core.ReloadWindow();
  m_core.RecordAndProgram();
  m_window.ShowHistoryState();
  if (const FileResult written = WriteFileAtomic(S(*path), WritePercentMaps(m_core.image)); !written.ok) {
    SayOpenFileError({written.error});
    return;
  }
  m_core.SetFileNameAndCaption(S(*path));
  files.SetIniDir(S(*path));
}
