#pragma once

#include <array>
#include <optional>

#include "image/InjectionCoupling.h"
#include "image/MapLoad.h"
#include "image/BikeTables.h"

class CAppCore;
class CPageControls;
class QTabWidget;
class TFormHlav;
class TTab;

// The map sheets of the main window: the fifteen sheet controls of the map
// catalogue on their pages, loaded from and stored into the image as part of
// the parameter set, and what a committed sheet change does before the
// commit (advance base values, injection coupling).
class CMapSheets {
 public:
  CMapSheets(TFormHlav& window, CAppCore& core);

  // Creates and defines every control on its page, in the pages' order.
  void Build(QTabWidget& pages, double scale);
  bool Built() const { return m_built; }

  // Image -> sheets. During the commit of a sheet change that control keeps
  // its column counts.
  void Load();
  // Sheets -> image (after the parameter set's own store).
  void Store();
  // The unit changed its maps (auto-tuning): the advance and injection
  // values again, nothing else.
  void ReloadUnitMaps();

  // A committed change of `control`: its post-processing, then the commit.
  void OnSheetChanged(TTab& control);

  TTab* Control(SheetControlId id) const { return m_tabs[Index(id)]; }
  // The injection sheet on show (0..3 maps 1-4, 4 map B, 5 the IAP map).
  int ActiveInjectionSheet() const;
  int CouplingMode() const;
  // The servo sheet on show (0 intake, 1 exhaust).
  int ActiveServoSheet() const;
  // Page 6's row: its rules follow the active servo sheet, "Servo enable"
  // and "Percent" act on that sheet.
  void ConnectServoRow(CPageControls& controls);

  // The reference tables for the percent view: the bikes' own unless a
  // test hands others (null: the bikes' again).
  void SetReferenceTables(const IReferenceTables* tables) { m_tables = tables ? tables : &m_bikeTables; }
  // "ms": times (true) or percentages of the base table.
  void SetInjectionAsTime(bool asTime);
  bool PercentAvailable() const { return m_percentAvailable; }
  // Normal (0), Coupled (1), 1=2=3=4 (2).
  void CouplingCommand(int target);

 private:
  void AfterLoad();
  void GiveMarkers();
  void TakeMarkers();
  void ServoEnableClick(bool on);
  void ServoPercentClick(bool percent);

  TFormHlav& m_window;
  CAppCore& m_core;
  std::array<TTab*, kSheetControlCount> m_tabs{};
  MapControls m_controls;
  CCouplingCopy m_copy;
  std::optional<SheetControlId> m_changing;
  bool m_built = false;
  bool m_loading = false;
  bool m_percentAvailable = false;
  CBikeReferenceTables m_bikeTables;
  const IReferenceTables* m_tables = &m_bikeTables;
};
