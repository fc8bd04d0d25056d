#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM, SIGINT and SIGHUP (a logout, Ctrl+C in the terminal) delivered as
// an ordinary event: the handler only writes the signal's number into a pipe,
// and the event loop reads it between two events, so the program ends through
// its normal closing sequence and never in the middle of a tick.
//
// One instance per process; it restores the default handlers when destroyed.
class TerminationSignals : public QObject {
  Q_OBJECT

 public:
  explicit TerminationSignals(QObject* parent = nullptr);
  ~TerminationSignals() override;

  // False when the pipe could not be made; the signals then keep their
  // default action (the program ends at once).
  bool IsWatching() const { return m_notifier != nullptr; }

 signals:
  void Received(int signalNumber);

 private:
  void OnReadable();

  int m_pipe[2] = {-1, -1};
  QSocketNotifier* m_notifier = nullptr;
};
