#pragma once

#include <QApplication>
#include <functional>
#include <string>

// The application object. An error that escapes an event handler (a menu
// command, the tick, a paint) ends up here instead of ending the program:
// it is written to the error log, handed to the window to show, and the
// program goes on with the next event.
class CVentrixApplication : public QApplication {
 public:
  CVentrixApplication(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;

  // Where the log goes and who shows the message (the status bar).
  void SetErrorLog(std::string path) { m_logPath = std::move(path); }
  void SetErrorShown(std::function<void(const QString&)> show) { m_show = std::move(show); }

  // Logs and shows one error: HandleExceptions of the main window.
  void HandleException(const std::string& message);

 private:
  std::string m_logPath;
  std::function<void(const QString&)> m_show;
};
