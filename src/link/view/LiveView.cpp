#include "link/view/LiveView.h"

#include <QMainWindow>

#include "core/AppCore.h"

void BuildMonitorPage(QWidget&, double) {}
void ShowLiveValues(QMainWindow&, const CAppCore&) {}
void RefreshLiveHighlights(QMainWindow&, const CAppCore&) {}
