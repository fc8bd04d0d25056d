#pragma once

#include <QAbstractScrollArea>
#include <QImage>
#include <functional>

#include "monitor/WatchList.h"
#include "monitor/view/MonitorDialogs.h"

class CMyGroup;
class CParameterCatalogue;

// The catalogue as a tree with a check per representation: a row per
// record, groups opened and closed with their box or Space, the list keys
// moving the current row, a click on a check cell toggling it (a group's
// cell sets or clears its whole subtree).
class TCIDList : public QAbstractScrollArea {
  Q_OBJECT

 public:
  TCIDList(QWidget* parent, CWatchList& list);

  // Design geometry, 96 dpi.
  static constexpr int kRowHeight = 18;
  static constexpr int kIndent = 20;
  static constexpr int kPropertyWidth = 200;
  static constexpr int kCheckWidth = 50;  // at least; wider where a title needs it
  int CheckWidth() const { return m_checkWidth; }

  // Where the row `visibleIndex` and column (-1 the name, else a
  // WatchColumn) lie in the viewport, for the tests' clicks.
  QRect CellRect(int visibleIndex, int column) const;
  QRect BoxRect(int visibleIndex) const;
  // The check marks, our own pixels: "BTCHK" and "BTCHKSOME".
  static QImage CheckBitmap(const char* name);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  int PageRows() const;
  int RowAt(int y) const;
  void UpdateScrollBar();
  void ShowCurrent();

  CWatchList& m_list;
  int m_checkWidth = kCheckWidth;
};

// The "Add watch" dialog: the list with "Cancel" and "OK".
class TFormCIDList : public CMonitorDialog {
  Q_OBJECT

 public:
  TFormCIDList(QWidget* parent, const CParameterCatalogue& catalogue,
               const std::function<WatchChecks(int id)>& existing);

  CWatchList& List() { return m_list; }
  TCIDList* CIDList = nullptr;

 private:
  CWatchList m_list;
};

// "Add watch": the catalogue's parameters with their label, value and
// indicator checks; OK adds and removes elements at (x, y) in layout units.
bool AddWatchDialog(QWidget* parent, CMyGroup& place, const CParameterCatalogue& catalogue, int x, int y);
