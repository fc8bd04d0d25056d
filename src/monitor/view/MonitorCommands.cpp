#include "monitor/view/MonitorCommands.h"

#include <QAction>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "base/Lang.h"
#include "base/UiTexts.h"
#include "core/AppCore.h"
#include "files/Settings.h"
#include "monitor/BuiltinSets.h"
#include "monitor/view/TFormEM.h"

CMonitorCommands::CMonitorCommands(CAppCore& core, std::string automaticSet, QObject* parent)
    : QObject(parent), m_core(core), m_automaticSet(std::move(automaticSet)) {
  m_monitor = std::make_unique<TFormEM>(core.monitorCatalogue);
  m_monitor->SetNoConnectionSource([this] { return m_core.NoConnectionShown(); });
  m_monitor->SetServiceMode(core.serviceMode);
}

CMonitorCommands::~CMonitorCommands() = default;

void CMonitorCommands::BuildMenu(QMenuBar& bar, QAction* before) {
  auto* menu = new QMenu(&bar);
  menu->setObjectName("MenuExternalMonitor");
  bar.insertMenu(before, menu);
  auto item = [&](const char* name, auto handler) {
    QAction* a = menu->addAction(QString());
    a->setObjectName(name);
    connect(a, &QAction::triggered, this, handler);
    return a;
  };
  item("MenuMonitorLoad", [this] { MenuMonitorLoadClick(); });
  item("MenuMonitorStore", [this] { MenuMonitorStoreClick(); });
  item("MenuMonitorView", [this] { MenuMonitorViewClick(); });
  item("MenuMonitorSet1", [this] { MenuMonitorSetClick(kSet1); });
  item("MenuMonitorSet2", [this] { MenuMonitorSetClick(kSet2); });
  item("MenuMonitorSet3", [this] { MenuMonitorSetClick(kSet3); });
  item("MenuMonitorSet0", [this] { MenuMonitorSetClick(kSetEmpty); });
}

bool CMonitorCommands::Visible() const { return m_monitor && m_monitor->isVisible(); }

void CMonitorCommands::SetServiceMode(bool on) { m_monitor->SetServiceMode(on); }

void CMonitorCommands::Use() {
  if (m_inUse) return;
  m_inUse = true;
  if (m_onFirstUse) m_onFirstUse();
}

void CMonitorCommands::Show() {
  // Each showing brings the window back onto the screens, as the main
  // window's rectangle is at start.
  std::vector<ScreenRect> screens;
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect r = screen->availableGeometry();
    screens.push_back({r.x(), r.y(), r.width(), r.height()});
  }
  const QRect frame = m_monitor->frameGeometry();
  const ScreenRect fitted = FitToMonitors({frame.x(), frame.y(), frame.width(), frame.height()}, screens);
  if (fitted.left != frame.x() || fitted.top != frame.y()) m_monitor->move(fitted.left, fitted.top);
  m_monitor->show();
  m_monitor->raise();
  m_monitor->activateWindow();
}

void CMonitorCommands::LoadAutomaticSet() {
  std::error_code ec;
  if (!std::filesystem::exists(m_automaticSet, ec)) return;  // a first run starts empty
  const int result = m_monitor->LoadMonitorSet(m_automaticSet);
  if (result == kCemOk) {
    if (m_monitor->LastLoadSizeInvalid()) Report(std::string(kMonitorSetSizeInvalidText.Get()) + "\n" + m_automaticSet);
    return;
  }
  // Kept aside, so the store at the end does not overwrite what may still be rescued.
  std::filesystem::rename(m_automaticSet, m_automaticSet + ".bad", ec);
  Report(std::string(LookupText(2, CemResultMessage(result))) + "\n" + m_automaticSet);
}

void CMonitorCommands::Report(const std::string& text) {
  if (m_error)
    m_error(text);
  else
    QMessageBox::warning(nullptr, QString::fromUtf8(LookupText(1, "Error")), QString::fromStdString(text));
}

void CMonitorCommands::MenuMonitorViewClick() {
  if (!m_inUse) {
    Use();
    LoadAutomaticSet();
    m_monitor->SetEditMode(false);
  }
  Show();
}

void CMonitorCommands::MenuMonitorLoadClick() {
  Use();
  m_monitor->LoadMonitorSetDialog();
  m_monitor->SetEditMode(false);
  Show();
}

void CMonitorCommands::MenuMonitorStoreClick() {
  if (!m_inUse) return;
  m_monitor->StoreMonitorSetDialog();
}

void CMonitorCommands::MenuMonitorSetClick(int which) {
  Use();
  m_monitor->LoadBuiltinSet(which);
  Show();
}

bool CMonitorCommands::OpenSetFile(const QString& path) {
  const std::string encoded = QFile::encodeName(path).toStdString();
  const int result = m_monitor->LoadMonitorSet(encoded);
  // Only a set that replaced the window's is in use; otherwise the automatic
  // set file must not be overwritten at the end by a set nobody chose.
  if (result == kCemOk || result == kCemBadText || result == kCemBadPicture) {
    Use();
    m_monitor->SetEditMode(false);
    Show();
  }
  if (result == kCemOk) {
    if (m_monitor->LastLoadSizeInvalid()) Report(std::string(kMonitorSetSizeInvalidText.Get()) + "\n" + encoded);
    return true;
  }
  const std::string text = std::string(LookupText(2, CemResultMessage(result))) + "\n" + encoded;
  if (m_error)
    m_error(text);
  else
    QMessageBox::critical(m_monitor->isVisible() ? m_monitor.get() : nullptr, QString::fromUtf8(LookupText(1, "Error")),
                          QString::fromStdString(text));
  return false;
}

void CMonitorCommands::ValuesChanged() {
  if (m_monitor) m_monitor->Surface().Place.Invalidate(kDirtyAll);
}

int CMonitorCommands::StoreAutomaticSet() { return m_monitor->StoreMonitorSet(m_automaticSet); }

void CMonitorCommands::Close() {
  if (m_monitor) m_monitor->hide();
}
