#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/AppView.h"

// Records what the core shows, as the main window would display it.
class RecordingView : public IAppView {
 public:
  std::string messageText;
  TColor messageColour = 0;
  bool messageVisible = false;
  int gauge = 0;
  bool gaugeVisible = false;
  bool noConnectionVisible = false;
  bool versionVisible = true;
  std::string portLabel;
  std::string portDevice;
  int checkedPortItem = -1;
  std::vector<std::string> messageBoxes;
  std::string caption;
  int languageApplied = 0;
  int liveShown = 0;
  int unitTextsShown = 0;
  int activePage = 0;
  int shownMap = -1;
  int pagesRead = 0;
  int activePageWrites = 0;
  // What reading the page does (a test's edit of the parameter set).
  std::function<void()> onReadActivePage;
  int pagesWritten = 0;
  int sheetsReloaded = 0;
  int sheetTicks = 0;
  std::vector<int> monitorOpenedAtSheetTick;

  void SetMessageText(const std::string& t) override { messageText = t; }
  void SetMessageColour(TColor c) override { messageColour = c; }
  void SetMessageVisible(bool v) override { messageVisible = v; }
  void SetGaugePosition(int p) override { gauge = p; }
  void SetGaugeVisible(bool v) override { gaugeVisible = v; }
  void SetNoConnectionVisible(bool v) override { noConnectionVisible = v; }
  void SetVersionVisible(bool v) override { versionVisible = v; }
  void SetPortLabel(const std::string& t, const std::string& d) override {
    portLabel = t;
    portDevice = d;
  }
  void CheckPortMenuItem(int i) override { checkedPortItem = i; }
  void ShowMessageBox(const std::string& t) override { messageBoxes.push_back(t); }
  void SetCaption(const std::string& c) override { caption = c; }
  void ApplyLanguage() override { ++languageApplied; }
  void ShowLiveValues() override { ++liveShown; }
  void RefreshLiveHighlights() override {}
  void ShowUnitTexts() override { ++unitTextsShown; }
  int ActivePageIndex() const override { return activePage; }
  int ShownMap(int) const override { return shownMap; }
  void ReadActivePage() override {
    ++pagesRead;
    if (onReadActivePage) onReadActivePage();
  }
  void WriteActivePage() override { ++activePageWrites; }
  void WriteAllPages() override { ++pagesWritten; }
  void ReloadMapSheets() override { ++sheetsReloaded; }
  void LoadMapSheets() override {}
  void StoreMapSheets() override {}
  void TickSheets() override { ++sheetTicks; }
  void OpenExternalMonitor() override { monitorOpenedAtSheetTick.push_back(sheetTicks); }
};
