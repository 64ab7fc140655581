// The main window's side of the bus scan, of listening and of the line overview: their buttons,
// and a scan row or an overview's module opening a test window.
#include "app/MainWindow.h"
#include "core/modules/ParameterCodes.h"
#include "monitor/ListenWindow.h"
#include "workwindow/WorkWindow.h"
#include "windows/overview/LineOverviewWindow.h"
#include "windows/scan/ScanFrm.h"

void Main::Command_Scan_Click() {
    OpenWorkWindow("ScanFrm");
}

void Main::Command_Listen_Click() {
    ListenWindow::Open();
}

void Main::Command_Overview_Click() {
    LineOverviewWindow* overview = LineOverviewWindow::Open();
    connect(overview, &LineOverviewWindow::OpenTestWindow, this, &Main::OpenFromOverview,
            Qt::UniqueConnection);
}

void Main::OpenFromOverview(const ScanTarget& target, int line) {
    OpenFromScan(target);
    WorkWindow* window = Window(target.model);
    auto* overview = qobject_cast<LineOverviewWindow*>(sender());
    if (!overview) return;
    if (!window) return overview->TakeBack(line);
    connect(
        window, &WorkWindow::Closed, overview, [overview, line] { overview->TakeBack(line); },
        Qt::SingleShotConnection);
}

void Main::ConnectScanWindow(WorkWindow* window) {
    if (auto* scan = qobject_cast<ScanFrm*>(window))
        connect(scan, &ScanFrm::OpenTestWindow, this, &Main::OpenFromScan);
}

void Main::OpenFromScan(const ScanTarget& target) {
    WorkWindow* window = Window(target.model);
    if (!window) return;
    // One port at a time: the scan window lets it go (and keeps its settings) first.
    if (WorkWindow* scan = Window("ScanFrm"); scan && scan->isVisible()) scan->close();
    OpenWorkWindow(target.model);
    CommPanel* panel = window->Panel();
    panel->Combo1->setEditText(target.port);
    panel->Combo2->setEditText(QString::number(target.settings.baud));
    panel->Combo3->setEditText(ParameterCodes::ParityWord(target.settings.parity));
    for (int index = 0; index < 8; ++index)
        if (QComboBox* list = window->AddressList(index))
            list->setEditText(QString::number(target.address));
}
