#include "shell/view/TFormAbout.h"

#include <QEvent>
#include <QFont>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

#include "files/ConfigSections.h"
#include "base/BuildInfo.h"
#include "base/Lang.h"
#include "base/UiTexts.h"

namespace {
// Design sizes at 96 dpi.
constexpr QSize kClientSize{295, 329};
constexpr QSize kLogoSize{195, 100};

struct AboutLabel {
  const char* name;
  QRect geometry;
  int pointSize;  // 0: the dialog's font
  bool bold;
};
constexpr AboutLabel kLabels[] = {
    {"Label1", {0, 128, 295, 32}, 14, true},     {"LabelRsKey", {0, 172, 295, 20}, 0, false},
    {"LabelDate", {0, 196, 295, 20}, 0, false},  {"LabelTime", {0, 218, 295, 20}, 0, false},
    {"LabelExit", {98, 262, 100, 44}, 20, true},
};

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }
}  // namespace

TFormAbout::TFormAbout(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint) {
  setObjectName("FormAbout");
  FormCreate();
}

int TFormAbout::Px(int designPixels) const { return int(designPixels * m_scale + 0.5); }

// Our own mark: a spark jumping across an electrode gap inside a ring, and
// the name beside it, drawn rather than stored so it stays sharp at any scale.
QPixmap TFormAbout::Logo(double scale) {
  QPixmap pixmap(QSize(int(kLogoSize.width() * scale + 0.5), int(kLogoSize.height() * scale + 0.5)));
  pixmap.fill(Qt::white);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(scale, scale);

  const QColor dark(0x1F, 0x2A, 0x44), spark(0xF2, 0x8C, 0x28);
  p.setPen(QPen(dark, 5));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QPointF(46, 50), 38, 38);
  p.setPen(Qt::NoPen);
  p.setBrush(dark);
  p.drawRect(QRectF(40, 14, 12, 22));  // electrode
  p.drawRect(QRectF(28, 66, 36, 8));   // ground strap
  QPainterPath bolt;
  bolt.moveTo(50, 36);
  bolt.lineTo(36, 54);
  bolt.lineTo(47, 54);
  bolt.lineTo(40, 66);
  bolt.lineTo(58, 47);
  bolt.lineTo(47, 47);
  bolt.closeSubpath();
  p.setBrush(spark);
  p.drawPath(bolt);

  QFont name("DejaVu Sans");
  name.setPixelSize(21);
  name.setBold(true);
  p.setFont(name);
  p.setPen(dark);
  p.drawText(QRectF(90, 24, 105, 32), Qt::AlignLeft | Qt::AlignVCenter, "VENTRIX");
  p.setPen(QPen(spark, 3));
  p.drawLine(QPointF(92, 60), QPointF(190, 60));
  QFont line("DejaVu Sans");
  line.setPixelSize(10);
  p.setFont(line);
  p.setPen(dark);
  p.drawText(QRectF(90, 64, 105, 16), Qt::AlignLeft | Qt::AlignVCenter, "ignition + injection");
  return pixmap;
}

// Fills the labels, fixes the size and centres the window on the screen.
void TFormAbout::FormCreate() {
  m_scale = logicalDpiX() / 96.0;
  setFixedSize(Px(kClientSize.width()), Px(kClientSize.height()));
  setWindowTitle(kAboutDesignCaption);
  QPalette white = palette();
  white.setColor(QPalette::Window, Qt::white);
  setPalette(white);
  setAutoFillBackground(true);

  auto* image = new QLabel(this);
  image->setObjectName("Image1");
  image->setGeometry(Px((kClientSize.width() - kLogoSize.width()) / 2), Px(16), Px(kLogoSize.width()),
                     Px(kLogoSize.height()));
  const double ratio = devicePixelRatioF();
  QPixmap logo = Logo(m_scale * ratio);
  logo.setDevicePixelRatio(ratio);
  image->setPixmap(logo);

  const QString texts[] = {
      kAboutWebAddress,
      kAboutVersionPrefix + QString::number(kConfigFileVersion),
      Q(BuildDate()).simplified(),  // "Dec  1 2026" is "Dec 1 2026" here
      Q(BuildTime()),
      kAboutExitCaption,
  };
  static_assert(std::size(kLabels) == std::size(texts));
  for (std::size_t i = 0; i < std::size(kLabels); ++i) {
    auto* label = new QLabel(texts[i], this);
    label->setObjectName(kLabels[i].name);
    const QRect& g = kLabels[i].geometry;
    label->setGeometry(Px(g.x()), Px(g.y()), Px(g.width()), Px(g.height()));
    label->setAlignment(Qt::AlignCenter);
    QFont f = label->font();
    if (kLabels[i].pointSize > 0) f.setPointSize(kLabels[i].pointSize);
    f.setBold(kLabels[i].bold);
    label->setFont(f);
  }
  m_labelExit = findChild<QLabel*>("LabelExit");
  m_labelExit->setCursor(Qt::PointingHandCursor);
  m_labelExit->installEventFilter(this);

  if (const QScreen* s = screen()) {
    const QRect r = s->availableGeometry();
    move(r.x() + r.width() / 2 - width() / 2, r.y() + r.height() / 2 - height() / 2);
  }
}

// The caption follows the language chosen while the window was closed.
void TFormAbout::FormActivate() { setWindowTitle(Q(kAboutCaption.Get())); }

void TFormAbout::Button1Click() { accept(); }

void TFormAbout::showEvent(QShowEvent* event) {
  FormActivate();
  QDialog::showEvent(event);
}

void TFormAbout::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
  QDialog::changeEvent(event);
}

bool TFormAbout::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_labelExit && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    Button1Click();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}
