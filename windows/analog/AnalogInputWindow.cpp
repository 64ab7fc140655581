#include "windows/analog/AnalogInputWindow.h"

#include <QHBoxLayout>

namespace {
// What sets the four input models apart.
const InputModel kZN210 = {
    .model = "ZN210",
    .panel = {.frameCaption = TextKey::FrameTemperatureInput,
              .channelNames = AnalogCodec::InputChannelsOf("ZN210")->names,
              .reading = AnalogCodec::InputChannelsOf("ZN210")->reading,
              .reopensOnRejectedPoll = true,
              .adjustCaption = "调 整",
              .clearCaption = "清 除",
              .clearValue = 0},
    .overtimeLine = 4,
};
const InputModel kZN220 = {
    .model = "ZN220",
    .panel = {.frameCaption = TextKey::FrameTemperatureInput,
              .channelNames = AnalogCodec::InputChannelsOf("ZN220")->names,
              .reading = AnalogCodec::InputChannelsOf("ZN220")->reading,
              .reopensOnRejectedPoll = true},  // no ADJ / CLEAR
    .overtimeLine = 6,
};
const InputModel kZN260 = {
    .model = "ZN260",
    .panel = {.frameCaption = TextKey::FrameAnalogInput,
              .channelNames = AnalogCodec::InputChannelsOf("ZN260")->names,
              .reading = AnalogCodec::InputChannelsOf("ZN260")->reading,
              .reopensOnRejectedPoll = true,
              .adjustCaption = "ADJ",
              .clearCaption = "CLEAR",
              .clearValue = 88},
    .overtimeLine = 4,
};
const InputModel kZN270 = {
    .model = "ZN270",
    .panel = {.frameCaption = TextKey::FrameAnalogInput,
              .channelNames = AnalogCodec::InputChannelsOf("ZN270")->names,
              .reading = AnalogCodec::InputChannelsOf("ZN270")->reading,
              .reopensOnRejectedPoll = false,  // a rejected poll only reports the error
              .adjustCaption = "ADJ",
              .clearCaption = "CLEAR",
              .clearValue = 88},
    .overtimeLine = 4,
};

// The write-reply wait of the adjust and clear commands is fixed, not from tm.rc.
constexpr int kWriteReplyMs = 100;
}  // namespace

AnalogInputWindow::AnalogInputWindow(const InputModel& model) : model_(model) {
    if (!model_.panel.adjustCaption.isEmpty()) TM_Overtime_C = new VbTimer("TM_Overtime_C", this);
    Input = new AnalogInputPanel(this, model_.panel, TM_Overtime_C);
    AddLoop(Input->Loop());
    if (TM_Overtime_C)
        connect(TM_Overtime_C, &QTimer::timeout, this, &AnalogInputWindow::TM_Overtime_C_Timer);

    Label17 = new QLabel(this);
    NameControl(Label17, "Label17");
    Panel()->AddRow(Label17, CreateAddressList(0, this));

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(Panel(), 0, Qt::AlignTop);
    layout->addWidget(Input, 1);
}

void AnalogInputWindow::ApplyIntervals(const QList<int>& tmLines) {
    Input->Loop()->Acquisition->SetInterval(tmLines.value(0));
    Input->Loop()->Overtime->SetInterval(tmLines.value(model_.overtimeLine - 1));
    if (TM_Overtime_C) TM_Overtime_C->SetInterval(kWriteReplyMs);
}

void AnalogInputWindow::LoadWindow() {
    setWindowTitle(model_.model);
    Label17->setText(Tt(TextKey::LabelAddress));
    Input->Load();
}

void AnalogInputWindow::TM_Overtime_C_Timer() {
    FinishExchange(TM_Overtime_C, {{8}, true, nullptr, true});
}

ZN210Frm::ZN210Frm() : AnalogInputWindow(kZN210) {}
ZN220Frm::ZN220Frm() : AnalogInputWindow(kZN220) {}
ZN260Frm::ZN260Frm() : AnalogInputWindow(kZN260) {}
ZN270Frm::ZN270Frm() : AnalogInputWindow(kZN270) {}
