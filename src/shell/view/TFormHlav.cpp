#include "shell/view/TFormHlav.h"

#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QFile>
#include <QGroupBox>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSocketNotifier>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <iterator>
#include <type_traits>

#include "base/Lang.h"
#include "base/UiTexts.h"
#include "base/view/Colour.h"
#include "base/view/HistoryKeys.h"
#include "base/view/LanguageView.h"
#include "core/OutsideFile.h"
#include "files/view/FileCommands.h"
#include "files/view/ServiceCommands.h"
#include "image/BikeDefaults.h"
#include "image/BikeTypes.h"
#include "image/FieldCatalogue.h"
#include "image/InjectionCoupling.h"
#include "image/Normalise.h"
#include "image/Pages.h"
#include "image/view/MapPageRows.h"
#include "image/view/MapSheets.h"
#include "image/view/PageControls.h"
#include "image/view/ParameterPages.h"
#include "link/view/LinkStatsWindow.h"
#include "link/view/LiveView.h"
#include "link/view/LogCommands.h"
#include "monitor/view/MonitorCommands.h"
#include "monitor/view/TFormEM.h"
#include "sheet/LivePoint.h"
#include "sheet/view/TTab.h"
#include "shell/view/DesktopNumbers.h"
#include "shell/view/FitLabel.h"
#include "shell/view/OutsideFiles.h"

namespace {
// Design size of the window at 96 dpi.
constexpr int kDesignWidth = 1346;
constexpr int kDesignHeight = 1092;
constexpr int kToolBarHeight = 41;

// The tool bar's row, left to right, at 96 dpi: the file and history
// buttons, the link buttons, then the state of the link. Widths hold the
// longest caption of the four languages ("Programmieren", "Programmation
// après modification", "Keine Verbindung mit dem PC"); the message label's
// texts are short run results.
constexpr int kSpeedButtonTop = 8, kSpeedButtonSize = 24;
constexpr int kSpeedButtonNewLeft = 8, kSpeedButtonOpenLeft = 32, kSpeedButtonSaveLeft = 56;
constexpr int kSpeedButtonPrintLeft = 80;
constexpr int kSpeedButtonZpetLeft = 112;
constexpr int kSpeedButtonZnovuLeft = 136;
constexpr int kLinkButtonLeft = 168, kButtonWidth = 106, kButtonStep = 110;
constexpr QRect kCheckBoxProgHned{500, 12, 240, 17};
constexpr QRect kLabelHlaseni{746, 12, 186, 19};
constexpr QRect kGaugeProgram{938, 12, 96, 19};
constexpr QRect kLabelSpojeni{1040, 12, 208, 19};
constexpr QRect kLabelCom{1252, 12, 90, 19};
// How long the status bar keeps a word about the tuner's last action.
constexpr int kFeedbackMs = 8000;
// Commit id of ComboBoxBike, apart from the page controls' and sheets' ids.
constexpr int kBikeCommitId = 190000;

// LabelVersion shares the place of LabelSpojeni (one of them is shown) and,
// for a mismatch text, spreads left under the gauge in up to two lines so that
// "PC-83, IGN-82" is always seen. The gauge, shown only during a run, stays on top.
constexpr QRect kLabelVersionArea{kGaugeProgram.x(), 2, kLabelSpojeni.right() + 1 - kGaugeProgram.x(),
                                  kToolBarHeight - 4};

QString Q(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

TFormHlav::TFormHlav(std::unique_ptr<ISerialPort> port, const std::vector<std::string>& args, QWidget* parent)
    : QMainWindow(parent),
      m_core(std::make_unique<CAppCore>(*this, std::move(port))),
      m_paths(AppPathsFromEnvironment()) {
  setObjectName("FormHlav");
  FormCreate(args);
}

TFormHlav::~TFormHlav() {
  qApp->removeEventFilter(this);
  m_timer1->stop();
  // The controls go after the core; their last events must not reach it.
  delete m_pageControls;
  m_pageControls = nullptr;
  m_core->ClosePort();
}

int TFormHlav::Px(int designPixels) const { return int(designPixels * m_scale + 0.5); }
QRect TFormHlav::Px(const QRect& design) const {
  return QRect(Px(design.x()), Px(design.y()), Px(design.width()), Px(design.height()));
}

void TFormHlav::FormCreate(const std::vector<std::string>& args) {
  UseLocaleNumberFormat(QLocale());
  m_scale = logicalDpiX() / 96.0;
  resize(Px(kDesignWidth), Px(kDesignHeight));
  if (const QScreen* s = screen()) {
    const QRect r = s->availableGeometry();
    move(r.x() + (r.width() - width()) / 2, r.y() + (r.height() - height()) / 2);
  }

  m_files = new CFileCommands(*this, *m_core, m_paths);
  m_service = new CServiceCommands(*this, *m_core);
  m_monitor = new CMonitorCommands(*m_core, m_paths.monitorSetFile, this);
  m_monitor->SetOnFirstUse([this] { SetMonitorSetInUse(true); });
  SetMonitorSetStore([this](const std::string& path) {
    if (m_monitor->StoreAutomaticSet() != 0) std::fprintf(stderr, "ventrix: cannot store %s\n", path.c_str());
  });
  BuildMenus();
  BuildControls();
  m_core->recorder.logsDir = m_paths.logsDir;
  m_log = new CLogCommands(*this, *m_core, *findChild<QWidget*>("GroupBoxToolBar"),
                           Px(QRect(kLabelSpojeni.x(), kLabelSpojeni.y(), kLabelCom.right() + 1 - kLabelSpojeni.x(),
                                    kLabelSpojeni.height())));
  if (QMenu* language = menuBar()->findChild<QMenu*>("MenuLanguage"))
    m_log->BuildMenu(*menuBar(), language->menuAction());
  for (const char* name : {"MenuNew", "MenuNewActPage", "SpeedButtonNew"})
    if (QObject* o = findChild<QObject*>(name)) m_newCommands.push_back(o);
  ShowUnitTexts();
  m_mapSheets = std::make_unique<CMapSheets>(*this, *m_core);
  m_mapSheets->Build(*m_pageControl1, m_scale);
  m_pageControls = new CPageControls(*this, *m_core, [this] { return m_activePage; });
  m_pageControls->SetInjectionSheetSource([this] { return m_mapSheets->ActiveInjectionSheet(); });
  m_mapSheets->ConnectServoRow(*m_pageControls);
  m_pageControls->Bind();
  if (auto* ms = findChild<QCheckBox*>("CheckBoxMs"))
    connect(ms, &QCheckBox::clicked, this, [this](bool asTime) { m_mapSheets->SetInjectionAsTime(asTime); });
  connect(m_pageControls, &CPageControls::TuningSwitched, this, &TFormHlav::ShowTuningSwitch);
  connect(m_pageControls, &CPageControls::ValueLimited, this, &TFormHlav::ShowValueLimited);
  connect(m_pageControls, &CPageControls::BikeUnknown, this,
          [this] { ShowMessageBox(m_core->textSlots[kSlotWrongBikeProgram]); });
  connect(m_pageControl1, &QTabWidget::currentChanged, this, &TFormHlav::PageControl1Change);
  if (auto* bikes = findChild<QComboBox*>("ComboBoxBike")) {
    for (const BikeEntry& b : BikeList()) bikes->addItem(QString::fromLatin1(b.text));
    connect(bikes, &QComboBox::activated, this, &TFormHlav::ComboBoxBikeChange);
  }

  auto& core = *m_core;
  core.portIndex = 1;
  core.image[ElementOffset(FieldId::kBike)] = kStartBikeType;
  ApplyBikeDefaults(core.image, core.params, kWholeImage);
  m_gaugeProgram->setMaximum(kProgramGaugeMax);

  // What the last run left: window, port, language, file, page and image.
  SettingsState settings = SettingsFromWindow();
  std::vector<ScreenRect> monitors;
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect r = screen->availableGeometry();
    monitors.push_back({r.x(), r.y(), r.width(), r.height()});
  }
  LoadSettings(m_paths, monitors, settings);
  WindowFromSettings(settings);
  core.serviceMode = LoadServiceMode(m_paths);
  m_service->SetServiceMode(core.serviceMode);
  m_monitor->SetServiceMode(core.serviceMode);
  // The monitor was open when the last run ended: it opens on the first tick.
  core.monitorOpenRequest = m_monitorWindowVisible;

  SetCurrentLanguage(LanguageFromCommandLine(CurrentLanguage(), args));
  core.silenceTicks = kInitialSilenceTicks;

  core.NormaliseAndLoad();
  ApplyLanguage();
  core.silentOpen = false;
  core.OpenPort();
  ApplyLanguage();

  WriteAllPages();
  // A sheet selected commits what its page shows: only once the pages are written.
  SelectShownMaps(settings.injectionMap, settings.servoMap);
  core.ResetHistory();
  ShowHistoryState();

  m_labelHlaseni->hide();
  m_gaugeProgram->hide();
  if (auto* logOpen = findChild<QPushButton*>("LogOpen")) logOpen->setVisible(core.serviceMode);
  ListenForPortRelease();
  qApp->installEventFilter(this);
  setAcceptDrops(true);

  m_timer1 = new QTimer(this);
  m_timer1->setObjectName("Timer1");
  m_timer1->setTimerType(Qt::PreciseTimer);
  m_timer1->setInterval(kTickMs);
  connect(m_timer1, &QTimer::timeout, this, &TFormHlav::Timer1Timer);
  m_timer1->start();
}

void TFormHlav::BuildMenus() {
  QMenuBar* bar = menuBar();
  bar->setObjectName("MainMenu1");

  QMenu* file = bar->addMenu(QString());
  file->setObjectName("MenuFile");
  QAction* newFile = file->addAction(QString());
  newFile->setObjectName("MenuNew");
  newFile->setShortcut(QKeySequence::New);
  connect(newFile, &QAction::triggered, this, &TFormHlav::MenuNewClick);
  QAction* newPage = file->addAction(QString());
  newPage->setObjectName("MenuNewActPage");
  connect(newPage, &QAction::triggered, this, &TFormHlav::MenuNewActPageClick);
  QAction* beforeExit = file->addSeparator();
  m_files->BuildMenu(*file, beforeExit);
  QAction* print = new QAction(file);
  print->setObjectName("MenuPrint");
  print->setShortcut(QKeySequence::Print);
  connect(print, &QAction::triggered, this, &TFormHlav::SpeedButtonPrintClick);
  {  // after the save commands
    const QList<QAction*> items = file->actions();
    const auto save =
        std::find_if(items.begin(), items.end(), [](const QAction* a) { return a->objectName() == "MenuSaveExeDir"; });
    file->insertAction(save != items.end() && std::next(save) != items.end() ? *std::next(save) : beforeExit, print);
  }
  QAction* exit = file->addAction(QString());
  exit->setObjectName("MenuExit");
  connect(exit, &QAction::triggered, this, &QWidget::close);

  m_menuCom = bar->addMenu(QString());
  m_menuCom->setObjectName("MenuCom");
  BuildPortMenu();

  QMenu* device = bar->addMenu(QString());
  device->setObjectName("MenuDevice");
  BuildDeviceMenu(*device);

  QMenu* tools = bar->addMenu(QString());
  tools->setObjectName("MenuTools");
  BuildToolsMenu(*tools);

  QMenu* language = bar->addMenu(QString());
  language->setObjectName("MenuLanguage");
  m_service->BuildMenu(*bar, language->menuAction());
  m_monitor->BuildMenu(*bar, language->menuAction());
  auto* languageGroup = new QActionGroup(language);
  void (TFormHlav::*const handlers[kLanguageCount])() = {&TFormHlav::MenuEnglishClick, &TFormHlav::MenuGermanClick,
                                                         &TFormHlav::MenuFrenchClick, &TFormHlav::MenuCzechClick};
  for (int i = 0; i < kLanguageCount; ++i) {
    const auto handler = handlers[i];
    QAction* a = language->addAction(QString());
    a->setObjectName(kLanguageMenuItems[i]);
    a->setCheckable(true);
    languageGroup->addAction(a);
    connect(a, &QAction::triggered, this, handler);
  }

  QMenu* help = bar->addMenu(QString());
  help->setObjectName("MenuHelp");
  QAction* contents = help->addAction(QString());
  contents->setObjectName("MenuContens");
  contents->setShortcut(QKeySequence(Qt::Key_F1));
  connect(contents, &QAction::triggered, this, &TFormHlav::MenuContensClick);
  QAction* about = help->addAction(QString());
  about->setObjectName("MenuAbout");
  connect(about, &QAction::triggered, this, &TFormHlav::MenuAboutClick);
}

void TFormHlav::BuildPortMenu() {
  m_portItems = new QActionGroup(m_menuCom);
  for (int i = 0; i < kPortCount; ++i) {
    QAction* a = m_menuCom->addAction(QString());
    a->setCheckable(true);
    a->setData(i);
    m_portItems->addAction(a);
    connect(a, &QAction::triggered, this, [this, i] { MenuCom1Click(i); });
  }
  // "Com n" stays the caption; the device behind it follows after a tab (the
  // menu's right-hand column), asked again each time the menu opens since
  // adapters come and go.
  const auto showDevices = [this] {
    for (QAction* a : m_portItems->actions()) {
      const int i = a->data().toInt();
      if (i == kAutoPortIndex) {
        a->setText(kPortMenuAuto);
        continue;
      }
      const std::string detail = m_core->Port().MenuDetail(i + 1);
      a->setText(QString(kPortMenuItemPrefix) + QString::number(i + 1) +
                 (detail.empty() ? QString() : "\t" + Q(detail)));
    }
  };
  showDevices();
  connect(m_menuCom, &QMenu::aboutToShow, this, showDevices);

  m_menuCom->addSeparator();
  QAction* link = m_menuCom->addAction(QString());
  link->setObjectName("MenuLink");
  connect(link, &QAction::triggered, this, [this] { ShowLinkStatsWindow(*this, *m_core); });
}

// The link commands: menu items with their keys, and the tool bar buttons
// that repeat them.
namespace {
struct LinkCommand {
  const char* menuName;
  const char* buttonName;
  Qt::Key key;
  void (TFormHlav::*handler)();
  int buttonLeft;
};
constexpr LinkCommand kLinkCommands[] = {
    {"MenuRead", "ButtonRead", Qt::Key_F7, &TFormHlav::MenuReadClick, kLinkButtonLeft},
    {"MenuVerify", "ButtonVerify", Qt::Key_F8, &TFormHlav::MenuVerifyClick, kLinkButtonLeft + kButtonStep},
    {"MenuProgram", "ButtonProgram", Qt::Key_F9, &TFormHlav::MenuProgramClick, kLinkButtonLeft + 2 * kButtonStep},
};
}  // namespace

void TFormHlav::BuildDeviceMenu(QMenu& menu) {
  for (const auto& c : kLinkCommands) {
    QAction* a = menu.addAction(QString());
    a->setObjectName(c.menuName);
    a->setShortcut(QKeySequence(c.key));
    connect(a, &QAction::triggered, this, c.handler);
  }
}

void TFormHlav::BuildToolsMenu(QMenu& menu) {
  // Injection coupling: one of the three modes is checked, as byte 47 says.
  QMenu* coupling = menu.addMenu(QString());
  coupling->setObjectName("Menu_Jet123Mode");
  auto* modes = new QActionGroup(coupling);
  struct Mode {
    const char* name;
    void (TFormHlav::*handler)();
    const char* fixedCaption;  // null: from the language tables
  };
  const Mode kModes[] = {
      {"Menu_Jet123Normal", &TFormHlav::Menu_Jet123NormalClick, nullptr},
      {"Menu_Jet123Coupled", &TFormHlav::Menu_Jet123CoupledClick, nullptr},
      {"Menu_Jet123Stejny", &TFormHlav::Menu_Jet123StejnyClick, kMenuJet123StejnyCaption},
  };
  static_assert(std::size(kModes) == std::extent_v<decltype(m_couplingModes)>);
  for (std::size_t i = 0; i < std::size(kModes); ++i) {
    QAction* a = coupling->addAction(QString::fromUtf8(kModes[i].fixedCaption ? kModes[i].fixedCaption : ""));
    a->setObjectName(kModes[i].name);
    a->setCheckable(true);
    modes->addAction(a);
    m_couplingModes[i] = a;
    connect(a, &QAction::triggered, this, kModes[i].handler);
  }
  QAction* plus = menu.addAction(QString::fromUtf8(kMenuPlusCaption));
  plus->setObjectName("MenuPlus");
  connect(plus, &QAction::triggered, this, &TFormHlav::MenuPlusClick);
  QAction* minus = menu.addAction(QString::fromUtf8(kMenuMinusCaption));
  minus->setObjectName("MenuMinus");
  connect(minus, &QAction::triggered, this, &TFormHlav::MenuMinusClick);
  QAction* undo = m_menuZpet = menu.addAction(QString());
  undo->setObjectName("MenuZpet");
  undo->setShortcut(QKeySequence::Undo);
  connect(undo, &QAction::triggered, this, &TFormHlav::MenuZpetClick);
  QAction* redo = m_menuZnovu = menu.addAction(QString());
  redo->setObjectName("MenuZnovu");
  redo->setShortcuts(RedoKeys());
  connect(redo, &QAction::triggered, this, &TFormHlav::MenuZnovuClick);
  QAction* interpolate = menu.addAction(QString());
  interpolate->setObjectName("MenuInterpol");
  connect(interpolate, &QAction::triggered, this, &TFormHlav::MenuInterpolClick);
  m_menuLadeniOn = menu.addAction(QString());
  m_menuLadeniOn->setObjectName("MenuLadeniOn");
  m_menuLadeniOn->setCheckable(true);
  connect(m_menuLadeniOn, &QAction::triggered, this, &TFormHlav::MenuLadeniOnClick);
}

void TFormHlav::BuildControls() {
  auto* central = new QWidget(this);
  central->setObjectName("Panel1");
  setCentralWidget(central);

  auto* toolBar = new QGroupBox(central);
  toolBar->setObjectName("GroupBoxToolBar");
  toolBar->setGeometry(0, 0, Px(kDesignWidth), Px(kToolBarHeight));

  for (const auto& c : kLinkCommands) {
    auto* button = new QPushButton(toolBar);
    button->setObjectName(c.buttonName);
    button->setGeometry(Px(c.buttonLeft), Px(8), Px(kButtonWidth), Px(25));
    button->setFocusPolicy(Qt::NoFocus);
    connect(button, &QPushButton::clicked, this, c.handler);
  }
  struct SpeedButton {
    const char* name;
    int left;
    QStyle::StandardPixmap icon;
    const char* themeIcon;
    void (TFormHlav::*handler)();
  };
  const SpeedButton kSpeedButtons[] = {
      {"SpeedButtonNew", kSpeedButtonNewLeft, QStyle::SP_FileIcon, "document-new", &TFormHlav::MenuNewClick},
      {"SpeedButtonOpen", kSpeedButtonOpenLeft, QStyle::SP_DialogOpenButton, "document-open", nullptr},
      {"SpeedButtonSave", kSpeedButtonSaveLeft, QStyle::SP_DialogSaveButton, "document-save", nullptr},
      {"SpeedButtonPrint", kSpeedButtonPrintLeft, QStyle::SP_FileDialogContentsView, "document-print",
       &TFormHlav::SpeedButtonPrintClick},
      {"SpeedButtonZpet", kSpeedButtonZpetLeft, QStyle::SP_ArrowBack, "edit-undo", &TFormHlav::SpeedButtonZpetClick},
      {"SpeedButtonZnovu", kSpeedButtonZnovuLeft, QStyle::SP_ArrowForward, "edit-redo",
       &TFormHlav::SpeedButtonZnovuClick},
  };
  for (const SpeedButton& b : kSpeedButtons) {
    auto* button = new QToolButton(toolBar);
    button->setObjectName(b.name);
    button->setGeometry(Px(b.left), Px(kSpeedButtonTop), Px(kSpeedButtonSize), Px(kSpeedButtonSize + 1));
    button->setIcon(QIcon::fromTheme(b.themeIcon, style()->standardIcon(b.icon)));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    if (b.handler) connect(button, &QToolButton::clicked, this, b.handler);
  }
  m_files->ConnectButtons(*toolBar->findChild<QToolButton*>("SpeedButtonOpen"),
                          *toolBar->findChild<QToolButton*>("SpeedButtonSave"));
  m_speedButtonZpet = toolBar->findChild<QToolButton*>("SpeedButtonZpet");
  m_speedButtonZnovu = toolBar->findChild<QToolButton*>("SpeedButtonZnovu");

  auto* progHned = new QCheckBox(toolBar);
  progHned->setObjectName("CheckBoxProgHned");
  progHned->setGeometry(Px(kCheckBoxProgHned));

  // Beside the tool bar, not in it: print mode hides the tool bar, and the
  // label carries the date and time onto the paper.
  m_labelHlaseni = new QLabel(central);
  m_labelHlaseni->setObjectName("LabelHlaseni");
  m_labelHlaseni->setGeometry(Px(kLabelHlaseni));
  m_labelHlaseni->setAutoFillBackground(true);

  m_gaugeProgram = new QProgressBar(toolBar);
  m_gaugeProgram->setObjectName("CGaugeProgram");
  m_gaugeProgram->setGeometry(Px(kGaugeProgram));
  m_gaugeProgram->setTextVisible(false);

  m_labelSpojeni = new QLabel(toolBar);
  m_labelSpojeni->setObjectName("LabelSpojeni");
  m_labelSpojeni->setGeometry(Px(kLabelSpojeni));
  QFont bold = m_labelSpojeni->font();
  bold.setBold(true);
  m_labelSpojeni->setFont(bold);
  QPalette red = m_labelSpojeni->palette();
  red.setColor(QPalette::WindowText, ToQColor(clRed, red));
  m_labelSpojeni->setPalette(red);
  m_labelSpojeni->hide();

  m_labelVersion = new QLabel(toolBar);
  m_labelVersion->setObjectName("LabelVersion");
  m_labelVersion->setGeometry(Px(kLabelSpojeni));
  m_labelVersion->setAlignment(Qt::AlignCenter);
  m_gaugeProgram->raise();

  m_labelCom = new QLabel(toolBar);
  m_labelCom->setObjectName("LabelCom");
  m_labelCom->setGeometry(Px(kLabelCom));

  m_pageControl1 = new QTabWidget(central);
  m_pageControl1->setObjectName("PageControl1");
  m_pageControl1->setGeometry(0, Px(kToolBarHeight), Px(kDesignWidth), Px(kDesignHeight - kToolBarHeight - 60));
  for (const char* name : kPageNames) {
    auto* page = new QWidget(m_pageControl1);
    page->setObjectName(name);
    m_pageControl1->addTab(page, QString());
  }
  BuildMonitorPage(*m_pageControl1->widget(kPageMonitor), m_scale);
  BuildParameterPages(*m_pageControl1, m_scale);
  BuildMapPageRows(*m_pageControl1, m_scale);

  // The unit's identity on the Bike page.
  QWidget* bike = m_pageControl1->widget(0);
  for (int i = 0; i < 4; ++i) {
    m_labelVerze[i] = new QLabel(bike);
    m_labelVerze[i]->setObjectName(QString("LabelVerze%1").arg(i + 1));
    m_labelVerze[i]->setGeometry(Px(8), Px(8 + 18 * i), Px(i == 3 ? 420 : 200), Px(17));
  }

  statusBar()->setObjectName("StatusBar1");
  // Service mode: the error log at a click.
  auto* logOpen = new QPushButton("IGN.err", statusBar());
  logOpen->setObjectName("LogOpen");
  logOpen->setFlat(true);
  logOpen->hide();
  statusBar()->addPermanentWidget(logOpen);
  connect(logOpen, &QPushButton::clicked, this,
          [this] { QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(m_paths.errorLogFile))); });
}

// A firmware loader asks for the port over a local socket; without it (a
// second instance holds the socket) the program works on, unreachable.
void TFormHlav::ListenForPortRelease() {
  if (!m_release.Listen()) {
    qWarning("port release channel unavailable: %s", m_release.LastError().c_str());
    return;
  }
  m_releaseNotifier = new QSocketNotifier(m_release.Fd(), QSocketNotifier::Read, this);
  connect(m_releaseNotifier, &QSocketNotifier::activated, this, [this] {
    while (const auto request = m_release.Receive()) m_core->OnPortReleaseMessage(request->port, request->code);
  });
}

void TFormHlav::Timer1Timer() {
  m_core->Tick();
  m_log->Tick();
  // A commit records its step after it has written the page.
  ShowHistoryState();
  ShowBusyState();
}

// New and the file commands wait while a run reads, checks or writes the image.
void TFormHlav::ShowBusyState() {
  const bool busy = m_core->mode != LinkMode::Idle;
  if (busy == m_busyShown) return;
  m_busyShown = busy;
  m_files->SetBusy(busy);
  m_service->SetBusy(busy);
  for (QObject* o : m_newCommands) o->setProperty("enabled", !busy);
}

void TFormHlav::MenuCom1Click(int itemIndex) { m_core->MenuCom1Click(itemIndex); }
void TFormHlav::MenuReadClick() { m_core->StartRead(); }
void TFormHlav::MenuVerifyClick() { m_core->StartVerify(); }
void TFormHlav::MenuProgramClick() { m_core->StartProgram(); }

void TFormHlav::ApplyLanguage() {
  ApplyLanguageToWindow(*this, m_core->textSlots, CurrentLanguage());
  // Some captions follow the page's settings; the rules set them again.
  if (m_pageControls)
    for (int page = 0; page < kPageCount; ++page) m_pageControls->ApplyRules(page);
  if (m_log) m_log->ApplyLanguage();
}

void TFormHlav::ShowLiveValues() {
  ::ShowLiveValues(m_pageControls->Names(), *m_core);
  FitLabelToText(*m_labelVersion, Px(kLabelVersionArea));
}
void TFormHlav::RefreshLiveHighlights() {
  ::RefreshLiveHighlights(m_pageControls->Names(), m_activePage, palette().color(QPalette::Base), *m_core);
}

void TFormHlav::SelectLanguage(int language) {
  SetCurrentLanguage(language);
  ApplyLanguage();
}

void TFormHlav::MenuEnglishClick() { SelectLanguage(kEnglish); }
void TFormHlav::MenuGermanClick() { SelectLanguage(kGerman); }
void TFormHlav::MenuFrenchClick() { SelectLanguage(kFrench); }
void TFormHlav::MenuCzechClick() { SelectLanguage(kCzech); }

void TFormHlav::closeEvent(QCloseEvent* event) {
  FormClose();
  QMainWindow::closeEvent(event);
}

void TFormHlav::ShowErrorInStatusBar(const QString& message) { statusBar()->showMessage(message); }

void TFormHlav::ShowFeedback(const QString& message) { statusBar()->showMessage(message, kFeedbackMs); }

void TFormHlav::ShowValueLimited(const QString& typed, const QString& inForce) {
  ShowFeedback(Q(FillInText(kValueLimitedText.Get(), {typed.toStdString(), inForce.toStdString()})));
}

void TFormHlav::FormClose() {
  if (m_closed) return;
  m_closed = true;
  m_timer1->stop();
  m_core->ClosePort();
  // What the user typed last is kept, not programmed: the port is closed.
  m_core->programAfterChange = false;
  m_pageControls->CommitFocusedEdit();
  m_core->FlushPendingCommit();
  m_pageControls->Close();
  NormaliseImage(m_core->image);
  for (const std::string& failure : SaveSettings(m_paths, SettingsFromWindow()))
    std::fprintf(stderr, "ventrix: %s\n", failure.c_str());
  if (m_monitorSetInUse && m_storeMonitorSet) m_storeMonitorSet(m_paths.monitorSetFile);
  m_monitor->Close();
}

// --- IAppView ----------------------------------------------------------------

// A text longer than the label (the print stamp) widens it to the right, over
// the gauge and the connection labels, which the stamp hides, up to the port label.
void TFormHlav::SetMessageText(const std::string& text) {
  m_labelHlaseni->setText(Q(text));
  const QRect design = Px(kLabelHlaseni);
  m_labelHlaseni->resize(std::clamp(m_labelHlaseni->sizeHint().width(), design.width(), Px(kLabelCom.x()) - design.x()),
                         design.height());
}

void TFormHlav::SetMessageColour(TColor colour) {
  QPalette p = m_labelHlaseni->palette();
  p.setColor(QPalette::Window, ToQColor(colour, palette()));
  m_labelHlaseni->setPalette(p);
}

void TFormHlav::SetMessageVisible(bool visible) { m_labelHlaseni->setVisible(visible); }
void TFormHlav::SetGaugePosition(int position) { m_gaugeProgram->setValue(position); }
void TFormHlav::SetGaugeVisible(bool visible) { m_gaugeProgram->setVisible(visible); }
void TFormHlav::SetNoConnectionVisible(bool visible) { m_labelSpojeni->setVisible(visible); }
void TFormHlav::SetVersionVisible(bool visible) { m_labelVersion->setVisible(visible); }
void TFormHlav::SetPortLabel(const std::string& text, const std::string& device) {
  m_labelCom->setText(Q(text));
  m_labelCom->setToolTip(Q(device));
}

void TFormHlav::CheckPortMenuItem(int index) {
  for (QAction* a : m_portItems->actions()) a->setChecked(a->data().toInt() == index);
}

void TFormHlav::ShowMessageBox(const std::string& text) {
  // Shown without a nested event loop: the tick keeps running behind it.
  auto* box =
      new QMessageBox(QMessageBox::NoIcon, Q(m_core->textSlots[kSlotTitle]).trimmed(), Q(text), QMessageBox::Ok, this);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->open();
}

void TFormHlav::SetCaption(const std::string& caption) { setWindowTitle(Q(caption)); }

void TFormHlav::ShowUnitTexts() {
  const std::string* texts[4] = {&m_core->unitText, &m_core->unitDate, &m_core->unitTime, &m_core->bootLine};
  for (int i = 0; i < 4; ++i) m_labelVerze[i]->setText(Q(*texts[i]));
}

int TFormHlav::ActivePageIndex() const { return m_activePage; }

// The page being left keeps what the user did on it: a change still pending,
// or text typed into its focused edit, is committed against that page before
// the new page becomes the active one.
void TFormHlav::PageControl1Change(int index) {
  m_pageControls->CommitFocusedEdit();
  m_core->FlushPendingCommit();
  m_activePage = index;
  m_pageControls->WritePage(index);
}

void TFormHlav::ReadActivePage() { m_pageControls->ReadPage(m_activePage); }
void TFormHlav::WriteActivePage() {
  m_pageControls->WritePage(m_activePage);
  ShowHistoryState();
}
void TFormHlav::WriteAllPages() {
  for (int page = 0; page < kPageCount; ++page) m_pageControls->WritePage(page);
  ShowHistoryState();
}

// Undo and Redo are offered only when there is a step to go to.
void TFormHlav::ShowHistoryState() {
  const bool undo = m_core->history.CanUndo(), redo = m_core->history.CanRedo();
  if (m_menuZpet) m_menuZpet->setEnabled(undo);
  if (m_menuZnovu) m_menuZnovu->setEnabled(redo);
  if (m_speedButtonZpet) m_speedButtonZpet->setEnabled(undo);
  if (m_speedButtonZnovu) m_speedButtonZnovu->setEnabled(redo);
}

int TFormHlav::ShownMap(int page) const {
  if (!m_mapSheets) return -1;
  if (page == kPageInjection) return m_mapSheets->ActiveInjectionSheet();
  if (page == kPageServo) return m_mapSheets->ActiveServoSheet();
  return -1;
}
void TFormHlav::ReloadMapSheets() {
  if (m_mapSheets) m_mapSheets->ReloadUnitMaps();
}
void TFormHlav::LoadMapSheets() {
  if (!m_mapSheets) return;
  m_mapSheets->Load();
  ShowInjectionState();
}
void TFormHlav::StoreMapSheets() {
  if (m_mapSheets) m_mapSheets->Store();
}

// --- Sheet controls ------------------------------------------------------------

TTab* TFormHlav::CreateSheetControl(int width, int height, std::uint32_t options, QWidget* page) {
  if (m_sheetControls.Full()) return nullptr;
  auto* control = new TTab(options, page);
  control->setGeometry(0, 0, width, height);
  control->setFocusPolicy(Qt::StrongFocus);
  CTabModel& model = control->Model();
  model.SetOwnerFields(&m_sheetControls.fields);
  model.SetOnError([this](std::string_view text, std::string_view caption) {
    auto* box = new QMessageBox(QMessageBox::Critical, QString::fromUtf8(caption.data(), qsizetype(caption.size())),
                                QString::fromUtf8(text.data(), qsizetype(text.size())), QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
  });
  model.SetOnSheetChanged([this, control](CTabModel&) { OnSheetChanged(*control); });
  connect(control, &TTab::ValueLimited, this, &TFormHlav::ShowValueLimited);
  connect(control, &TTab::PasteRefused, this, [this](bool sizes, const QString& copied, const QString& here) {
    ShowFeedback(Q(FillInText((sizes ? kPasteSizeRefusedText : kPasteForeignText).Get(),
                              {copied.toStdString(), here.toStdString()})));
  });
  m_sheetControls.Add(control);
  return control;
}

void TFormHlav::OnSheetChanged(TTab& control) {
  if (m_mapSheets) m_mapSheets->OnSheetChanged(control);
}

// The live operating point, pushed before each SheetTick. In gas-handle mode
// the intake servo's throttle axis is the gas handle: the servo valve follows
// the rider's grip, not its own position.
void TFormHlav::PushLivePoint(TTab& control) {
  const CLiveValues& live = m_core->live;
  const bool gasHandle = live.gasHandleMode && m_mapSheets &&
                         m_mapSheets->Control(SheetControlId::kServo) == &control &&
                         m_mapSheets->ActiveServoSheet() == kIntakeServoSheet;
  control.Model().LiveInputs() = SheetLiveInputsFrom(live, m_core->NoConnectionShown(), gasHandle);
}

void TFormHlav::RecordingChanged() { m_log->Refresh(); }

void TFormHlav::PlaybackChanged() { m_log->Refresh(); }

void TFormHlav::OpenExternalMonitor() { m_monitor->MenuMonitorViewClick(); }

void TFormHlav::MonitorValuesChanged() { m_monitor->ValuesChanged(); }

void TFormHlav::TickSheets() {
  for (int i = 0; i < m_sheetControls.Count(); ++i) PushLivePoint(static_cast<TTab&>(*m_sheetControls.At(i)));
  m_sheetControls.TickAll();
}

TTab* TFormHlav::FocusedSheetControl() const { return static_cast<TTab*>(m_sheetControls.Focused()); }

// The coupling commands change the maps as well as byte 47; the menu's
// check marks follow through ShowCouplingMode.
void TFormHlav::Menu_Jet123NormalClick() { CouplingCommand(0); }
void TFormHlav::Menu_Jet123CoupledClick() { CouplingCommand(1); }
void TFormHlav::Menu_Jet123StejnyClick() { CouplingCommand(2); }

void TFormHlav::CouplingCommand(int target) {
  m_mapSheets->CouplingCommand(target);
  WriteAllPages();
  // The mark shows the mode the maps have, also when the command was refused.
  ShowCouplingMode(m_core->params.Value(FieldId::kInjectionCoupling));
}

// "ms" and the coupling marks follow the injection sheets after every load.
void TFormHlav::ShowInjectionState() {
  if (auto* ms = findChild<QCheckBox*>("CheckBoxMs")) {
    const QSignalBlocker quiet(ms);
    ms->setChecked(m_core->params.injectionAsTime || !m_mapSheets->PercentAvailable());
    ms->setEnabled(m_mapSheets->PercentAvailable());
  }
  ShowCouplingMode(m_core->params.Value(FieldId::kInjectionCoupling));
}

// A stored mode the program does not know acts as normal.
void TFormHlav::ShowCouplingMode(int mode) {
  const auto checked = std::size_t(EffectiveCouplingMode(mode));
  for (std::size_t i = 0; i < std::size(m_couplingModes); ++i) m_couplingModes[i]->setChecked(i == checked);
}

// Undo and Redo show the page the step was made on.
void TFormHlav::MenuZpetClick() { SpeedButtonZpetClick(); }
void TFormHlav::MenuZnovuClick() { SpeedButtonZnovuClick(); }
void TFormHlav::SpeedButtonZpetClick() {
  ShowRestoredPage(m_core->Undo());
  ShowHistoryState();
}
void TFormHlav::SpeedButtonZnovuClick() {
  ShowRestoredPage(m_core->Redo());
  ShowHistoryState();
}

// --- Default configuration --------------------------------------------------------

void TFormHlav::SetConfirmation(Confirmation ask) { m_confirm = std::move(ask); }

QMessageBox::StandardButton TFormHlav::Confirm(const std::string& text) {
  if (m_confirm) return m_confirm(Q(text));
  QMessageBox box(QMessageBox::Question, Q(m_core->textSlots[kSlotTitle]).trimmed(), Q(text),
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
  box.setDefaultButton(QMessageBox::Yes);
  return QMessageBox::StandardButton(box.exec());
}

int TFormHlav::SelectedBikeIndex() const {
  const auto* combo = findChild<QComboBox*>("ComboBoxBike");
  return combo ? combo->currentIndex() : kBikeSeparatorIndex;
}

void TFormHlav::MenuNewClick() {
  if (SelectedBikeIndex() >= kBikeSeparatorIndex) return;
  if (Confirm(m_core->textSlots[kSlotDefaultSetting]) != QMessageBox::Yes) return;
  if (m_core->NewConfiguration(false)) ShowHistoryState();
}

void TFormHlav::MenuNewActPageClick() {
  if (SelectedBikeIndex() >= kBikeSeparatorIndex) return;
  if (CoupledPageRefused(m_core->image, {false, m_activePage, ShownMap(m_activePage)})) return;
  if (Confirm(m_core->textSlots[kSlotDefaultSettingPage]) != QMessageBox::Yes) return;
  if (m_core->NewConfiguration(true)) ShowHistoryState();
}

// The user picked a bike: its type and constants go into the image whatever
// he answers about the defaults, and the page's commit records the change.
// Type, defaults and constants are one step of the history, programmed after
// change once: recorded apart, the defaults took the step and the commit
// found nothing left to program.
void TFormHlav::ComboBoxBikeChange(int index) {
  {
    CAppCore::OneStep step(*m_core);
    if (const std::optional<int> type = TypeOfListIndex(index)) {
      m_core->params.Value(FieldId::kBike) = *type;
      m_core->image[ElementOffset(FieldId::kBike)] = static_cast<std::uint8_t>(*type);
    }
    MenuNewClick();
    DeriveBikeConstants(m_core->image);
    m_core->CommitRequest(kBikeCommitId, 0);
  }
  ApplyLanguage();
  ShowHistoryState();
}

void TFormHlav::ShowRestoredPage(int page) {
  if (page < 0 || page >= kPageCount) return;
  if (page != m_pageControl1->currentIndex())
    m_pageControl1->setCurrentIndex(page);
  else
    m_pageControls->WritePage(page);
}

void TFormHlav::MenuLadeniOnClick() {
  m_core->MenuLadeniOnClick();
  ShowTuningSwitch();
}

// The menu item and the check box both show the core's tuning switch; the
// test lock is refreshed with it.
void TFormHlav::ShowTuningSwitch() {
  m_menuLadeniOn->setChecked(m_core->tuningOn);
  m_pageControls->ShowTuningSwitch();
}

void TFormHlav::MenuPlusClick() {
  if (TTab* t = FocusedSheetControl()) t->StepCommand(1);
}
void TFormHlav::MenuMinusClick() {
  if (TTab* t = FocusedSheetControl()) t->StepCommand(-1);
}
void TFormHlav::MenuInterpolClick() {
  if (TTab* t = FocusedSheetControl()) t->InterpolateCommand();
}

bool TFormHlav::ShortCut(int key, Qt::KeyboardModifiers modifiers, const QString& text) {
  switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down:
      break;
    default:
      return false;
  }
  TTab* t = FocusedSheetControl();
  return t && t->KeyDown(key, modifiers, text);
}

// Files dropped anywhere on the window: the first tune, monitor set or
// live-data log of the drop opens where its kind belongs, even over an edit
// field that would take the names as text; the rest of the drop is ignored.
bool TFormHlav::DropEvent(QEvent* event) {
  auto* drop = static_cast<QDropEvent*>(event);
  const QMimeData* mime = drop->mimeData();
  if (!mime || !mime->hasUrls()) return false;
  QString first;
  for (const QUrl& url : mime->urls())
    if (url.isLocalFile() && IsOutsideFileName(QFile::encodeName(url.toLocalFile()).toStdString())) {
      first = url.toLocalFile();
      break;
    }
  if (first.isEmpty()) return false;
  drop->setDropAction(Qt::CopyAction);
  drop->accept();
  if (event->type() != QEvent::Drop) return true;
  if (KindOfOutsideFile(QFile::encodeName(first).toStdString()) == OutsideFileKind::kConfig)
    m_files->DropFiles({first});
  else
    OpenOutsideFile(*this, first);
  return true;
}

// Keys that reach the focused sheet control itself are its own business; a
// navigation key sent anywhere else in this window is routed to it first.
bool TFormHlav::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove || event->type() == QEvent::Drop) {
    auto* widget = qobject_cast<QWidget*>(watched);
    return widget && widget->window() == this && DropEvent(event);
  }
  if (event->type() != QEvent::KeyPress) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || widget->window() != this) return false;
  TTab* focused = FocusedSheetControl();
  if (!focused || widget == focused) return false;
  auto* k = static_cast<QKeyEvent*>(event);
  if (!ShortCut(k->key(), k->modifiers(), k->text())) return false;
  k->accept();
  return true;
}
