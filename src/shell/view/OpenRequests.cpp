#include "shell/view/OpenRequests.h"

#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include "shell/CommandLine.h"
#include "shell/view/OutsideFiles.h"
#include "shell/view/TFormHlav.h"

namespace {
constexpr int kRunPollMs = 200;
// A client that connects and says nothing is dropped after this long.
constexpr int kClientPatienceMs = 2000;
}  // namespace

COpenRequests::COpenRequests(TFormHlav& window) : QObject(&window), m_window(window) {
  m_wait = new QTimer(this);
  m_wait->setInterval(kRunPollMs);
  connect(m_wait, &QTimer::timeout, this, &COpenRequests::OpenQueued);
}

COpenRequests::~COpenRequests() = default;

bool COpenRequests::Listen() {
  if (!m_listener.Listen()) return false;
  auto* notifier = new QSocketNotifier(m_listener.Fd(), QSocketNotifier::Read, this);
  connect(notifier, &QSocketNotifier::activated, this, &COpenRequests::AcceptClients);
  return true;
}

// Each client sends one packet right after connecting; its own notifier
// waits for it, so a slow or silent client never holds up the window.
void COpenRequests::AcceptClients() {
  for (int connection = m_listener.Accept(); connection >= 0; connection = m_listener.Accept()) {
    auto* notifier = new QSocketNotifier(connection, QSocketNotifier::Read, this);
    const auto finish = [notifier, connection] {
      if (!notifier->isEnabled()) return;  // the answer and the patience timer both end it
      notifier->setEnabled(false);
      notifier->deleteLater();
      CloseConnection(connection);
    };
    connect(notifier, &QSocketNotifier::activated, this, [this, finish, connection] {
      const ClientRequest request = ReadClientRequest(connection);
      if (request.state == ClientRequest::State::kNotYet) return;
      finish();
      if (request.state == ClientRequest::State::kOpen)
        Open(QFile::decodeName(QByteArray::fromStdString(request.path)));
    });
    QTimer::singleShot(kClientPatienceMs, notifier, finish);
  }
}

void COpenRequests::Open(const QString& path) {
  m_queue << path;
  // Not from inside the caller: the window may still be starting up.
  QTimer::singleShot(0, this, &COpenRequests::OpenQueued);
}

void COpenRequests::OpenQueued() {
  // A file read into the image while a run fills it would leave a mixture of both.
  if (m_window.Core().mode != LinkMode::Idle) {
    if (!m_queue.isEmpty()) m_wait->start();
    return;
  }
  m_wait->stop();
  while (!m_queue.isEmpty()) {
    const QString path = m_queue.takeFirst();
    if (m_window.isMinimized()) m_window.showNormal();
    m_window.raise();
    m_window.activateWindow();
    const std::string refusal = StartFileRefusal(QFile::encodeName(path).toStdString());
    if (!refusal.empty()) {
      m_window.ShowMessageBox(m_window.Core().textSlots[kSlotOpenFileError] + "\n\n" + refusal);
      continue;
    }
    OpenOutsideFile(m_window, path);
  }
}
