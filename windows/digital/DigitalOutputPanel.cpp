#include "windows/digital/DigitalOutputPanel.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "base/Switches.h"
#include "core/modules/DigitalCodec.h"
#include "windows/digital/IndicatorGrid.h"

DigitalOutputPanel::DigitalOutputPanel(WorkWindow* window, QComboBox* addressList,
                                       const OutputPanelSpec& spec, WriteSlot slot)
    : QGroupBox(window),
      AddressList(addressList),
      window_(window),
      spec_(spec),
      addressIndex_(AddressIndex(slot)) {
    NameControl(this, "Frame6");
    const bool b = slot == WriteSlot::B;
    WriteButton = new QPushButton(this);
    NameControl(WriteButton, b ? "Command_OK2" : "Command_OK3");
    Overtime = new VbTimer(b ? "TM_Overtime_B" : "TM_Overtime_C", window);
    Label16 = new QLabel(this);
    NameControl(Label16, "Label16");
    for (int i = 0; i < spec.outputs; ++i) {
        auto* name = new QLabel(
            spec.namePrefix + QStringLiteral("%1").arg(i + 1, 2, 10, QLatin1Char('0')), this);
        NameControl(name, QStringLiteral("Label15(%1)").arg(i));
        Label15.push_back(name);
        auto* output = new IndicatorLabel(QStringLiteral("DO_SHOW(%1)").arg(i), true, this);
        connect(output, &IndicatorLabel::clicked, this, [this, i] { LabelClick(i); });
        DO_SHOW.push_back(output);
    }
    auto* presets = new QHBoxLayout;
    for (int i = 0; i < 4; ++i) {
        auto* preset = new QPushButton(DigitalCodec::kPresetCaptions[i], this);
        NameControl(preset, QStringLiteral("DO_Set_Command(%1)").arg(i));
        preset->setVisible(false);
        connect(preset, &QPushButton::clicked, this, [this, i] { PresetClick(i); });
        DO_Set_Command.push_back(preset);
        presets->addWidget(preset);
    }
    connect(WriteButton, &QPushButton::clicked, this, &DigitalOutputPanel::WriteClick);
    connect(Overtime, &QTimer::timeout, this, &DigitalOutputPanel::WriteReplyTick);

    auto* top = new QHBoxLayout;
    top->addWidget(Label16);
    top->addWidget(AddressList);
    top->addStretch(1);
    top->addWidget(WriteButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(IndicatorGrid(Label15, DO_SHOW));
    layout->addLayout(presets);
    layout->addStretch(1);
}

void DigitalOutputPanel::Load() {
    setTitle(Tt(spec_.frameCaption));
    Label16->setText(Tt(TextKey::LabelAddress));
    WriteButton->setText(Tt(TextKey::CaptionWrite));
    for (IndicatorLabel* output : DO_SHOW) output->ShowState(false);
    for (QPushButton* preset : DO_Set_Command) preset->setVisible(ServiceButtonsShown());
}

void DigitalOutputPanel::LabelClick(int index) {
    DO_SHOW[index]->ShowState(DO_SHOW[index]->text() == QLatin1String("OFF"));
}

void DigitalOutputPanel::PresetClick(int index) {
    for (int i = 0; i < spec_.outputs; ++i)
        DO_SHOW[i]->ShowState(DigitalCodec::PresetTurnsOn(index, i));
    WriteClick();
}

std::vector<bool> DigitalOutputPanel::States() const {
    std::vector<bool> states;
    for (const IndicatorLabel* output : DO_SHOW) states.push_back(output->IsOn());
    return states;
}

void DigitalOutputPanel::WriteClick() {
    const auto address = window_->BeginCommand(addressIndex_);
    if (!address) return;
    window_->SendFrame(DigitalCodec::CoilWriteRequest(*address, States()));
    Overtime->SetEnabled(true);
}

void DigitalOutputPanel::WriteReplyTick() {
    window_->FinishExchange(Overtime, {{8}, true, nullptr, true});
}
