#include "windows/digital/DigitalIoWindows.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

DigitalIoWindow::DigitalIoWindow(const DigitalModel& model) : model_(model) {
    auto* panels = new QVBoxLayout;
    if (model.inputs > 0) {
        Inputs = new DigitalInputPanel(
            this, CreateAddressList(DigitalInputPanel::AddressIndex(LoopSlot::A), this),
            model.inputs, LoopSlot::A);
        AddLoop(Inputs->Loop);
        panels->addWidget(Inputs);
    }
    if (model.outputs > 0) {
        Outputs = new DigitalOutputPanel(
            this, CreateAddressList(DigitalOutputPanel::AddressIndex(WriteSlot::B), this),
            {model.outputs, model.outputNames, model.outputFrame}, WriteSlot::B);
        panels->addWidget(Outputs);
    }
    panels->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(Panel(), 0, Qt::AlignTop);
    layout->addLayout(panels, 1);
}

void DigitalIoWindow::LoadWindow() {
    setWindowTitle(model_.model);
    if (Inputs) Inputs->Load();
    if (Outputs) Outputs->Load();
}

void DigitalIoWindow::ApplyIntervals(const QList<int>& tmLines) {
    if (Inputs) {
        Inputs->Loop->Acquisition->SetInterval(tmLines.value(0));
        Inputs->Loop->Overtime->SetInterval(tmLines.value(1));
    }
    if (Outputs) Outputs->Overtime->SetInterval(tmLines.value(2));
}
