#include "windows/digital/DigitalInputPanel.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "base/TextTable.h"
#include "core/modules/DigitalCodec.h"
#include "windows/digital/IndicatorGrid.h"

namespace {
PollLoopSpec LoopSpecOf(LoopSlot slot) {
    PollLoopSpec spec;
    const bool a = slot == LoopSlot::A;
    spec.buttonName = a ? "Command_OK1" : "Command_OK2";
    spec.acquisitionName = a ? "TM_Acquisition_A" : "TM_Acquisition_B";
    spec.overtimeName = a ? "TM_Overtime_A" : "TM_Overtime_B";
    spec.flagValue = a ? 1 : 2;
    spec.addressIndex = DigitalInputPanel::AddressIndex(slot);
    // The poll blanks all three boxes, so a stale status never stands beside a fresh request.
    spec.clearsBoxesOnTick = true;
    return spec;
}
}  // namespace

DigitalInputPanel::DigitalInputPanel(WorkWindow* window, QComboBox* addressList, int inputs,
                                     LoopSlot slot)
    : QGroupBox(window), AddressList(addressList), window_(window), inputs_(inputs) {
    NameControl(this, "Frame7");
    PollLoopSpec spec = LoopSpecOf(slot);
    spec.request = [inputs](uint8_t address) {
        return DigitalCodec::InputPollRequest(address, inputs);
    };
    spec.reply.expectedBytes = {DigitalCodec::InputReplyBytes(inputs)};
    spec.reply.decode = [this] { ShowDigitalInputs(); };
    spec.reply.rejected = [this] { Trend->AddGap(); };
    Loop = new PollLoop(window, spec);

    Label17 = new QLabel(this);
    NameControl(Label17, "Label17");
    for (int i = 0; i < inputs; ++i) {
        auto* name = new QLabel(QStringLiteral("DI_%1").arg(i + 1, 2, 10, QLatin1Char('0')), this);
        NameControl(name, QStringLiteral("Label18(%1)").arg(i));
        Label18.push_back(name);
        DI_SHOW.push_back(new IndicatorLabel(QStringLiteral("DI_SHOW(%1)").arg(i), false, this));
    }
    std::vector<TrendChannel> trended;
    for (QLabel* name : Label18) trended.push_back({name->text(), {}, 0, true});
    Trend = new TrendFeed(window, this, std::move(trended));

    auto* top = new QHBoxLayout;
    top->addWidget(Label17);
    top->addWidget(AddressList);
    top->addStretch(1);
    top->addWidget(Loop->Button);
    top->addWidget(Trend->Controls());
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(IndicatorGrid(Label18, DI_SHOW));
    layout->addWidget(Trend->NoteLabel);
    layout->addStretch(1);
}

void DigitalInputPanel::Load() {
    setTitle(Tt(TextKey::FrameDigitalInput));
    Label17->setText(Tt(TextKey::LabelAddress));
    for (IndicatorLabel* indicator : DI_SHOW) indicator->ShowState(false);
    Trend->Load();
}

void DigitalInputPanel::ShowDigitalInputs() {
    if (!Loop->Running()) return;
    const std::vector<bool> states =
        DigitalCodec::InputStatesOfReply(window_->ReceivedText, inputs_);
    for (int i = 0; i < inputs_; ++i) {
        DI_SHOW[i]->ShowState(states[i]);
        if (states[i]) BeepIfEnabled();
    }
    Trend->Add(std::vector<double>(states.begin(), states.end()));
}
