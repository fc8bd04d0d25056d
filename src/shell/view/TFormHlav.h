#pragma once

#include <QMainWindow>
#include <QMessageBox>
#include <functional>
#include <memory>
#include <vector>

#include "core/AppCore.h"
#include "core/AppView.h"
#include "files/Paths.h"
#include "files/Settings.h"
#include "link/ReleaseChannel.h"
#include "sheet/SheetControls.h"

class QLabel;
class QMenu;
class QProgressBar;
class QTabWidget;
class QTimer;
class QActionGroup;
class QAction;
class QSocketNotifier;
class QToolButton;
class QKeyEvent;
class TTab;
class CPageControls;
class CMapSheets;
class CFileCommands;
class CServiceCommands;
class CMonitorCommands;
class CLogCommands;
class QPaintDevice;
class TFormAbout;

// The main window: shows what the core holds and forwards the timer, the
// user's commands and the port-release requests to it.
class TFormHlav : public QMainWindow, public IAppView {
  Q_OBJECT

 public:
  explicit TFormHlav(std::unique_ptr<ISerialPort> port, const std::vector<std::string>& args = {},
                     QWidget* parent = nullptr);
  ~TFormHlav() override;

  CAppCore& Core() { return *m_core; }
  QTimer& Timer1() { return *m_timer1; }

  void ApplyLanguage() override;
  void ShowLiveValues() override;
  void RefreshLiveHighlights() override;
  void ShowUnitTexts() override;
  int ActivePageIndex() const override;
  int ShownMap(int page) const override;
  void ReadActivePage() override;
  void WriteActivePage() override;
  void WriteAllPages() override;
  CPageControls& PageControls() { return *m_pageControls; }
  CMapSheets& MapSheets() { return *m_mapSheets; }
  CFileCommands& FileCommands() { return *m_files; }
  CServiceCommands& ServiceCommands() { return *m_service; }
  const AppPaths& Paths() const { return m_paths; }
  void PageControl1Change(int index);
  void ReloadMapSheets() override;
  void LoadMapSheets() override;
  void StoreMapSheets() override;
  void TickSheets() override;
  void OpenExternalMonitor() override;
  void RecordingChanged() override;
  void PlaybackChanged() override;
  void MonitorValuesChanged() override;

  // A sheet control on `page`, registered with the window; none when the
  // window already has its 20.
  TTab* CreateSheetControl(int width, int height, std::uint32_t options, QWidget* page);
  CSheetControls& SheetControls() { return m_sheetControls; }
  // Routes Tab, Enter, Space and the arrows to the sheet control that has
  // the focus; true when that control used the key.
  bool ShortCut(int key, Qt::KeyboardModifiers modifiers, const QString& text);

  void MenuEnglishClick();
  void MenuGermanClick();
  void MenuFrenchClick();
  void MenuCzechClick();
  void MenuCom1Click(int itemIndex);
  void MenuReadClick();
  void MenuVerifyClick();
  void MenuProgramClick();
  void Timer1Timer();
  void MenuPlusClick();
  void MenuMinusClick();
  void MenuInterpolClick();
  void MenuLadeniOnClick();
  void MenuZpetClick();
  void MenuZnovuClick();
  void SpeedButtonZpetClick();
  void SpeedButtonZnovuClick();
  void MenuNewClick();
  void MenuNewActPageClick();
  // The user's pick in ComboBoxBike (never a page write setting it).
  void ComboBoxBikeChange(int index);
  // The Yes/No/Cancel question of New; tests answer it themselves.
  using Confirmation = std::function<QMessageBox::StandardButton(const QString& text)>;
  void SetConfirmation(Confirmation ask);

  // What the settings file and the image state file carry between runs:
  // the window's and the core's state now, and the state taken over.
  SettingsState SettingsFromWindow() const;
  void WindowFromSettings(const SettingsState& state);
  // The closing sequence: port, pending edit, limits, settings and state.
  void FormClose();
  // Undo and Redo enabled as the history allows.
  void ShowHistoryState();
  // The external monitor's set, stored at close into the automatic set file
  // when the monitor window was shown in this run.
  void SetMonitorSetStore(std::function<void(const std::string& path)> store) { m_storeMonitorSet = std::move(store); }
  void SetMonitorSetInUse(bool inUse) { m_monitorSetInUse = inUse; }
  CMonitorCommands& Monitor() { return *m_monitor; }
  CLogCommands& Log() { return *m_log; }

  // Printing (Printing.cpp). PrintPage runs the print steps with `device`
  // (a printer, a QImage) as the paper; false when it took no painting.
  void SpeedButtonPrintClick();
  bool PrintPage(QPaintDevice& device);
  // Help (Help.cpp): the manual of the current language, and the About window.
  void MenuContensClick();
  void MenuAboutClick();
  // Where the manual is looked for first: the executable's folder, unless a test says otherwise.
  void SetProgramDir(const QString& dir) { m_programDir = dir; }

  // An error nothing else caught, after it went to the log.
  void ShowErrorInStatusBar(const QString& message);
  // A word about the tuner's last action (a value held to its range, a
  // refused paste), in the status bar for a few seconds.
  void ShowFeedback(const QString& message);
  void ShowValueLimited(const QString& typed, const QString& inForce);
  void Menu_Jet123NormalClick();
  void Menu_Jet123CoupledClick();
  void Menu_Jet123StejnyClick();
  // Checks the coupling menu's item of `mode` (image byte 47).
  void ShowCouplingMode(int mode);
  void CouplingCommand(int target);
  void ShowInjectionState();

  // IAppView
  void SetMessageText(const std::string& text) override;
  void SetMessageColour(TColor colour) override;
  void SetMessageVisible(bool visible) override;
  void SetGaugePosition(int position) override;
  void SetGaugeVisible(bool visible) override;
  void SetNoConnectionVisible(bool visible) override;
  void SetVersionVisible(bool visible) override;
  void SetPortLabel(const std::string& text, const std::string& device) override;
  void CheckPortMenuItem(int index) override;
  void ShowMessageBox(const std::string& text) override;
  void SetCaption(const std::string& caption) override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FormCreate(const std::vector<std::string>& args);
  void ListenForPortRelease();
  void BuildMenus();
  void BuildPortMenu();
  void BuildDeviceMenu(QMenu& menu);
  void BuildToolsMenu(QMenu& menu);
  void OnSheetChanged(TTab& control);
  void PushLivePoint(TTab& control);
  TTab* FocusedSheetControl() const;
  void BuildControls();
  void SelectLanguage(int language);
  void ShowTuningSwitch();
  void ShowRestoredPage(int page);
  void ShowBusyState();
  void SelectShownMaps(int injectionMap, int servoMap);
  bool DropEvent(QEvent* event);
  QMessageBox::StandardButton Confirm(const std::string& text);
  int SelectedBikeIndex() const;
  int Px(int designPixels) const;
  QRect Px(const QRect& design) const;

  std::unique_ptr<CAppCore> m_core;
  double m_scale = 1.0;
  QTimer* m_timer1 = nullptr;
  QTabWidget* m_pageControl1 = nullptr;
  QMenu* m_menuCom = nullptr;
  QActionGroup* m_portItems = nullptr;
  QLabel* m_labelHlaseni = nullptr;
  QProgressBar* m_gaugeProgram = nullptr;
  QLabel* m_labelSpojeni = nullptr;
  QLabel* m_labelVersion = nullptr;
  QLabel* m_labelCom = nullptr;
  QLabel* m_labelVerze[4] = {};
  CReleaseListener m_release;
  QSocketNotifier* m_releaseNotifier = nullptr;
  CSheetControls m_sheetControls;
  CPageControls* m_pageControls = nullptr;
  std::unique_ptr<CMapSheets> m_mapSheets;
  QAction* m_menuLadeniOn = nullptr;
  QAction* m_menuZpet = nullptr;
  QAction* m_menuZnovu = nullptr;
  QToolButton* m_speedButtonZpet = nullptr;
  QToolButton* m_speedButtonZnovu = nullptr;
  Confirmation m_confirm;
  AppPaths m_paths;
  CFileCommands* m_files = nullptr;
  CServiceCommands* m_service = nullptr;
  CMonitorCommands* m_monitor = nullptr;
  CLogCommands* m_log = nullptr;
  ReservedStateBytes m_reservedState{};
  bool m_monitorWindowVisible = false;  // "FormEM->Visible", for the monitor's first tick
  bool m_closed = false;
  // New's menu items and button, which wait while a run goes; the state shown.
  std::vector<QObject*> m_newCommands;
  bool m_busyShown = false;
  bool m_monitorSetInUse = false;
  std::function<void(const std::string& path)> m_storeMonitorSet;
  QAction* m_couplingModes[3] = {};  // normal, coupled, all equal
  int m_activePage = 0;
  QString m_programDir;
  TFormAbout* m_formAbout = nullptr;  // created at its first showing, kept
};
