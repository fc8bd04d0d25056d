#include "link/view/ChartWindow.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QScrollBar>
#include <algorithm>
#include <string_view>

#include "link/view/ChartCanvas.h"
#include "base/UiTexts.h"

namespace {
constexpr int kKeyRole = Qt::UserRole;
constexpr int kListPadding = 6;
}  // namespace

ChartWindow::ChartWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("FormChart");
  m_list = new QListWidget(this);
  m_list->setObjectName("ListChartChannels");
  m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  m_canvas = new ChartCanvas(this);
  m_canvas->setObjectName("ChartCanvas");
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(m_list);
  layout->addWidget(m_canvas, 1);

  // The usual channels head the list, the rest follow in frame order: over a
  // hundred values would otherwise bury them.
  auto add = [this](const LiveChannel& c, bool shown) {
    auto* item = new QListWidgetItem(m_list);
    item->setData(kKeyRole, QString::fromLatin1(c.key));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    item->setCheckState(shown ? Qt::Checked : Qt::Unchecked);
  };
  const auto defaults = DefaultChartChannels();
  for (const char* key : defaults)
    if (const LiveChannel* c = FindLiveChannel(key)) add(*c, true);
  for (const LiveChannel& c : LiveChannels()) {
    const bool isDefault =
        std::any_of(defaults.begin(), defaults.end(), [&](const char* key) { return std::string_view(key) == c.key; });
    if (!isDefault) add(c, false);
  }
  ApplyLanguage();
  resize(1000, 640);

  connect(m_list, &QListWidget::itemChanged, this, [this] { ShowTicked(); });
  connect(m_canvas, &ChartCanvas::seekRequested, this, &ChartWindow::seekRequested);
}

ChartWindow::~ChartWindow() = default;

void ChartWindow::ApplyLanguage() {
  const std::string_view caption = (m_live ? kTimeChartLiveCaption : kTimeChartCaption).Get();
  setWindowTitle(QString::fromUtf8(caption.data(), qsizetype(caption.size())));
  const QSignalBlocker quiet(m_list);
  for (int i = 0; i < m_list->count(); ++i) {
    QListWidgetItem* item = m_list->item(i);
    if (const LiveChannel* c = FindLiveChannel(item->data(kKeyRole).toString().toStdString()))
      item->setText(QString::fromStdString(LiveChannelHeading(*c)));
  }
  m_list->setFixedWidth(m_list->sizeHintForColumn(0) + 2 * m_list->frameWidth() +
                        m_list->verticalScrollBar()->sizeHint().width() + kListPadding);
  for (auto& [key, channel] : m_loaded)
    if (const LiveChannel* c = FindLiveChannel(key)) channel.name = LiveChannelName(*c);
  m_canvas->update();
}

void ChartWindow::SetChannelLoader(ChannelLoader loader, double duration) {
  m_loader = std::move(loader);
  m_canvas->SetChannels({});  // it points into the channels about to go
  m_loaded.clear();
  m_canvas->SetDuration(duration);
  ShowTicked();
  if (m_live) {
    m_live = false;
    ApplyLanguage();
  }
}

void ChartWindow::SetLiveChannelLoader(ChannelLoader loader, double start, double end) {
  m_loader = std::move(loader);
  m_canvas->SetChannels({});
  m_loaded.clear();
  // From a log, or the first time: show the whole window.
  if (!m_live) m_canvas->SetDuration(end);
  m_canvas->SetBounds(start, end);
  ShowTicked();
  m_canvas->PlaceCursor(end);
  if (!m_live) {
    m_live = true;
    ApplyLanguage();
  }
}

const ChartChannel& ChartWindow::Loaded(const LiveChannel& c) {
  auto it = m_loaded.find(c.key);
  if (it != m_loaded.end()) return it->second;
  ChartChannel channel{c.key, LiveChannelName(c), c.unit, {}, {}};
  if (m_loader) channel.samples = m_loader(c);
  channel.blocks = ChartBlocks(channel.samples);
  return m_loaded.emplace(c.key, std::move(channel)).first->second;
}

void ChartWindow::ShowTicked() {
  std::vector<const ChartChannel*> shown;
  for (int i = 0; i < m_list->count(); ++i) {
    QListWidgetItem* item = m_list->item(i);
    if (item->checkState() != Qt::Checked) continue;
    if (const LiveChannel* c = FindLiveChannel(item->data(kKeyRole).toString().toStdString()))
      shown.push_back(&Loaded(*c));
  }
  m_canvas->SetChannels(std::move(shown));
}

void ChartWindow::SetCursorTime(double seconds) { m_canvas->SetCursorTime(seconds); }

double ChartWindow::CursorTime() const { return m_canvas->CursorTime(); }

void ChartWindow::SetChannelShown(const char* key, bool shown) {
  for (int i = 0; i < m_list->count(); ++i) {
    QListWidgetItem* item = m_list->item(i);
    if (item->data(kKeyRole).toString() == QLatin1String(key)) item->setCheckState(shown ? Qt::Checked : Qt::Unchecked);
  }
}
