#pragma once

#include <QObject>
#include <QStringList>

#include "shell/InstanceChannel.h"

class QTimer;
class TFormHlav;

// Files that come from outside the window: the one named on the command
// line, and those a second start hands over through the single-instance
// socket. Each is opened by its kind (OutsideFiles.h) once no run reads,
// checks or writes the image, and the window comes to the front.
class COpenRequests : public QObject {
  Q_OBJECT

 public:
  explicit COpenRequests(TFormHlav& window);
  ~COpenRequests() override;

  // Becomes the instance that later starts hand their files to; false
  // (with the reason in Listener().LastError()) when another one already is.
  bool Listen();
  const CInstanceListener& Listener() const { return m_listener; }

  // Queues `path` for opening; returns at once.
  void Open(const QString& path);

 private:
  void AcceptClients();
  void OpenQueued();

  TFormHlav& m_window;
  CInstanceListener m_listener;
  QStringList m_queue;
  QTimer* m_wait = nullptr;  // polls for the end of a run
};
