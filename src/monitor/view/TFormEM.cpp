#include "monitor/view/TFormEM.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <algorithm>

#include "base/UiTexts.h"
#include "link/ParameterCatalogue.h"
#include "monitor/AddWatch.h"
#include "monitor/BuiltinSets.h"
#include "monitor/MonitorRecords.h"
#include "monitor/MonitorSource.h"
#include "monitor/view/MonitorDialogs.h"
#include "monitor/view/TFormCIDList.h"
#include "monitor/view/WindowManagerHints.h"

namespace {

constexpr int kDesignClientWidth = 453;
constexpr int kDesignClientHeight = 312;
// While the window manager drags the frame, how often the monitor looks
// whether the button is up again.
constexpr int kDragPollMs = 50;
// A window manager that gives back the size the rule just corrected within
// this time insists on it.
constexpr int kInsistMs = 1000;

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

// "Name|*.ext" as a file dialog filter.
QString DialogFilter(std::string_view filter) {
  QString f = Q(filter);
  const qsizetype bar = f.indexOf('|');
  if (bar < 0) return f;
  QString patterns = f.mid(bar + 1);
  patterns.replace(';', ' ');
  return f.left(bar) + " (" + patterns + ")";
}

QString DefaultChooser(QWidget* parent, bool save, const QString& filter, const QString& suffix) {
  if (!save) return QFileDialog::getOpenFileName(parent, QString(), QString(), filter);
  QString path = QFileDialog::getSaveFileName(parent, QString(), QString(), filter);
  if (!path.isEmpty() && !suffix.isEmpty() && QFileInfo(path).suffix().isEmpty()) path += "." + suffix;
  return path;
}

// A menu point in pixels, in the layout units of a set shown at `scale`.
int InLayout(int pixels, float scale) { return int(static_cast<float>(pixels) / scale); }

int MonitorKeyOf(int key) {
  switch (key) {
    case Qt::Key_Tab:
      return kVkTab;
    case Qt::Key_Left:
      return kVkLeft;
    case Qt::Key_Up:
      return kVkUp;
    case Qt::Key_Right:
      return kVkRight;
    case Qt::Key_Down:
      return kVkDown;
    default:
      return 0;
  }
}

}  // namespace

TFormEM::TFormEM(const CParameterCatalogue& catalogue, QWidget* parent)
    : QWidget(parent, Qt::Window), m_catalogue(catalogue) {
  setObjectName("FormEM");
  setWindowTitle("External Monitor");
  setFont(CQtMonTextMeasure::Font(8));
  resize(kDesignClientWidth, kDesignClientHeight);
  // Never smaller than the smallest drawing area and the bar; the window
  // manager keeps to it while it drags.
  setMinimumSize(kMonitorMinWidth, kMonitorMinHeight + kMonitorBarHeight);
  setFocusPolicy(Qt::StrongFocus);
  m_settled = size();

  m_surface = new TMonImg(this);
  maxWidth = std::max(maxWidth, width());
  maxHeight = std::max(maxHeight, height());
  m_surface->resize(maxWidth, maxHeight);
  m_surface->Redraw();
  m_surface->setGeometry(rect());
  m_surface->Layout();

  m_menu = new QMenu(this);
  m_menu->setObjectName("PopupMenu1");
  m_surface->onContextMenu = [this](QPoint global) {
    RebuildMenu(global);
    m_menu->popup(global);
  };
  m_surface->onElementDoubleClick = [this] { PropertiesDialog(); };

  m_fitTimer.setSingleShot(true);
  connect(&m_fitTimer, &QTimer::timeout, this, &TFormEM::FitToRule);

  m_timer.setObjectName("TimerMonitor");
  m_timer.setInterval(100);
  connect(&m_timer, &QTimer::timeout, this, &TFormEM::OnTimer);
  m_timer.start();
}

TFormEM::~TFormEM() = default;

// ---- modes and timer ----

void TFormEM::SetEditMode(bool on) {
  TMonImg& s = *m_surface;
  CMyGroup& place = s.Place;
  if (on) {
    s.editButton->TextColor = 0x0000FF;
    s.statusButton->s = &FindText(2, "");
    s.editButton->checked = 1;
    s.editButton->Down = 1;
    s.editState = 3;
    // The layout size at one unit per pixel, whatever the window went
    // through before; a layout size never made (0 x 0) takes the drawing
    // area as it is.
    const MonitorSize extent = ContentExtent();
    const MonitorSize client = EditModeClientSize(place.origWidth, place.origHeight, {place.Width, place.Height},
                                                  extent.width, extent.height, maxWidth, maxHeight);
    place.origWidth = client.width;
    place.origHeight = client.height - s.barHeight;
    s.editState = 1;
    place.edit = 1;
    place.SetFocused(nullptr);
    place.SetScale(1.0f);
    m_correctedFrom = QSize();
    Settle(QSize(client.width, client.height));
  } else {
    s.editButton->TextColor = 0x000000;
    s.statusButton->s = &FindText(2, "Read only");
    s.editButton->checked = 0;
    s.editButton->Down = 0;
    s.editState = 0;
    place.edit = 0;
    place.DeselectAll();
    place.SetFocused(nullptr);
  }
  s.Layout();
  ApplyAspectHint();
}

void TFormEM::OnTimer() {
  TMonImg& s = *m_surface;
  s.wheelDone = false;
  if (!(QGuiApplication::mouseButtons() & Qt::LeftButton)) {
    lastWidth = width();
    lastHeight = height();
  }
  const Qt::KeyboardModifiers mods = QGuiApplication::keyboardModifiers();
  s.shiftDown = mods & Qt::ShiftModifier;
  s.ctrlDown = mods & Qt::ControlModifier;
  const bool pinChanged = bool(s.pinButton->checked) != stayOnTop;
  if (s.pinButton->checked && !stayOnTop) {
    stayOnTop = true;
    const bool shown = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (shown) show();
  } else if (!s.pinButton->checked && stayOnTop) {
    stayOnTop = false;
    const bool shown = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, false);
    if (shown) show();
  }
  if (pinChanged) ApplyAspectHint();
  if (s.editButton->checked && s.editState == 0)
    SetEditMode(true);
  else if (!s.editButton->checked && s.editState != 0)
    SetEditMode(false);
  s.RefreshContainers();
  if (m_noConnection)
    if (const auto caption = m_caption.Next(m_noConnection(), CurrentLanguage())) setWindowTitle(Q(*caption));
}

// ---- window events ----

void TFormEM::resizeEvent(QResizeEvent*) {
  // The surface always fills the client area, so nothing of an earlier size
  // is left on the screen; the rule follows once the size stands.
  m_surface->setGeometry(rect());
  if (size() != m_settled) m_fitTimer.start(0);
}

void TFormEM::FitToRule() {
  if (size() == m_settled) return;
  // The window manager owns the size while its drag lasts.
  if (PrimaryButtonHeld()) {
    m_fitTimer.start(kDragPollMs);
    return;
  }
  // A window manager that answers a correction at once with the size it had
  // keeps it: the two would otherwise take turns for ever.
  if (m_correctedFrom.isValid() && size() == m_correctedFrom && m_correctedAt.isValid() &&
      m_correctedAt.elapsed() < kInsistMs) {
    m_correctedFrom = QSize();
    Settle(size());
    return;
  }
  const QSize target = RuleFit(size());
  m_correctedFrom = target != size() ? size() : QSize();
  m_correctedAt.start();
  Settle(target);
}

QSize TFormEM::RuleFit(QSize requested) const {
  const TMonImg& s = *m_surface;
  MonitorResize r;
  r.requested = {requested.width(), requested.height()};
  r.current = {m_settled.width(), m_settled.height()};
  r.place = {m_settled.width(), m_settled.height() - s.barHeight};
  r.last = r.current;
  r.editState = s.editState;
  r.origWidth = s.Place.origWidth;
  r.origHeight = s.Place.origHeight;
  r.maxWidth = maxWidth;
  r.maxHeight = maxHeight;
  // Only a changed height (the top or bottom edge) lets the height lead.
  r.heightLeads = requested.width() == m_settled.width() && requested.height() != m_settled.height();
  const MonitorSize extent = ContentExtent();
  r.contentRight = extent.width;
  r.contentBottom = extent.height;
  const auto taken = ApplyMonitorResize(r);
  return taken ? QSize(taken->width, taken->height) : m_settled;
}

void TFormEM::Settle(QSize client) {
  TMonImg& s = *m_surface;
  m_settled = client;
  if (s.editState == 1) {
    // Resizing in edit mode changes the layout size itself.
    s.Place.origWidth = client.width();
    s.Place.origHeight = client.height() - s.barHeight;
  }
  if (size() != client) resize(client);
  m_surface->setGeometry(rect());
  s.Layout();
  ApplyAspectHint();
}

void TFormEM::ApplyAspectHint() {
  const CMyGroup& place = m_surface->Place;
  const bool normal = m_surface->editState == 0 && place.origWidth > 0 && place.origHeight > 0;
  SetAspectHint(*this, normal ? QSize(place.origWidth, place.origHeight) : QSize(), m_surface->barHeight);
}

void TFormEM::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  ApplyAspectHint();
}

MonitorSize TFormEM::ContentExtent() const {
  MonitorSize extent;
  const CMyGroup& place = m_surface->Place;
  for (int i = 0; i < place.Count(); ++i) {
    const CMyComponent& c = *place.Item(i);
    extent.width = std::max(extent.width, c.Left + c.Width);
    extent.height = std::max(extent.height, c.Top + c.Height);
  }
  return extent;
}

bool TFormEM::focusNextPrevChild(bool) { return false; }

void TFormEM::keyPressEvent(QKeyEvent* e) {
  TMonImg& s = *m_surface;
  s.shiftDown = e->modifiers() & Qt::ShiftModifier;
  s.ctrlDown = e->modifiers() & Qt::ControlModifier;
  if (e->key() == Qt::Key_Insert) {
    AddWatch();
    return;
  }
  if (e->key() == Qt::Key_Delete) {
    DeleteSelected();
    return;
  }
  if (const int key = MonitorKeyOf(e->key() == Qt::Key_Backtab ? Qt::Key_Tab : e->key())) {
    Qt::KeyboardModifiers mods = e->modifiers();
    if (e->key() == Qt::Key_Backtab) mods |= Qt::ShiftModifier;
    s.RouteKey(key, mods);
    return;
  }
  QWidget::keyPressEvent(e);
}

void TFormEM::keyReleaseEvent(QKeyEvent* e) {
  m_surface->shiftDown = e->modifiers() & Qt::ShiftModifier;
  m_surface->ctrlDown = e->modifiers() & Qt::ControlModifier;
  QWidget::keyReleaseEvent(e);
}

void TFormEM::changeEvent(QEvent* e) {
  if (e->type() == QEvent::LanguageChange) m_surface->Layout();
  QWidget::changeEvent(e);
}

// ---- context menu ----

void TFormEM::RebuildMenu(QPoint) {
  m_menu->clear();
  const TMonImg& s = *m_surface;
  MonitorMenuState state;
  state.serviceMode = m_serviceMode;
  state.pinChecked = s.pinButton->checked;
  state.editChecked = s.editButton->checked;
  state.editMode = s.editState != 0;
  state.hasFocused = s.Place.focused != nullptr;
  state.focusedKind = s.Place.focused ? s.Place.focused->kind : -1;
  for (const MonitorMenuItem& item : MonitorMenu(state)) {
    if (item.command == MonitorCommand::kSeparator) {
      m_menu->addSeparator();
      continue;
    }
    const std::string_view text = item.command == MonitorCommand::kStoreSource ? item.text : LookupText(2, item.text);
    const MonitorCommand command = item.command;
    connect(m_menu->addAction(Q(text)), &QAction::triggered, this, [this, command] { RunCommand(command); });
  }
}

void TFormEM::RunCommand(MonitorCommand command) {
  TMonImg& s = *m_surface;
  auto toggle = [&](CMyButt& b) {
    b.checked = b.checked ? 0 : 1;
    b.Down = b.checked;
    b.Invalidate();
    s.RefreshContainers();
  };
  switch (command) {
    case MonitorCommand::kStoreSource:
      ExportMonitorSource();
      break;
    case MonitorCommand::kTogglePin:
      toggle(*s.pinButton);
      break;
    case MonitorCommand::kToggleEdit:
      toggle(*s.editButton);
      break;
    case MonitorCommand::kLoadSet:
      LoadMonitorSetDialog();
      break;
    case MonitorCommand::kStoreSet:
      StoreMonitorSetDialog();
      break;
    case MonitorCommand::kInsertText:
      InsertTextDialog();
      break;
    case MonitorCommand::kAddImage:
      AddImageDialog();
      break;
    case MonitorCommand::kAddWatch:
      AddWatch();
      break;
    case MonitorCommand::kDelete:
      DeleteSelected();
      break;
    case MonitorCommand::kBackwards:
      SendBackwards();
      break;
    case MonitorCommand::kProperties:
      PropertiesDialog();
      break;
    case MonitorCommand::kSeparator:
      break;
  }
}

// ---- element commands ----

void TFormEM::PropertiesDialog() {
  CMyGroup& place = m_surface->Place;
  CMyComponent* focused = place.focused;
  if (!focused) return;
  switch (focused->kind) {
    case kKindText:
      EditTextDialog(this, static_cast<CMyText&>(*focused), place);
      break;
    case kKindLabel:
      LabelPropertiesDialog(this, static_cast<CMyLabel&>(*focused), place);
      break;
    case kKindValue:
      ValuePropertiesDialog(this, static_cast<const CMyValue&>(*focused));
      break;
    case kKindIndicator:
      IndicatorPropertiesDialog(this, static_cast<CMyIndicator&>(*focused), place);
      break;
    default:
      break;
  }
  m_surface->RefreshContainers();
}

float TFormEM::LayoutScale() const {
  const CMyGroup& place = m_surface->Place;
  return m_surface->editState == 0 ? static_cast<float>(MonitorScale(place.Width, place.origWidth)) : 1.0f;
}

void TFormEM::InsertTextDialog() {
  const TMonImg& s = *m_surface;
  const float scale = LayoutScale();
  if (::InsertTextDialog(this, m_surface->Place, InLayout(s.menux, scale), InLayout(s.menuy, scale)))
    m_surface->Layout();
}

void TFormEM::AddWatch() {
  const TMonImg& s = *m_surface;
  const float scale = LayoutScale();
  if (AddWatchDialog(this, m_surface->Place, m_catalogue, InLayout(s.menux, scale), InLayout(s.menuy, scale)))
    m_surface->Layout();
}

void TFormEM::AddImageDialog() {
  if (m_surface->editState == 0) return;
  const QString filter = DialogFilter("Image files|*.JPG;*JPEG;*.BMP");
  const QString path = m_chooser ? m_chooser(false, filter, QString()) : DefaultChooser(this, false, filter, QString());
  if (!path.isEmpty()) AddImageFile(path);
}

bool TFormEM::AddImageFile(const QString& path) {
  const QString ext = QFileInfo(path).suffix().toUpper();
  const char* format = ext == "BMP" ? "BMP" : (ext == "JPG" || ext == "JPEG") ? "JPEG" : nullptr;
  if (!format) return false;
  QImage image;
  if (!image.load(path, format) || image.isNull()) return false;
  image = image.convertToFormat(QImage::Format_RGB32);
  std::vector<std::uint32_t> pixels(std::size_t(image.width()) * std::size_t(image.height()));
  for (int y = 0; y < image.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x)
      pixels[std::size_t(y) * std::size_t(image.width()) + std::size_t(x)] = line[x] & 0xFFFFFFu;
  }
  auto element = std::make_unique<CMyImage>();
  element->picture = EncodeBmp24(image.width(), image.height(), pixels);
  element->pictureWidth = image.width();
  element->pictureHeight = image.height();
  CMyGroup& place = m_surface->Place;
  element->Left = m_surface->menux;
  element->Top = m_surface->menuy;
  element->Width = image.width();
  element->Height = image.height();
  KeepInsidePlace(*element, place);
  // What still does not fit is cut off.
  const int w = place.origWidth > 0 ? place.origWidth : place.Width;
  const int h = place.origHeight > 0 ? place.origHeight : place.Height;
  if (element->Left + element->Width > w) element->Width = w - element->Left;
  if (element->Top + element->Height > h) element->Height = h - element->Top;
  place.DeselectAll();
  CMyImage* raw = place.Insert(std::move(element));
  place.SetFocused(raw);
  place.Invalidate(kDirtyAll);
  m_surface->RefreshContainers();
  return true;
}

void TFormEM::DeleteSelected() {
  CMyGroup& place = m_surface->Place;
  std::vector<CMyComponent*> doomed;
  for (int i = 0; i < place.Count(); ++i)
    if (place.Item(i)->selected) doomed.push_back(place.Item(i));
  if (doomed.empty()) return;
  for (CMyComponent* c : doomed) place.Remove(c);
  place.CountSelected();
  place.Invalidate(kDirtyAll);
  m_surface->RefreshContainers();
}

void TFormEM::SendBackwards() {
  CMyGroup& place = m_surface->Place;
  std::vector<CMyComponent*> selected;
  for (int i = 0; i < place.Count(); ++i)
    if (place.Item(i)->selected) selected.push_back(place.Item(i));
  if (selected.empty()) return;
  for (CMyComponent* c : selected) {
    auto it = std::find_if(place.items.begin(), place.items.end(), [c](const auto& p) { return p.get() == c; });
    std::rotate(place.items.begin(), it, std::next(it));
    c->selected = 0;
  }
  place.CountSelected();
  place.Invalidate(kDirtyAll);
  m_surface->RefreshContainers();
}

// ---- monitor sets ----

MonitorSet TFormEM::CurrentSet() const {
  MonitorSet set;
  // The frame's position and the client's size: what a load gives back.
  const CMyGroup& place = m_surface->Place;
  set.left = pos().x();
  set.top = pos().y();
  set.width = width();
  set.height = height();
  // A layout size is never stored as 0 x 0.
  set.origWidth = place.origWidth > 0 ? place.origWidth : std::max(place.Width, kMonitorMinWidth);
  set.origHeight = place.origHeight > 0 ? place.origHeight : std::max(place.Height, kMonitorMinHeight);
  set.records = RecordsFromPlace(place);
  return set;
}

bool TFormEM::ApplySet(const MonitorSet& set) {
  TMonImg& s = *m_surface;
  const MonitorClientSize client = ClientSizeFromHeader(set.width, set.height);
  move(set.left, set.top);
  s.Place.origWidth = set.origWidth > 0 ? set.origWidth : client.size.width;
  s.Place.origHeight = set.origHeight > 0 ? set.origHeight : client.size.height - s.barHeight;
  s.Place.FreeAll();
  PlaceFromRecords(s.Place, set.records, m_catalogue);
  // Edit mode shows the loaded set at its own layout size, as entering it
  // does; normal mode takes the set's size with the aspect rule.
  MonitorSize target;
  if (s.editState != 0) {
    const MonitorSize extent = ContentExtent();
    target = EditModeClientSize(s.Place.origWidth, s.Place.origHeight, {s.Place.Width, s.Place.Height}, extent.width,
                                extent.height, maxWidth, maxHeight);
    s.Place.SetScale(1.0f);
  } else {
    target = LoadedClientSize(client.size, s.Place.origWidth, s.Place.origHeight, maxWidth, maxHeight);
  }
  m_correctedFrom = QSize();
  s.Place.Invalidate(kDirtyAll);
  Settle(QSize(target.width, target.height));
  return client.valid;
}

int TFormEM::LoadMonitorSet(const std::string& path) {
  const CemParse parsed = LoadMonitorSetFile(path);
  m_loadSizeInvalid = false;
  if (parsed.Applies()) m_loadSizeInvalid = !ApplySet(parsed.set);
  return parsed.result;
}

bool TFormEM::LoadSetFile(const QString& path) {
  const int result = LoadMonitorSet(path.toStdString());
  if (result != kCemOk) {
    ShowError(result);
    return false;
  }
  if (m_loadSizeInvalid) Report(Q(kMonitorSetSizeInvalidText.Get()), false);
  return true;
}

int TFormEM::StoreMonitorSet(const std::string& path) { return StoreMonitorSetFile(path, CurrentSet()); }

void TFormEM::LoadBuiltinSet(int which) {
  ApplySet(BuiltinMonitorSet(which));
  SetEditMode(which == kSetEmpty);
}

void TFormEM::ShowError(int result) { Report(Q(LookupText(2, CemResultMessage(result))), true); }

void TFormEM::Report(const QString& text, bool error) {
  if (m_error) {
    m_error(text);
    return;
  }
  if (error)
    QMessageBox::critical(this, Q(LookupText(1, "Error")), text);
  else
    QMessageBox::warning(this, Q(LookupText(1, "Warning")), text);
}

void TFormEM::LoadMonitorSetDialog() {
  const QString filter = DialogFilter(LookupText(2, "Corvalis external monitor|*.cem"));
  const QString path = m_chooser ? m_chooser(false, filter, QString()) : DefaultChooser(this, false, filter, QString());
  if (!path.isEmpty()) LoadSetFile(path);
}

void TFormEM::StoreMonitorSetDialog() {
  const QString filter = DialogFilter(LookupText(2, "Corvalis external monitor|*.cem"));
  const QString path = m_chooser ? m_chooser(true, filter, "cem") : DefaultChooser(this, true, filter, "cem");
  if (path.isEmpty()) return;
  // A store the user asked for and that failed is said, not swallowed.
  if (const int result = StoreMonitorSet(path.toStdString()); result != kCemOk) ShowError(result);
}

void TFormEM::ExportMonitorSource() {
  const QString filter = DialogFilter("C++ file|*.cpp");
  const QString path = m_chooser ? m_chooser(true, filter, "cpp") : DefaultChooser(this, true, filter, "cpp");
  if (path.isEmpty()) return;
  if (const int result = ExportMonitorSourceFile(path.toStdString(), CurrentSet()); result != kCemOk) ShowError(result);
}
