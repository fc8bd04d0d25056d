#pragma once

#include <QColor>
#include <QHash>
#include <QString>

class QWidget;
class CAppCore;

// The window's named widgets, found once when the window is built: the
// live display runs on every frame and every tick and must not search.
using WidgetNames = QHash<QString, QWidget*>;

// The live data on the main window: the Monitor page's labels and gauges
// and the live labels of the other pages, found by object name.

// Creates the Monitor page's controls on `page`; `scale` is dpi / 96.
void BuildMonitorPage(QWidget& page, double scale);
// Shows the core's last live-data frame on every live label and gauge.
void ShowLiveValues(const WidgetNames& byName, const CAppCore& core);
// The tick's refresh of the live highlights of `activePage`; `normalBase`
// is the base colour of an edit that is not highlighted.
void RefreshLiveHighlights(const WidgetNames& byName, int activePage, const QColor& normalBase, const CAppCore& core);
