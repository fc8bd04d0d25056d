#pragma once

// The real main window on a scripted port, its timer stopped so that the
// test ticks it itself. A test's fixture derives from it, sets its seams,
// then calls Show().

#include <QMessageBox>
#include <QTabWidget>
#include <QtTest>
#include <memory>

#include "shell/view/TFormHlav.h"
#include "support/FakePort.h"

namespace testsupport {

struct WindowUnderTest {
  FakePort* port = nullptr;
  std::unique_ptr<TFormHlav> window;
  QTabWidget* pages = nullptr;

  WindowUnderTest() {
    auto p = std::make_unique<FakePort>();
    port = p.get();
    window = std::make_unique<TFormHlav>(std::move(p));
    window->Timer1().stop();  // the test ticks itself
    pages = window->findChild<QTabWidget*>("PageControl1");
  }
  void Show() {
    window->show();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window.get())) qWarning("the window did not become active");
  }
  CAppCore& Core() { return window->Core(); }
  // Texts of the message boxes shown since the last call; the boxes go.
  QStringList TakeMessages() {
    QStringList texts;
    for (QMessageBox* box : window->findChildren<QMessageBox*>()) {
      texts << box->text();
      delete box;
    }
    return texts;
  }
};

}  // namespace testsupport
