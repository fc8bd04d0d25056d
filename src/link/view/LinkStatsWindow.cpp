#include "link/view/LinkStatsWindow.h"

#include <QDateTime>
#include <QGridLayout>
#include <QLabel>
#include <QTimer>

#include "core/AppCore.h"
#include "base/UiTexts.h"
#include "base/view/LanguageView.h"
#include "link/LinkErrorTexts.h"

namespace {

constexpr int kRefreshMs = 1000;

// Rows top to bottom: the caption label (its text from the language tables
// by name) and the value beside it.
struct Row {
  const char* label;
  const char* value;
};
constexpr Row kRows[] = {
    {"LabelLinkDevice", "LinkDevice"},
    {"LabelLinkSent", "LinkSentPerSecond"},
    {"LabelLinkReceived", "LinkReceivedPerSecond"},
    {"LabelLinkCheckByte", "LinkCheckByteFailures"},
    {"LabelLinkRetries", "LinkRetries"},
    {"LabelLinkTimeouts", "LinkTimeouts"},
    {"LabelLinkLastError", "LinkLastError"},
    {"LabelLinkLastErrorTime", "LinkLastErrorTime"},
};

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

// "12.3/s (1234)": the rate, and the total so far.
QString RateText(double perSecond, std::uint64_t total) {
  return QString("%1/s  (%2)").arg(perSecond, 0, 'f', 1).arg(total);
}

}  // namespace

CLinkStatsWindow::CLinkStatsWindow(CAppCore& core, QWidget* parent) : QWidget(parent, Qt::Window), m_core(core) {
  setObjectName("FormLink");
  auto* grid = new QGridLayout(this);
  grid->setHorizontalSpacing(16);
  for (int i = 0; i < int(std::size(kRows)); ++i) {
    auto* label = new QLabel(this);
    label->setObjectName(kRows[i].label);
    for (const NamedText& t : ControlCaptions())
      if (qstrcmp(t.name, kRows[i].label) == 0) SetControlCaption(label, Q(t.text.Get()));
    auto* value = new QLabel(this);
    value->setObjectName(kRows[i].value);
    // Selectable, so the numbers can be copied into a report.
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(label, i, 0);
    grid->addWidget(value, i, 1);
  }
  grid->setColumnStretch(1, 1);
  m_timer = new QTimer(this);
  m_timer->setInterval(kRefreshMs);
  connect(m_timer, &QTimer::timeout, this, &CLinkStatsWindow::Refresh);
  m_clock.start();
  Refresh();
  setMinimumWidth(420);
}

QLabel* CLinkStatsWindow::Value(const char* name) const { return findChild<QLabel*>(name); }

void CLinkStatsWindow::Refresh() {
  setWindowTitle(Q(kLinkStatsCaption.Get()));
  const LinkCounters& c = m_core.linkStats;
  const LinkRates rates = m_rates.Sample(c, m_clock.elapsed());
  const int com = m_core.ComNumber();
  const QString device = Q(m_core.Port().DeviceName(com));
  Value("LinkDevice")->setText(QString("COM%1").arg(com) + (device.isEmpty() ? QString() : "  " + device));
  Value("LinkSentPerSecond")->setText(RateText(rates.sentPerSecond, c.framesSent));
  Value("LinkReceivedPerSecond")->setText(RateText(rates.receivedPerSecond, c.framesReceived));
  Value("LinkCheckByteFailures")->setText(QString::number(c.checkByteFailures));
  Value("LinkRetries")->setText(QString::number(c.retries));
  Value("LinkTimeouts")->setText(QString::number(c.timeouts));
  Value("LinkLastError")->setText(Q(kLinkErrorTexts[static_cast<int>(c.lastError)].Get()));
  Value("LinkLastErrorTime")
      ->setText(c.lastError == LinkError::kNone
                    ? QString("-")
                    : QDateTime::fromMSecsSinceEpoch(c.lastErrorAtMs).toString("yyyy-MM-dd HH:mm:ss"));
}

void CLinkStatsWindow::showEvent(QShowEvent* event) {
  Refresh();
  m_timer->start();
  QWidget::showEvent(event);
}

void CLinkStatsWindow::hideEvent(QHideEvent* event) {
  m_timer->stop();
  QWidget::hideEvent(event);
}

CLinkStatsWindow& ShowLinkStatsWindow(QWidget& owner, CAppCore& core) {
  auto* window = owner.findChild<CLinkStatsWindow*>("FormLink", Qt::FindDirectChildrenOnly);
  if (!window) window = new CLinkStatsWindow(core, &owner);
  window->show();
  window->raise();
  window->activateWindow();
  return *window;
}
