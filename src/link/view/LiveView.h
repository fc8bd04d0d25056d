#pragma once

class QMainWindow;
class QWidget;
class CAppCore;

// The live data on the main window: the Monitor page's labels and gauges
// and the live labels of the other pages, found by object name.

// Creates the Monitor page's controls on `page`; `scale` is dpi / 96.
void BuildMonitorPage(QWidget& page, double scale);
// Shows the core's last live-data frame on every live label and gauge.
void ShowLiveValues(QMainWindow& window, const CAppCore& core);
// The tick's refresh of the active page's live highlights.
void RefreshLiveHighlights(QMainWindow& window, const CAppCore& core);
