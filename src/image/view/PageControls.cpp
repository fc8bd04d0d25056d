#include "image/view/PageControls.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include "base/view/Colour.h"
#include "base/view/HistoryKeys.h"
#include "base/view/LanguageView.h"
#include "core/AppCore.h"
#include "image/BikeTypes.h"
#include "image/Note.h"
#include "image/Pages.h"
#include "image/view/TUpDown.h"
#include "link/TestButtons.h"
#include "sheet/ValueText.h"

namespace {

QString Q(const char* s) { return QString::fromLatin1(s); }

constexpr int kNoteCharacters = int(kNoteLast - kNoteFirst);

QButtonGroup* ButtonGroupOf(QWidget* box) { return box ? box->findChild<QButtonGroup*>() : nullptr; }

// Enter moves on like Tab: to the next control that takes the focus.
void FocusNext(QWidget& from) {
  for (QWidget* w = from.nextInFocusChain(); w && w != &from; w = w->nextInFocusChain()) {
    if ((w->focusPolicy() & Qt::TabFocus) && w->isVisible() && w->isEnabled()) {
      w->setFocus(Qt::TabFocusReason);
      return;
    }
  }
}

}  // namespace

CPageControls::CPageControls(QWidget& root, CAppCore& core, std::function<int()> activePage)
    : QObject(&root), m_root(root), m_core(core), m_activePage(std::move(activePage)) {}

int CPageControls::IdOf(const ControlBinding& b) const { return int(&b - PageBindings().data()); }

void CPageControls::Commit(int id, int key) {
  if (Updating()) return;
  m_core.CommitRequest(id, key);
}

int CPageControls::PageOf(const QWidget& w) const {
  for (int i = 0; i < int(m_pages.size()); ++i)
    if (m_pages[std::size_t(i)] == &w || m_pages[std::size_t(i)]->isAncestorOf(&w)) return i;
  return -1;
}

void CPageControls::Bind() {
  for (QWidget* w : m_root.findChildren<QWidget*>()) {
    const QString name = w->objectName();
    if (!name.isEmpty() && !m_byName.contains(name)) m_byName.insert(name, w);
  }
  if (auto* tabs = qobject_cast<QTabWidget*>(Widget("PageControl1")))
    for (int i = 0; i < tabs->count(); ++i) m_pages.push_back(tabs->widget(i));

  for (const ControlBinding& b : PageBindings()) {
    QWidget* w = Widget(Q(b.name));
    if (!w) continue;
    const int id = IdOf(b);
    switch (b.kind) {
      case ControlKind::kUpDown:
        if (auto* upDown = qobject_cast<TUpDown*>(w)) ConnectUpDown(b, *upDown);
        break;
      case ControlKind::kCheckBox:
        if (auto* box = qobject_cast<QCheckBox*>(w))
          connect(box, &QCheckBox::clicked, this, [this, id, name = Q(b.name)](bool on) {
            const auto handler = m_checkBoxHandlers.constFind(name);
            if (handler == m_checkBoxHandlers.cend()) {
              Commit(id);
            } else if (!Updating()) {
              (*handler)(on);
            }
          });
        break;
      case ControlKind::kRadioGroup:
        if (QButtonGroup* group = ButtonGroupOf(w))
          connect(group, &QButtonGroup::idClicked, this, [this, &b] { RadioGroupClick(b); });
        break;
    }
  }

  if (auto* box = qobject_cast<QCheckBox*>(Widget("CheckBoxProgHned")))
    connect(box, &QCheckBox::clicked, this, [this](bool on) {
      // The core programs changed blocks at once while the box is checked.
      m_core.programAfterChange = on;
      Commit(kProgHnedId);
    });
  if (auto* box = qobject_cast<QCheckBox*>(Widget("CheckBoxExtMonitor")))
    connect(box, &QCheckBox::clicked, this, [this] { Commit(kExtMonitorId); });
  if (auto* memo = qobject_cast<QPlainTextEdit*>(Widget("Memo1"))) {
    memo->installEventFilter(this);
    // The note area holds 119 characters and the closing NUL: a line break
    // takes one byte there, as each line ends with a NUL.
    connect(memo, &QPlainTextEdit::textChanged, this, [memo] {
      const QString text = memo->toPlainText();
      if (text.size() <= kNoteCharacters) return;
      QTextCursor cursor = memo->textCursor();
      const int position = std::min(cursor.position(), kNoteCharacters);
      memo->setPlainText(text.left(kNoteCharacters));
      cursor = memo->textCursor();
      cursor.setPosition(position);
      memo->setTextCursor(cursor);
    });
  }
  if (auto* b = qobject_cast<QAbstractButton*>(Widget("ButtonTps0")))
    connect(b, &QAbstractButton::clicked, this, [this] { ButtonTpsClick(false); });
  if (auto* b = qobject_cast<QAbstractButton*>(Widget("ButtonTps100")))
    connect(b, &QAbstractButton::clicked, this, [this] { ButtonTpsClick(true); });
  for (int g = 0; g <= 6; ++g)
    if (auto* b = qobject_cast<QAbstractButton*>(Widget(QString("ButtonGear%1").arg(g))))
      connect(b, &QAbstractButton::clicked, this, [this, g] { ButtonGearClick(g); });
  for (const TestButton& t : TestButtons())
    if (auto* b = qobject_cast<QAbstractButton*>(Widget(Q(t.name))))
      connect(b, &QAbstractButton::clicked, this, [this, name = t.name] { m_core.ButtonTestClick(name); });
  // "Tuning on" is the core's switch, not an image field: it acts on the
  // next status frame without a commit.
  if (auto* box = qobject_cast<QCheckBox*>(Widget("CheckBoxLadeniPovoleno")))
    connect(box, &QCheckBox::clicked, this, [this](bool on) {
      if (Updating()) return;
      m_core.tuningOn = on;
      emit TuningSwitched();
    });
}

void CPageControls::ShowTuningSwitch() {
  const bool wasUpdating = m_updating;
  m_updating = true;
  if (auto* box = qobject_cast<QCheckBox*>(Widget("CheckBoxLadeniPovoleno"))) box->setChecked(m_core.tuningOn);
  ApplyRules(kPageTuning);
  ApplyRules(kPageTest);
  m_updating = wasUpdating;
}

void CPageControls::ConnectUpDown(const ControlBinding& b, TUpDown& upDown) {
  const int id = IdOf(b);
  // The key of an up/down's pending change is its own: a run of clicks on
  // it is one change, a click elsewhere commits it at once.
  connect(&upDown, &TUpDown::Clicked, this, [this, id] { Commit(id, id + 1); });
  QLineEdit& edit = upDown.Edit();
  m_pairOfEdit.insert(&edit, &upDown);
  edit.installEventFilter(this);
}

bool CPageControls::eventFilter(QObject* watched, QEvent* event) {
  if (auto* edit = qobject_cast<QLineEdit*>(watched); edit && m_pairOfEdit.contains(edit)) {
    // Undo and Redo belong to the edit while it holds typing of its own to
    // take back; otherwise they go to the window's history, as they would
    // from anywhere else (after Enter the focus sits in the next edit).
    if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
      const auto& k = *static_cast<QKeyEvent*>(event);
      const bool undo = IsUndoKey(k), redo = !undo && IsRedoKey(k);
      if (undo || redo) {
        const bool own = undo ? edit->isUndoAvailable() : edit->isRedoAvailable();
        if (!own) return true;  // not accepted: the window's shortcut takes it
        if (event->type() == QEvent::ShortcutOverride) {
          event->accept();
          return true;
        }
        if (redo) {
          edit->redo();  // Ctrl+Y is not the edit's own key on every desktop
          return true;
        }
        return false;
      }
    }
    if (event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        OnEditDone(*edit, true);
        return true;
      }
    } else if (event->type() == QEvent::FocusOut) {
      OnEditDone(*edit, false);
    }
  } else if (watched == Widget("Memo1") && event->type() == QEvent::FocusOut && !Updating()) {
    // Memo1Exit: the note goes into the image as it stands.
    Commit(kMemoId);
  }
  return QObject::eventFilter(watched, event);
}

void CPageControls::OnEditDone(QLineEdit& edit, bool enter) {
  if (Updating()) return;
  TUpDown* upDown = m_pairOfEdit.value(&edit);
  // An edit on a page the user has left was committed with that page.
  if (PageOf(edit) != m_activePage()) return;
  const std::optional<std::int32_t> typed = ParseTypedNumber(edit.text().toStdString(), ShownNumberFormat().group);
  upDown->TakeTypedText();
  // The range held the typed value back: the unit gets what the edit shows now.
  if (typed && *typed != upDown->Value().Position()) {
    CUpDownValue asTyped(*typed, *typed, 1);
    asTyped.Write(*typed);
    emit ValueLimited(QString::fromStdString(asTyped.Text(ShownNumberFormat().group)), edit.text());
  }
  const ControlBinding* b = FindBinding(upDown->objectName().toStdString());
  const int id = b ? IdOf(*b) : kButtonId;
  if (enter) FocusNext(edit);
  Commit(id);
}

void CPageControls::CommitFocusedEdit() {
  auto* edit = qobject_cast<QLineEdit*>(m_root.focusWidget());
  if (edit && m_pairOfEdit.contains(edit)) OnEditDone(*edit, false);
}

std::optional<std::int32_t> CPageControls::Get(const ControlBinding& b) const {
  QWidget* w = Widget(Q(b.name));
  if (!w) return std::nullopt;
  switch (b.kind) {
    case ControlKind::kUpDown:
      if (auto* upDown = qobject_cast<TUpDown*>(w)) return upDown->Value().Position();
      break;
    case ControlKind::kCheckBox:
      if (auto* box = qobject_cast<QCheckBox*>(w)) return box->isChecked() ? 1 : 0;
      break;
    case ControlKind::kRadioGroup:
      if (QButtonGroup* group = ButtonGroupOf(w)) return group->checkedId();
      break;
  }
  return std::nullopt;
}

void CPageControls::Set(const ControlBinding& b, std::int32_t value) {
  QWidget* w = Widget(Q(b.name));
  if (!w) return;
  switch (b.kind) {
    case ControlKind::kUpDown:
      if (auto* upDown = qobject_cast<TUpDown*>(w)) upDown->Write(value);
      break;
    case ControlKind::kCheckBox:
      if (auto* box = qobject_cast<QCheckBox*>(w)) box->setChecked(value != 0);
      break;
    case ControlKind::kRadioGroup:
      if (QButtonGroup* group = ButtonGroupOf(w)) {
        if (QAbstractButton* item = group->button(value)) {
          item->setChecked(true);
        } else if (QAbstractButton* checked = group->checkedButton()) {
          // A value no item stands for: no item is selected, and the value stays.
          group->setExclusive(false);
          checked->setChecked(false);
          group->setExclusive(true);
        }
      }
      break;
  }
}

void CPageControls::ReadPage(int page) {
  ::ReadPage(page, *this, m_core.params);
  if (page == kPageBike) {
    // The separator names no bike: the type stays.
    if (auto* bikes = qobject_cast<QComboBox*>(Widget("ComboBoxBike")))
      if (const std::optional<int> type = TypeOfListIndex(bikes->currentIndex()))
        m_core.params.Value(FieldId::kBike) = *type;
    if (auto* memo = qobject_cast<QPlainTextEdit*>(Widget("Memo1"))) {
      std::vector<std::string> lines;
      for (const QString& line : memo->toPlainText().split('\n')) lines.push_back(line.toStdString());
      StoreNote(lines, m_core.image);
    }
  }
}

void CPageControls::WritePage(int page) {
  const bool wasUpdating = m_updating;
  m_updating = true;
  ApplyPageWriteRules(page, m_core.params, m_core.image);
  ::WritePage(page, m_core.params, *this);
  if (page == kPageTuning)
    if (auto* box = qobject_cast<QCheckBox*>(Widget("CheckBoxLadeniPovoleno"))) box->setChecked(m_core.tuningOn);
  if (page == kPageBike) {
    const int type = m_core.params.Value(FieldId::kBike);
    if (auto* bikes = qobject_cast<QComboBox*>(Widget("ComboBoxBike"))) bikes->setCurrentIndex(ListIndexOfType(type));
    // A type from a file or the state file that names no bike: said once,
    // not at every write of the page. The type stays in the image.
    if (!IsBikeType(type) && type != m_unknownBike) {
      m_unknownBike = type;
      emit BikeUnknown(type);
    }
    if (IsBikeType(type)) m_unknownBike = -1;
    if (auto* memo = qobject_cast<QPlainTextEdit*>(Widget("Memo1"))) {
      QStringList lines;
      for (const std::string& line : LoadNote(m_core.image)) lines << QString::fromStdString(line);
      const QString text = lines.join('\n');
      if (memo->toPlainText() != text) memo->setPlainText(text);
    }
  }
  ApplyRules(page);
  if (auto* box = qobject_cast<QCheckBox*>(Widget("CheckBoxProgHned")))
    SetBackground(*box, box->isChecked() ? clRed : clBtnFace);
  m_updating = wasUpdating;
}

void CPageControls::ApplyRules(int page) {
  PageRuleInputs in{m_core.params, m_core.serviceMode, m_core.tuningOn, m_core.OutputTestsLocked()};
  if (m_activeInjectionSheet) in.activeInjectionSheet = m_activeInjectionSheet();
  if (m_activeServoSheet) in.activeServoSheet = m_activeServoSheet();
  for (const ControlState& s : PageRules(page, in)) ApplyState(s);
}

void CPageControls::ApplyState(const ControlState& s) {
  const QString name = QString::fromStdString(s.name);
  QWidget* w = Widget(name);
  if (!w) return;
  QWidget* edit = name.startsWith("UpDown") ? Widget(QString::fromStdString(FieldEditName(s.name))) : nullptr;
  for (QWidget* x : {w, edit}) {
    if (!x) continue;
    if (s.visible && x->isHidden() == *s.visible) x->setVisible(*s.visible);
    if (s.enabled && x->isEnabled() != *s.enabled) x->setEnabled(*s.enabled);
  }
  if (s.caption) SetControlCaption(w, QString::fromStdString(*s.caption));
  if (s.colour) SetBackground(*w, *s.colour);
  if (s.maximum)
    if (auto* upDown = qobject_cast<TUpDown*>(w)) upDown->Value().SetMax(*s.maximum);
  if (s.follows)
    if (const QWidget* before = Widget(QString::fromStdString(s.follows->control)))
      w->move(before->geometry().right() + 1 + int(s.follows->gap * w->logicalDpiX() / 96.0 + 0.5), w->y());
}

void CPageControls::RadioGroupClick(const ControlBinding& group) {
  if (Updating()) return;
  const int id = IdOf(group);
  const std::string_view name = group.name;
  if (name == "RadioGroupGearSystem") {
    if (const auto item = Get(group); item && *item >= 0) WriteRaw(m_core.image, FieldId::kGearSystem, 0, *item);
    Commit(id);
  } else if (name == "RadioGroupCidloLambdaMode" || name == "RadioGroupPolCKPS" || name == "RadioGroupPolCMPS") {
    const std::int32_t typeBefore = m_core.params.Value(FieldId::kLambdaType);
    Commit(id);
    // The characteristic belongs to the sensor: only a new sensor type
    // brings its defaults; a polarity click keeps a calibrated one.
    const std::int32_t type = m_core.params.Value(FieldId::kLambdaType);
    if (type != typeBefore) {
      ApplyLambdaDefaults(type, m_core.image);
      // The parameter set and the lambda sheet show the new characteristic;
      // the history holds it (and programs it after change) like any edit.
      m_core.NormaliseAndLoad();
      WritePage(m_activePage());
      m_core.RecordAndProgram();
    }
  } else {
    Commit(id);
  }
}

void CPageControls::ButtonTpsClick(bool hundredPercent) {
  const auto mv = TpsCalibration(hundredPercent, m_core.live.throttleSensorMv);
  if (!mv) return;
  if (auto* upDown = qobject_cast<TUpDown*>(Widget(hundredPercent ? "UpDownTps100" : "UpDownTps0"))) {
    upDown->Write(*mv);
    Commit(kButtonId);
  }
}

void CPageControls::ButtonGearClick(int gear) {
  const auto result = GearButton(gear, m_core.params.Value(FieldId::kGearSystem), m_core.live);
  if (!result) return;
  if (auto* upDown = qobject_cast<TUpDown*>(Widget(QString::fromStdString(result->upDown)))) {
    upDown->Write(result->value);
    Commit(kButtonId);
  }
}
