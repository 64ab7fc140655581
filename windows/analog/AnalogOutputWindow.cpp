#include "windows/analog/AnalogOutputWindow.h"

#include <QHBoxLayout>

#include "base/TextTable.h"
#include "core/modules/AnalogCodec.h"

namespace {
// The outputs' address list: index 1, as on the modules' other windows.
constexpr int kAddressIndex = 1;
// Line 5 of tm.rc: the wait for an analog-output reply.
constexpr int kReplyLine = 5;
constexpr int kWriteReplyBytes = 8;
constexpr int kCalibrationReplyBytes = 5 + 2 * AnalogCodec::kCalibrationCount;

// What sets the three output models apart. Bar values are µA or mV, as sent.
const OutputModel kZN230 = {
    .model = "ZN230",
    .outputs = {.channels = 1, .minimum = 0, .maximum = 20000, .designValue = 0, .unit = "mA"},
};
const OutputModel kZN240 = {
    .model = "ZN240",
    .outputs = {.channels = 3,
                .minimum = 4000,
                .maximum = 20000,
                .designValue = 4000,
                .unit = "mA",
                .rowNames = {"Iout1", "Iout2", "Iout3"}},
    .calibration =
        CalibrationTable{
            .presetCaptions = {"4mA", "7mA", "10mA", "13mA", "17mA", "20mA"},
            .presetValues = {4000, 7000, 10000, 13000, 17000, 20000},
            .lowFrameCaption = " 0mA Calibration ",
            .highFrameCaption = " 20mA Calibration ",
            .low = {3600, 4400, 4000},
            .high = {19500, 20500, 20000},
            .lowStartValue = 3820,
        },
};
const OutputModel kZN250 = {
    .model = "ZN250",
    .outputs = {.channels = 3,
                .minimum = 0,
                .maximum = 10000,
                .designValue = 0,
                .unit = "V",
                .rowNames = {"Vout1", "Vout2", "Vout3"}},
    .calibration =
        CalibrationTable{
            .presetCaptions = {"0V", "2V", "4V", "6V", "8V", "10V"},
            .presetValues = {0, 2000, 4000, 6000, 8000, 10000},
            .lowFrameCaption = " 0V Calibration ",
            .highFrameCaption = " 10V Calibration ",
            .low = {0, 50, 0},
            .high = {9500, 10500, 10000},
        },
};
}  // namespace

AnalogOutputWindow::AnalogOutputWindow(const OutputModel& model) : model_(model) {
    TM_Overtime_B = new VbTimer("TM_Overtime_B", this);
    connect(TM_Overtime_B, &QTimer::timeout, this, &AnalogOutputWindow::TM_Overtime_B_Timer);
    Output = new AnalogOutputPanel(this, model_.outputs, kAddressIndex, TM_Overtime_B);
    if (model_.calibration)
        Calibration =
            new CalibrationPanel(this, *model_.calibration, Output, kAddressIndex, TM_Overtime_B);

    Label16 = new QLabel(this);
    NameControl(Label16, "Label16(0)");
    Panel()->AddRow(Label16, CreateAddressList(kAddressIndex, this));

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(Panel(), 0, Qt::AlignTop);
    layout->addWidget(Output, 1);
    if (Calibration) layout->addWidget(Calibration, 1);
}

void AnalogOutputWindow::ApplyIntervals(const QList<int>& tmLines) {
    TM_Overtime_B->SetInterval(tmLines.value(kReplyLine - 1));
}

void AnalogOutputWindow::LoadWindow() {
    setWindowTitle(model_.model);
    Label16->setText(Tt(TextKey::LabelAddress));
    Output->Load();
    if (Calibration) Calibration->Load();
}

void AnalogOutputWindow::TM_Overtime_B_Timer() {
    ReplyRule rule{{kWriteReplyBytes}, true, nullptr, false};
    if (Calibration) {
        rule.expectedBytes.push_back(kCalibrationReplyBytes);
        rule.decode = [this] {
            if (ReceivedText.size() != 3 * kCalibrationReplyBytes) return;
            Calibration->ShowCalibration();
            Calibration->ShowWriteButtons();
        };
    }
    FinishExchange(TM_Overtime_B, rule);
}

ZN230Frm::ZN230Frm() : AnalogOutputWindow(kZN230) {}
ZN240Frm::ZN240Frm() : AnalogOutputWindow(kZN240) {}
ZN250Frm::ZN250Frm() : AnalogOutputWindow(kZN250) {}
