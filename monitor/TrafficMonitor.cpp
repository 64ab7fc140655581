#include "monitor/TrafficMonitor.h"

#include <QPointer>
#include <QVBoxLayout>
#include <algorithm>

#include "base/Switches.h"
#include "core/traffic/TrafficLog.h"
#include "core/traffic/TrafficTexts.h"
#include "widgets/Controls.h"

namespace {
QPointer<TrafficMonitor>& TheMonitor() {
    static QPointer<TrafficMonitor> monitor;
    return monitor;
}
}  // namespace

TrafficMonitor* TrafficMonitor::Existing() {
    return TheMonitor();
}

TrafficMonitor* TrafficMonitor::Open() {
    if (!TheMonitor()) {
        TheMonitor() = new TrafficMonitor;
        // The main window alone decides when the program ends; the monitor lives as long.
        TheMonitor()->setAttribute(Qt::WA_QuitOnClose, false);
    }
    TrafficMonitor* monitor = TheMonitor();
    monitor->show();
    monitor->raise();
    monitor->activateWindow();
    return monitor;
}

TrafficMonitor::TrafficMonitor(QWidget* parent) : QWidget(parent, Qt::Window) {
    NameControl(this, "TrafficMonitor");
    TrafficLog& log = TrafficLog::Instance();
    panel_ = new TrafficPanel(log, this);
    FaultsOnly = panel_->FaultsOnly;
    PauseButton = panel_->PauseButton;
    ClearButton = panel_->ClearButton;
    CopyButton = panel_->CopyButton;
    SaveButton = panel_->SaveButton;
    RecordButton = panel_->RecordButton;
    SummaryLabel = panel_->SummaryLabel;
    NoteLabel = panel_->NoteLabel;
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel_);
    // Every column whole at first: the table and what the layout puts around it.
    const QMargins margins = layout->contentsMargins();
    resize(std::max(panel_->WholeWidth() + margins.left() + margins.right(), sizeHint().width()),
           560);
    connect(&log, &TrafficLog::FollowedChanged, this, &TrafficMonitor::Retitle);
    Retitle();
}

void TrafficMonitor::Retitle() {
    setWindowTitle(TrafficTexts::UiText(TrafficTexts::Title, Switches().EnglishUi == 1)
                       .arg(TrafficLog::Instance().Followed()));
}
