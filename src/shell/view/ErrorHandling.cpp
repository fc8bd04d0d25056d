#include "shell/view/ErrorHandling.h"

#include <cstdio>
#include <ctime>
#include <exception>

#include "files/ErrorLog.h"
#include "base/Lang.h"

CVentrixApplication::CVentrixApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool CVentrixApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    HandleException(e.what());
  } catch (...) {
    HandleException("unknown error");
  }
  return false;
}

void CVentrixApplication::HandleException(const std::string& message) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  const CodePage page = CodePageForLanguage(CurrentLanguage());
  if (!m_logPath.empty()) AppendErrorLog(m_logPath, ErrorLogLine(local, message, page));
  // The debugger output of other systems: standard error here.
  std::fprintf(stderr, "ventrix: %s\n", message.c_str());
  if (m_show) m_show(QString::fromStdString(message));
}
