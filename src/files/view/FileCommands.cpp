#include "files/view/FileCommands.h"

#include <QAbstractButton>
#include <QAction>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

#include "base/Lang.h"
#include "base/UiTexts.h"
#include "core/AppCore.h"
#include "files/AtomicFile.h"
#include "files/ConfigFile.h"
#include "files/OpenReport.h"
#include "image/Pages.h"
#include "image/view/PageControls.h"
#include "shell/view/TFormHlav.h"

namespace {

// The dialogs' filters and extension; they are not translated.
constexpr const char* kOpenFilters[] = {"Ignition Parametrs(*.ign)", "All Files (*.*)"};
constexpr const char* kSaveFilter = "Ignition Parametrs(*.ign)";
constexpr const char* kExtension = "ign";

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }

bool CtrlHeld() { return QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier; }

}  // namespace

CFileCommands::CFileCommands(TFormHlav& window, CAppCore& core, AppPaths paths)
    : QObject(&window), m_window(window), m_core(core), m_paths(std::move(paths)) {}

CFileCommands::~CFileCommands() = default;

void CFileCommands::BuildMenu(QMenu& file, QAction* before) {
  struct Item {
    const char* name;
    std::function<void()> handler;
    QKeySequence key;
  };
  const Item items[] = {
      {"MenuOpen", [this] { MenuOpenClick(); }, QKeySequence::Open},
      {"MenuOpenExeDir", [this] { MenuOpenExeDirClick(); }, {}},
      {"MenuOpenActPage", [this] { MenuOpenActPageClick(); }, {}},
      {"MenuSave", [this] { MenuSaveClick(); }, QKeySequence::Save},
      {"MenuSaveExeDir", [this] { MenuSaveExeDirClick(); }, {}},
  };
  for (const Item& item : items) {
    auto* a = new QAction(&file);
    a->setObjectName(item.name);
    a->setShortcut(item.key);
    connect(a, &QAction::triggered, this, item.handler);
    file.insertAction(before, a);
    m_commands.push_back(a);
  }
  file.insertSeparator(before);
  for (int n = 1; n < kRecentFileMax; ++n) {
    auto* a = new QAction(&file);
    a->setObjectName(QString("MenuHistory%1").arg(n));
    connect(a, &QAction::triggered, this, [this, n] { MenuHistoryClick(n); });
    file.insertAction(before, a);
    m_history[std::size_t(n)] = a;
    m_commands.push_back(a);
  }
  m_historyEnd = file.insertSeparator(before);
  m_historyEnd->setObjectName("MenuHistoryEnd");
  RefreshHistoryMenu();
}

void CFileCommands::ConnectButtons(QAbstractButton& open, QAbstractButton& save) {
  connect(&open, &QAbstractButton::clicked, this, [this] { MenuOpenClick(CtrlHeld()); });
  connect(&save, &QAbstractButton::clicked, this, [this] { MenuSaveClick(CtrlHeld()); });
  m_buttons = {&open, &save};
}

void CFileCommands::SetBusy(bool busy) {
  for (QAction* a : m_commands) a->setEnabled(!busy);
  for (QAbstractButton* b : m_buttons) b->setEnabled(!busy);
}

void CFileCommands::SetRecent(const RecentFiles& recent) {
  m_recent = recent;
  RefreshHistoryMenu();
}

void CFileCommands::SetIniDir(const std::string& dir) {
  m_iniDir = dir;
  m_openFileName = m_saveFileName = Q(dir);
}

// --- dialogs -------------------------------------------------------------------

QFileDialog& CFileCommands::DialogOf(Dialog dialog) {
  QFileDialog*& d = dialog == Dialog::kOpen ? m_openDialog : m_saveDialog;
  if (!d) {
    d = new QFileDialog(&m_window);
    d->setObjectName(dialog == Dialog::kOpen ? "OpenDialog1" : "SaveDialog1");
    // The same dialog on every desktop, and one a test can drive.
    d->setOption(QFileDialog::DontUseNativeDialog);
    d->setDefaultSuffix(kExtension);
    if (dialog == Dialog::kOpen) {
      d->setAcceptMode(QFileDialog::AcceptOpen);
      d->setFileMode(QFileDialog::ExistingFile);
      d->setNameFilters({kOpenFilters[0], kOpenFilters[1]});
    } else {
      d->setAcceptMode(QFileDialog::AcceptSave);
      d->setFileMode(QFileDialog::AnyFile);
      d->setNameFilters({kSaveFilter});
    }
  }
  return *d;
}

std::optional<QString> CFileCommands::Choose(Dialog dialog) {
  const QString& preselect = dialog == Dialog::kOpen ? m_openFileName : m_saveFileName;
  if (m_chooser) return m_chooser(dialog, preselect);
  QFileDialog& d = DialogOf(dialog);
  const QFileInfo info(preselect);
  if (!preselect.isEmpty()) {
    d.setDirectory(info.absolutePath());
    d.selectFile(info.fileName());
  }
  if (dialog == Dialog::kSave) d.selectNameFilter(kSaveFilter);  // the first filter, every time
  if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return std::nullopt;
  return d.selectedFiles().first();
}

// --- open ----------------------------------------------------------------------

void CFileCommands::Say(const std::string& text) { m_window.ShowMessageBox(text); }

// Text typed into an edit counts before Enter: the menu, its shortcut and
// the tool buttons leave the focus in the edit, so nothing else takes it.
void CFileCommands::CommitPendingEdit() {
  m_window.PageControls().CommitFocusedEdit();
  m_core.FlushPendingCommit();
}

void CFileCommands::HideProgress() {
  m_window.SetMessageVisible(false);
  m_window.SetGaugeVisible(false);
}

std::optional<std::string> CFileCommands::ReadFileOrSay(const QString& path) {
  std::string bytes;
  const FileResult r = ReadWholeFile(S(path), bytes);
  if (r.ok) return bytes;
  Say(m_core.textSlots[kSlotOpenFileError] + "\n\n" + r.error);
  return std::nullopt;
}

ConfigReadResult CFileCommands::ReadScratch(const std::string& bytes) const {
  ConfigReadContext context;
  context.image = m_core.image;
  if (m_core.actualPage) {
    context.scope.wholeImage = false;
    context.scope.page = m_window.ActivePageIndex();
    context.scope.shownMap = m_window.ShownMap(context.scope.page);
  }
  return ReadConfigFile(bytes, context);
}

bool CFileCommands::OpenFile(const QString& path, bool actualPage) {
  const std::optional<std::string> bytes = ReadFileOrSay(path);
  if (!bytes) return false;
  CommitPendingEdit();
  m_core.actualPage = actualPage;
  // The whole file into a scratch image first: the tuner's image changes
  // only when the file is whole, or when he chooses to take what was read.
  const ConfigReadResult result = ReadScratch(*bytes);
  m_fileVersion = result.version;
  if (result.refused) {
    Say(m_core.textSlots[kSlotCoupledJetPage]);
    return false;
  }
  const OpenReport report = ReportFileProblems(result, S(path), CurrentLanguage());
  if (!report.text.empty()) {
    if (report.canOpenAnyway)
      AskOpenAnyway(*bytes, report.text);
    else
      Say(report.text);
    return false;
  }
  for (ConfigMessage m : result.messages) Say(m_core.textSlots[static_cast<int>(m)]);
  TakeImage(result.image);
  AfterAcceptedFile(path);
  if (!actualPage) m_window.ApplyLanguage();
  return true;
}

void CFileCommands::TakeImage(const ConfigImage& image) {
  m_core.image = image;
  // The pages show what the image holds now, brought into its limits.
  m_core.ReloadWindow();
}

// The box does not block: a drop or a hand-over from another start returns
// at once, and the tick runs behind it. The file is read again when the
// tuner decides, against the image as it is then.
void CFileCommands::AskOpenAnyway(const std::string& bytes, const std::string& text) {
  auto* box = new QMessageBox(QMessageBox::Warning, Q(m_core.textSlots[kSlotTitle]).trimmed(), Q(text),
                              QMessageBox::NoButton, &m_window);
  box->setObjectName("FileProblems");
  box->setAttribute(Qt::WA_DeleteOnClose);
  QPushButton* open = box->addButton(Q(std::string(kOpenAnywayButton.Get())), QMessageBox::AcceptRole);
  open->setObjectName("OpenAnyway");
  QPushButton* keep = box->addButton(Q(std::string(kDoNotOpenButton.Get())), QMessageBox::RejectRole);
  keep->setObjectName("DoNotOpen");
  box->setDefaultButton(keep);
  box->setEscapeButton(keep);
  const bool actualPage = m_core.actualPage;
  connect(open, &QPushButton::clicked, this, [this, bytes, actualPage] { OpenAnyway(bytes, actualPage); });
  box->open();
}

// What could be read becomes the image as one step of the history. The file
// is not the current file: the caption shows none until the tune is saved,
// and the recent files do not take it.
void CFileCommands::OpenAnyway(const std::string& bytes, bool actualPage) {
  // A Read fills the image block by block: a file read into it now would
  // leave a mixture of both.
  if (m_core.mode == LinkMode::Reading) return;
  CommitPendingEdit();
  m_core.actualPage = actualPage;
  const ConfigReadResult result = ReadScratch(bytes);
  if (result.version == 0 || result.refused) return;
  m_fileVersion = result.version;
  TakeImage(result.image);
  m_core.RecordHistory();
  m_window.ShowHistoryState();
  m_core.SetFileNameAndCaption("");
  if (!actualPage) m_window.ApplyLanguage();
  HideProgress();
}

void CFileCommands::AfterAcceptedFile(const QString& path) {
  // A step of the history like any change, so that Undo brings back what
  // was there and the image no longer counts as the unit's.
  m_core.RecordHistory();
  m_window.ShowHistoryState();
  m_core.SetFileNameAndCaption(S(path));
  SetIniDir(S(path));
  AddRecentFile(m_recent, S(path));
  RefreshHistoryMenu();
}

bool CFileCommands::OpenConfigFile(const QString& path) {
  const bool accepted = OpenFile(path, false);
  HideProgress();
  return accepted;
}

void CFileCommands::MenuOpenClick(bool exeDirFile) {
  if (exeDirFile) m_openFileName = m_saveFileName = Q(m_paths.exeDirFile);
  if (const std::optional<QString> path = Choose(Dialog::kOpen)) OpenConfigFile(*path);
}

void CFileCommands::MenuOpenExeDirClick() { MenuOpenClick(true); }

void CFileCommands::MenuOpenActPageClick() {
  DefaultsScope scope{false, m_window.ActivePageIndex(), m_window.ShownMap(m_window.ActivePageIndex())};
  if (CoupledPageRefused(m_core.image, scope)) {
    Say(m_core.textSlots[kSlotCoupledJetPage]);
    return;
  }
  if (const std::optional<QString> path = Choose(Dialog::kOpen)) OpenFile(*path, true);
  HideProgress();
}

void CFileCommands::MenuHistoryClick(int n) {
  if (n < 1 || n >= m_recent.count) return;
  const std::string& path = m_recent.paths[std::size_t(n)];
  if (path.empty()) return;  // a gap the settings file left
  OpenConfigFile(Q(path));
}

bool CFileCommands::DropFiles(const QStringList& paths) {
  // A drop is no menu command that a run disables: a file read into the
  // image while a Read fills it would leave a mixture of both.
  if (m_core.mode != LinkMode::Idle) return false;
  for (const QString& p : paths) {
    if (p.size() > 3 && p.endsWith(".ign", Qt::CaseInsensitive)) {
      // The dialogs take its path when it opens (a file refused leaves them).
      OpenConfigFile(p);
      return true;
    }
  }
  return false;
}

// --- save ----------------------------------------------------------------------

void CFileCommands::MenuSaveClick(bool exeDirFile) {
  if (exeDirFile) m_openFileName = m_saveFileName = Q(m_paths.exeDirFile);
  const std::optional<QString> path = Choose(Dialog::kSave);
  if (!path) return;
  // What the pages and sheets show goes into the image, within its limits.
  CommitPendingEdit();
  m_window.ReadActivePage();
  m_core.StoreAll();
  m_core.ReloadWindow();
  // What the limits changed is a change like any other: the unit gets it
  // too when it is programmed after change.
  m_core.RecordAndProgram();
  m_window.ShowHistoryState();

  const ConfigFileIdentity identity{m_core.imageMatchesUnit != 0, m_core.unitDate, m_core.unitTime,  m_core.unitText,
                                    m_core.bootRecordValid != 0,  m_core.bootLine, m_core.bootRecord};
  if (path->startsWith(Q(m_paths.dataDir))) EnsureParentDirectory(S(*path));
  const FileResult written = WriteFileAtomic(S(*path), WriteConfigFile(m_core.image, identity));
  if (!written.ok) {
    // The old file is whole; nothing counts as saved.
    Say(m_core.textSlots[kSlotOpenFileError] + "\n\n" + written.error);
    return;
  }
  m_core.SetFileNameAndCaption(S(*path));
  SetIniDir(S(*path));
  AddRecentFile(m_recent, S(*path));
  RefreshHistoryMenu();
}

void CFileCommands::MenuSaveExeDirClick() { MenuSaveClick(true); }

// --- recent files --------------------------------------------------------------

void CFileCommands::RefreshHistoryMenu() {
  for (int n = 1; n < kRecentFileMax; ++n) {
    QAction* a = m_history[std::size_t(n)];
    if (!a) continue;
    // "&" in a file name is a letter, not a mnemonic.
    a->setText(Q(RecentFileCaption(n, m_recent.paths[std::size_t(n)])).replace("&", "&&"));
    a->setVisible(n < m_recent.count);
  }
  if (m_historyEnd) m_historyEnd->setVisible(m_recent.count > 1);
}
