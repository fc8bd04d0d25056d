#pragma once

#include <string>

#include "base/Colours.h"

// What the core needs from the main window. The window implements it; tests
// implement it with a recorder, so the whole conversation runs without one.
class IAppView {
 public:
  virtual ~IAppView() = default;

  // LabelHlaseni: progress and error message.
  virtual void SetMessageText(const std::string& text) = 0;
  virtual void SetMessageColour(TColor colour) = 0;
  virtual void SetMessageVisible(bool visible) = 0;
  // CGaugeProgram: progress of a run, 0 .. kProgramGaugeMax.
  virtual void SetGaugePosition(int position) = 0;
  virtual void SetGaugeVisible(bool visible) = 0;
  // LabelSpojeni and LabelVersion.
  virtual void SetNoConnectionVisible(bool visible) = 0;
  virtual void SetVersionVisible(bool visible) = 0;
  // LabelCom ("COM= COM3") with the device behind it, and the checked item
  // of the port menu.
  virtual void SetPortLabel(const std::string& text, const std::string& device) = 0;
  virtual void CheckPortMenuItem(int index) = 0;
  // A message box. It must not block the tick: the window shows it and returns.
  virtual void ShowMessageBox(const std::string& text) = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  // Apply the current language to every caption again (restores the caption).
  virtual void ApplyLanguage() = 0;
  // A live-data frame was decoded into the core's live values: show it.
  virtual void ShowLiveValues() = 0;
  // The tick's refresh of the active page's live highlights.
  virtual void RefreshLiveHighlights() = 0;
  // The unit's identity texts changed (LabelVerze1 .. LabelVerze4).
  virtual void ShowUnitTexts() = 0;

  // The parameter pages and map sheets, as the link needs them.
  // Index of the active page of PageControl1.
  virtual int ActivePageIndex() const = 0;
  // The map shown on a page with several maps (injection: 0..3 maps 1..4,
  // 4 map B, 5 the IAP map; servo: 0 intake, 1 exhaust); -1 for the others.
  virtual int ShownMap(int page) const = 0;
  // Reads the active page's controls into the core's parameter set (the bike
  // page also stores the bike type and the note into the image).
  virtual void ReadActivePage() = 0;
  // Writes the active page's controls from the parameter set, under the
  // updating guard, then its rules and the colour of CheckBoxProgHned.
  virtual void WriteActivePage() = 0;
  // Writes every page's controls from the image.
  virtual void WriteAllPages() = 0;
  // The map sheets as part of the parameter set: loaded from the image after
  // the parameter set is loaded, stored into it after the parameter set is
  // stored (they own the maps). A commit caused by a sheet change keeps that
  // sheet's column counts.
  virtual void LoadMapSheets() = 0;
  virtual void StoreMapSheets() = 0;
  // Reloads the advance and injection maps into their sheets after the
  // unit changed them.
  virtual void ReloadMapSheets() = 0;
  // Hands the live point to every sheet control and runs its SheetTick.
  virtual void TickSheets() = 0;

  // A value or state of the monitor catalogue changed: the external monitor
  // repaints its elements. Nothing to do while there is no monitor window.
  virtual void MonitorValuesChanged() {}
  // The external monitor opens (first showing: the automatic set, fitted
  // to the screens, normal mode).
  virtual void OpenExternalMonitor() {}
  // A live-data recording started or stopped (by itself too, after a failed
  // write): the tool-bar button and the status bar follow.
  virtual void RecordingChanged() {}
  // A playback of a live-data log started or ended.
  virtual void PlaybackChanged() {}
};
