#include "windows/analog/CalibrationPanel.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "base/Switches.h"
#include "workwindow/CommPanel.h"
#include "core/modules/AnalogCodec.h"
#include "workwindow/Readout.h"

namespace {
QString Indexed(const QString& name, int index) {
    return QStringLiteral("%1(%2)").arg(name).arg(index);
}

QPushButton* MakeButton(const QString& caption, const QString& name, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    NameControl(button, name);
    return button;
}
}  // namespace

CalibrationPanel::CalibrationPanel(WorkWindow* window, CalibrationTable table,
                                   AnalogOutputPanel* outputs, int addressIndex,
                                   VbTimer* replyTimer)
    : QGroupBox(QStringLiteral(" Calibration "), window),
      window_(window),
      table_(std::move(table)),
      outputs_(outputs),
      addressIndex_(addressIndex),
      replyTimer_(replyTimer) {
    NameControl(this, "Frame2");
    const QStringList& rowNames = outputs_->Table().rowNames;

    auto* presets = new QGridLayout;
    for (int i = 0; i < 6; ++i) {
        QPushButton* preset = MakeButton(table_.presetCaptions[i], Indexed("Command_OK3", i), this);
        connect(preset, &QPushButton::clicked, this, [this, i] { Command_OK3_Click(i); });
        Command_OK3.push_back(preset);
        presets->addWidget(preset, 0, i);
    }
    Command_OK4 = MakeButton("Read", "Command_OK4", this);
    Command_CLR = MakeButton("CLR", "Command_CLR", this);
    connect(Command_OK4, &QPushButton::clicked, this, &CalibrationPanel::Command_OK4_Click);
    connect(Command_CLR, &QPushButton::clicked, this, &CalibrationPanel::Command_CLR_Click);
    auto* actions = new QHBoxLayout;
    actions->addStretch(1);
    actions->addWidget(Command_OK4);
    actions->addWidget(Command_CLR);

    Frame4 = new QGroupBox(table_.lowFrameCaption, this);
    Frame5 = new QGroupBox(table_.highFrameCaption, this);
    NameControl(Frame4, "Frame4");
    NameControl(Frame5, "Frame5");
    auto* lowGrid = new QGridLayout(Frame4);
    auto* highGrid = new QGridLayout(Frame5);
    for (int i = 0; i < 6; ++i) {
        const bool low = i < 3;
        QGroupBox* frame = low ? Frame4 : Frame5;
        QGridLayout* grid = low ? lowGrid : highGrid;
        const int row = i % 3;
        if (!low) {
            QPushButton* start = MakeButton(rowNames[row], Indexed("Command_20", row), frame);
            connect(start, &QPushButton::clicked, this, [this, row] { Command_20_Click(row); });
            Command_20.push_back(start);
            grid->addWidget(start, row, 0);
        } else if (table_.lowStartValue) {
            QPushButton* start = MakeButton(rowNames[row], Indexed("Command_4", row), frame);
            connect(start, &QPushButton::clicked, this, [this, row] { Command_4_Click(row); });
            Command_4.push_back(start);
            grid->addWidget(start, row, 0);
        } else {
            auto* name = new QLabel(rowNames[row], frame);
            NameControl(name, Indexed("Label16", row + 4));
            name->setAlignment(Qt::AlignCenter);
            Label16.push_back(name);
            grid->addWidget(name, row, 0);
        }
        auto* bar = new QScrollBar(Qt::Horizontal, frame);
        NameControl(bar, Indexed("HScroll2", i));
        const TrimRange& range = low ? table_.low : table_.high;
        bar->setRange(range.minimum, range.maximum);
        bar->setSingleStep(1);
        bar->setPageStep(10);
        bar->setMinimumSize(200, 22);
        connect(bar, &QScrollBar::valueChanged, this, [this, i] { HScroll2_Change(i); });
        QLabel* value = MakeReadout(Indexed("Label_CAL", i), QColor(0, 255, 0), 80, frame);
        QPushButton* write = MakeButton("Write", Indexed("Command_CAL", i), frame);
        connect(write, &QPushButton::clicked, this, [this, i] { Command_CAL_Click(i); });
        HScroll2.push_back(bar);
        Label_CAL.push_back(value);
        Command_CAL.push_back(write);
        grid->addWidget(bar, row, 1);
        grid->addWidget(value, row, 2);
        grid->addWidget(write, row, 3);
        grid->setColumnStretch(1, 1);
    }

    // Row names and start buttons share one width, so the bars of both frames line up.
    const int rowNameWidth = Command_20[0]->sizeHint().width();
    lowGrid->setColumnMinimumWidth(0, rowNameWidth);
    highGrid->setColumnMinimumWidth(0, rowNameWidth);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(presets);
    layout->addLayout(actions);
    layout->addWidget(Frame4);
    layout->addWidget(Frame5);
    layout->addStretch(1);
}

void CalibrationPanel::Load() {
    for (int i = 0; i < 6; ++i) {
        const int value = (i < 3 ? table_.low : table_.high).designValue;
        SetTrim(i, value);
        // Hidden without taking their room, so the rows do not jump when they appear.
        QSizePolicy policy = Command_CAL[i]->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        Command_CAL[i]->setSizePolicy(policy);
        Command_CAL[i]->setVisible(false);
    }
    setVisible(ServiceButtonsShown());
}

void CalibrationPanel::SetTrim(int index, int value) {
    HScroll2[index]->setValue(value);
    ShowValue(index, value);
}

void CalibrationPanel::ShowValue(int index, int value) {
    values_[index] = value;
    Label_CAL[index]->setText(QString::number(value));
}

void CalibrationPanel::Command_OK3_Click(int index) {
    const int value = table_.presetValues[index];
    for (int c = 0; c < static_cast<int>(outputs_->HScroll1.size()); ++c) {
        outputs_->HScroll1[c]->setValue(value);
        outputs_->HScroll1_Change(c);
    }
    outputs_->Command_OK2_Click();
}

void CalibrationPanel::Send(const std::function<Frame(uint8_t)>& request) {
    const auto address = window_->BeginCommand(addressIndex_);
    if (!address) return;
    window_->SetCause(TrafficCause::Calibration);
    window_->SendFrame(request(*address));
    replyTimer_->SetEnabled(true);
}

void CalibrationPanel::Command_OK4_Click() {
    Send(AnalogCodec::CalibrationReadRequest);
}

void CalibrationPanel::ShowCalibration() {
    for (int i = 0; i < 6; ++i) {
        const int value = RegisterOfReply(window_->ReceivedText, i);
        // A value outside the bar's range leaves the bar where it was; the label tells it and
        // Write sends it back unchanged until the bar is moved.
        QScrollBar* bar = HScroll2[i];
        if (value >= bar->minimum() && value <= bar->maximum()) bar->setValue(value);
        ShowValue(i, value);
    }
}

void CalibrationPanel::ShowWriteButtons() {
    for (QPushButton* write : Command_CAL) write->setVisible(true);
}

void CalibrationPanel::HScroll2_Change(int index) {
    ShowValue(index, HScroll2[index]->value());
}

void CalibrationPanel::Command_CAL_Click(int index) {
    const int value = values_[index];
    Send([index, value](uint8_t address) {
        return WriteRegisterRequest(address, AnalogCodec::kCalibrationRegister + index, value);
    });
}

void CalibrationPanel::Command_4_Click(int index) {
    SetTrim(index, table_.lowStartValue.value_or(table_.low.designValue));
}

void CalibrationPanel::Command_20_Click(int index) {
    SetTrim(index + 3, table_.high.designValue);
}

void CalibrationPanel::Command_CLR_Click() {
    for (int i = 0; i < 6; ++i) SetTrim(i, (i < 3 ? table_.low : table_.high).designValue);
}
