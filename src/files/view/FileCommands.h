#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "files/ConfigFile.h"
#include "files/Paths.h"
#include "files/Settings.h"

class CAppCore;
class TFormHlav;
class QAbstractButton;
class QAction;
class QFileDialog;
class QMenu;

// The File menu's configuration files: Open, Open from exe dir, Open for
// actual page, Save, Save to exe dir, the recent files and files dropped on
// the window. New lives with the bike types; this class opens and saves.
class CFileCommands : public QObject {
  Q_OBJECT

 public:
  CFileCommands(TFormHlav& window, CAppCore& core, AppPaths paths);
  ~CFileCommands() override;

  // Adds the items to `file` in front of `before` (the separator above Exit).
  void BuildMenu(QMenu& file, QAction* before);
  // SpeedButtonOpen and SpeedButtonSave: Ctrl held preselects the exe-dir file.
  void ConnectButtons(QAbstractButton& open, QAbstractButton& save);

  void MenuOpenClick(bool exeDirFile = false);
  void MenuOpenExeDirClick();
  void MenuOpenActPageClick();
  void MenuSaveClick(bool exeDirFile = false);
  void MenuSaveExeDirClick();
  // MenuHistory1..9: entry n of the recent files.
  void MenuHistoryClick(int n);
  // The common open; true when the file carried an accepted key.
  bool OpenConfigFile(const QString& path);
  // Files dropped on the window: the first ".ign" among them is opened.
  // False when none was one, or while a run reads, checks or writes the image.
  bool DropFiles(const QStringList& paths);
  // The commands wait while a run reads, checks or writes the image.
  void SetBusy(bool busy);

  // The file dialogs; tests and other front ends choose files themselves.
  // The chooser gets the file name the dialog would preselect; no value: cancelled.
  enum class Dialog { kOpen, kSave };
  using Chooser = std::function<std::optional<QString>(Dialog dialog, const QString& fileName)>;
  void SetChooser(Chooser chooser) { m_chooser = std::move(chooser); }
  // The file the user chooses in the dialog (or the chooser); no value: cancelled.
  std::optional<QString> Choose(Dialog dialog);

  // Kept between runs by the settings.
  const RecentFiles& Recent() const { return m_recent; }
  void SetRecent(const RecentFiles& recent);
  const std::string& IniDir() const { return m_iniDir; }
  void SetIniDir(const std::string& dir);
  // Version of the last file read (0: none accepted).
  int FileVersion() const { return m_fileVersion; }

 private:
  QFileDialog& DialogOf(Dialog dialog);
  // The file's bytes, or a message shown and nothing.
  std::optional<std::string> ReadFileOrSay(const QString& path);
  // The file read into a scratch copy of the image, in the scope the
  // actual-page flag gives.
  ConfigReadResult ReadScratch(const std::string& bytes) const;
  // Open and Open for actual page: a whole file becomes the image and the
  // current file; one with problems changes nothing and says so, offering
  // to take what could be read. True when the file was taken whole.
  bool OpenFile(const QString& path, bool actualPage);
  void TakeImage(const ConfigImage& image);
  void AskOpenAnyway(const std::string& bytes, const std::string& text);
  void OpenAnyway(const std::string& bytes, bool actualPage);
  void AfterAcceptedFile(const QString& path);
  void CommitPendingEdit();
  void HideProgress();
  void RefreshHistoryMenu();
  void Say(const std::string& text);

  TFormHlav& m_window;
  CAppCore& m_core;
  AppPaths m_paths;
  RecentFiles m_recent;
  std::string m_iniDir;
  QString m_openFileName, m_saveFileName;  // what each dialog preselects
  int m_fileVersion = 0;
  Chooser m_chooser;
  QFileDialog* m_openDialog = nullptr;
  QFileDialog* m_saveDialog = nullptr;
  std::array<QAction*, kRecentFileMax> m_history{};  // [1..9] used
  QAction* m_historyEnd = nullptr;
  std::vector<QAction*> m_commands;
  std::vector<QAbstractButton*> m_buttons;
};
