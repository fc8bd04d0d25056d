#pragma once

#include <QObject>
#include <QString>
#include <string>
#include <vector>

class CAppCore;
class TFormHlav;
class QAction;
class QMenu;
class QMenuBar;

// The Service menu of the people who keep the default configurations. The
// work is done in files/ServiceTools; this class asks for files, shows the
// results and brings the window in line with an imported image.
class CServiceCommands : public QObject {
  Q_OBJECT

 public:
  CServiceCommands(TFormHlav& window, CAppCore& core);

  // MenuServis, in front of `before` (or last).
  void BuildMenu(QMenuBar& bar, QAction* before);
  // The menu is there only in service mode.
  void SetServiceMode(bool on);
  // Like the file commands, the items wait while a run reads, checks or writes the image.
  void SetBusy(bool busy);

  void MenuSaveAllNewClick();
  void MenuCompareAllClick();
  void MenuOpenOldMapsClick();
  void MenuServisUlozProcentaClick();

 private:
  std::string Folder(const char* name) const;
  void Say(const std::string& text);
  void SayOpenFileError(const std::vector<std::string>& reasons);

  TFormHlav& m_window;
  CAppCore& m_core;
  QMenu* m_menu = nullptr;
  std::vector<QAction*> m_items;
};
