#include "windows/digital/CombinationWindows.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "core/modules/DigitalCodec.h"

using enum TextKey;

// The last column is the tm.rc line of TM_Overtime_A, the measurement reply wait.
// The channels and their readings are the codec's (AnalogCodec::InputChannelsOf).
// clang-format off
//                            model    measurement frame      ADJ    line
const CombinationModel kZN410{"ZN410", FrameAnalogInput,      true,  4};
const CombinationModel kZN420{"ZN420", FrameAnalogInput,      true,  4};
const CombinationModel kZN430{"ZN430", FrameTemperatureInput, false, 6};
// clang-format on

namespace {
InputChannelTable MeasurementTable(const CombinationModel& model) {
    InputChannelTable table;
    table.frameName = "Frame2";
    table.frameCaption = model.measurementFrame;
    const AnalogCodec::InputChannels channels = *AnalogCodec::InputChannelsOf(model.model);
    table.channelNames = channels.names;
    table.reading = channels.reading;
    if (model.calibrates) {
        table.adjustCaption = "ADJ";
        table.clearCaption = "CLEAR";
        table.clearValue = 88;
    }
    return table;
}
}  // namespace

CombinationWindow::CombinationWindow(const CombinationModel& model) : model_(model) {
    // The output panel's confirmation timer is TM_Overtime_C: ADJ and CLEAR are confirmed by it
    // too.
    Outputs = new DigitalOutputPanel(
        this, CreateAddressList(DigitalOutputPanel::AddressIndex(WriteSlot::C), this),
        {4, "DO_", TextKey::FrameDigitalOutput}, WriteSlot::C);
    Measurements = new AnalogInputPanel(this, MeasurementTable(model),
                                        model.calibrates ? Outputs->Overtime : nullptr);
    Label6 = new QLabel(Measurements);
    NameControl(Label6, "Label6");
    Measurements->AddAddressRow(Label6, CreateAddressList(0, Measurements));
    Inputs = new DigitalInputPanel(
        this, CreateAddressList(DigitalInputPanel::AddressIndex(LoopSlot::B), this),
        DigitalCodec::InputCountOf(model.model), LoopSlot::B);
    AddLoop(Measurements->Loop());
    AddLoop(Inputs->Loop);

    auto* digital = new QHBoxLayout;
    digital->addWidget(Outputs, 1);
    digital->addWidget(Inputs, 1);
    auto* panels = new QVBoxLayout;
    panels->addWidget(Measurements, 0, Qt::AlignLeft);
    panels->addLayout(digital);
    panels->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(Panel(), 0, Qt::AlignTop);
    layout->addLayout(panels, 1);
}

void CombinationWindow::LoadWindow() {
    setWindowTitle(model_.model);
    Label6->setText(Tt(TextKey::LabelAddress));
    Measurements->Load();
    Inputs->Load();
    Outputs->Load();
}

void CombinationWindow::ApplyIntervals(const QList<int>& tmLines) {
    Measurements->Loop()->Acquisition->SetInterval(tmLines.value(0));
    Measurements->Loop()->Overtime->SetInterval(tmLines.value(model_.measurementWaitLine - 1));
    Inputs->Loop->Acquisition->SetInterval(tmLines.value(0));
    Inputs->Loop->Overtime->SetInterval(tmLines.value(1));
    Outputs->Overtime->SetInterval(tmLines.value(2));
}
