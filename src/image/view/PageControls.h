#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <functional>
#include <vector>

#include "image/PageBindings.h"
#include "image/PageRules.h"

class CAppCore;
class QLineEdit;
class QWidget;
class TUpDown;

// The scalar controls of the parameter pages as the core sees them. Every
// bound control is found by its name once, when the pages exist; reading,
// writing and the rules then work through the binding table. It also routes
// the controls' events to the commit: Enter and leaving an edit commit now,
// an up/down click commits 5 ticks after the last click, a check box or a
// radio item commits now, all of it only while the updating guard is off.
class CPageControls : public QObject, public IControlValues {
  Q_OBJECT

 public:
  // `activePage` tells which page the user works on: the page the window
  // remembers, which during a page change is still the page being left.
  CPageControls(QWidget& root, CAppCore& core, std::function<int()> activePage);

  // Finds the controls by name and connects their events. Call once, after
  // every page is built.
  void Bind();

  std::optional<std::int32_t> Get(const ControlBinding& control) const override;
  void Set(const ControlBinding& control, std::int32_t value) override;

  // Controls of `page` -> the core's parameter set (the bike page also puts
  // the note into the image).
  void ReadPage(int page);
  // Parameter set -> controls of `page` under the updating guard, then the
  // page's rules.
  void WritePage(int page);
  void ApplyRules(int page);
  bool Updating() const { return m_updating || m_closed; }
  // The window is closing: from now on no event of a control commits (the
  // focus leaving an edit as the window goes away must not store anything).
  void Close() { m_closed = true; }
  // Text typed into the focused edit of the active page goes in now (a page
  // change is about to take the page away).
  void CommitFocusedEdit();

  // Every named widget of the window, found once by Bind.
  const QHash<QString, QWidget*>& Names() const { return m_byName; }
  // The widget named `name`, found once; null when the window has none.
  QWidget* Widget(const QString& name) const { return m_byName.value(name); }

  // Commit ids of controls outside the binding table.
  static constexpr int kProgHnedId = 100000;
  static constexpr int kExtMonitorId = 100001;
  static constexpr int kMemoId = 100002;
  static constexpr int kButtonId = 100003;

  // The command buttons of the pages that take a live value.
  void ButtonTpsClick(bool hundredPercent);
  void ButtonGearClick(int gear);
  // The injection sheet on show, for page 2's rules.
  void SetInjectionSheetSource(std::function<int()> source) { m_activeInjectionSheet = std::move(source); }
  // The servo sheet on show, for page 6's rules.
  void SetServoSheetSource(std::function<int()> source) { m_activeServoSheet = std::move(source); }
  // A bound check box whose click runs `handler` (with its new state)
  // instead of the plain commit; never while the controls are being written.
  void SetCheckBoxHandler(const QString& name, const std::function<void(bool)>& handler) {
    m_checkBoxHandlers.insert(name, handler);
  }
  // CheckBoxLadeniPovoleno and the tuning page's and test page's rules
  // (colours, test lock) after the core's tuning switch changed.
  void ShowTuningSwitch();
  // A radio group item chosen by the user.
  void RadioGroupClick(const ControlBinding& group);

 private:
  int IdOf(const ControlBinding& b) const;
  void Commit(int id, int key = 0);
  void ConnectUpDown(const ControlBinding& b, TUpDown& upDown);
  bool eventFilter(QObject* watched, QEvent* event) override;

 signals:
  // The user switched tuning with CheckBoxLadeniPovoleno.
  void TuningSwitched();
  // The bike page was written with a bike type that names no bike.
  void BikeUnknown(int type);
  // A typed value its range held back: as typed, and as the edit shows it now.
  void ValueLimited(const QString& typed, const QString& inForce);

 private:
  void OnEditDone(QLineEdit& edit, bool enter);
  void ApplyState(const ControlState& s);
  int PageOf(const QWidget& w) const;

  QWidget& m_root;
  CAppCore& m_core;
  std::function<int()> m_activePage;
  std::function<int()> m_activeInjectionSheet;
  std::function<int()> m_activeServoSheet;
  QHash<QString, std::function<void(bool)>> m_checkBoxHandlers;
  QHash<QString, QWidget*> m_byName;
  QHash<const QLineEdit*, TUpDown*> m_pairOfEdit;
  std::vector<QWidget*> m_pages;
  bool m_updating = false;
  bool m_closed = false;
  // The bike type last found naming no bike, so the page warns once for it.
  int m_unknownBike = -1;
};
