#include "shell/view/TerminationSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
volatile std::sig_atomic_t g_writeFd = -1;

extern "C" void OnTerminationSignal(int signalNumber) {
  const int saved = errno;
  const unsigned char byte = static_cast<unsigned char>(signalNumber);
  // A full pipe already holds a request to close; losing this one is harmless.
  [[maybe_unused]] const ssize_t n = ::write(g_writeFd, &byte, 1);
  errno = saved;
}

}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
  if (::pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    m_pipe[0] = m_pipe[1] = -1;
    return;
  }
  g_writeFd = m_pipe[1];
  m_notifier = new QSocketNotifier(m_pipe[0], QSocketNotifier::Read, this);
  connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::OnReadable);

  struct sigaction sa {};
  sa.sa_handler = OnTerminationSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  for (int s : kSignals) ::sigaction(s, &sa, nullptr);
}

TerminationSignals::~TerminationSignals() {
  if (m_pipe[0] < 0) return;
  for (int s : kSignals) std::signal(s, SIG_DFL);
  g_writeFd = -1;
  ::close(m_pipe[0]);
  ::close(m_pipe[1]);
}

void TerminationSignals::OnReadable() {
  unsigned char byte = 0;
  while (::read(m_pipe[0], &byte, 1) == 1) emit Received(byte);
}
