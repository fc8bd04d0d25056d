#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>

class CAppCore;
class QAction;
class QMenuBar;
class QString;
class TFormEM;

// The main window's side of the external monitor: the "External monitor"
// menu, the monitor window itself (created hidden, kept for the whole run),
// the automatic set loaded at the first showing and stored at the end.
class CMonitorCommands : public QObject {
  Q_OBJECT

 public:
  // automaticSet: the image state file's path followed by "EMON.cem".
  CMonitorCommands(CAppCore& core, std::string automaticSet, QObject* parent = nullptr);
  ~CMonitorCommands() override;

  // The menu, in front of `before` on the bar.
  void BuildMenu(QMenuBar& bar, QAction* before);

  TFormEM& Monitor() { return *m_monitor; }
  bool Visible() const;
  // Set the first time the window is shown in a run: the set is then stored
  // to the automatic set file at the end.
  bool InUse() const { return m_inUse; }
  // Told the first time the set comes into use.
  void SetOnFirstUse(std::function<void()> f) { m_onFirstUse = std::move(f); }
  void SetServiceMode(bool on);

  // Menu commands; the settings' request to open the window acts as View.
  void MenuMonitorViewClick();
  void MenuMonitorLoadClick();
  void MenuMonitorStoreClick();
  void MenuMonitorSetClick(int which);
  // A set file from outside (the command line, a drop, a second start) or
  // chosen by the tuner: as Load with that file. A file that gives no set
  // changes nothing and is reported; false unless the whole set was read.
  bool OpenSetFile(const QString& path);
  // A catalogue value changed: the elements repaint at the next timer tick.
  void ValuesChanged();
  // At the end of the run, when in use.
  int StoreAutomaticSet();
  // What the window's hide and close leave; the program's end closes it.
  void Close();

  // An unreadable automatic set is reported here (a message box unless a test says otherwise).
  void SetErrorSink(std::function<void(const std::string&)> sink) { m_error = std::move(sink); }

 private:
  void Use();
  void Show();
  void LoadAutomaticSet();
  void Report(const std::string& text);

  CAppCore& m_core;
  std::string m_automaticSet;
  std::unique_ptr<TFormEM> m_monitor;
  bool m_inUse = false;
  std::function<void()> m_onFirstUse;
  std::function<void(const std::string&)> m_error;
};
