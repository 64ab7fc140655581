#include "windows/analog/AnalogInputPanel.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "base/Switches.h"
#include "workwindow/CommPanel.h"
#include "workwindow/Readout.h"

namespace {
QString Indexed(const QString& name, int index) {
    return QStringLiteral("%1(%2)").arg(name).arg(index);
}
}  // namespace

AnalogInputPanel::AnalogInputPanel(WorkWindow* window, InputChannelTable table, VbTimer* writeTimer)
    : QGroupBox(window), window_(window), table_(std::move(table)), writeTimer_(writeTimer) {
    NameControl(this, table_.frameName);
    const int channels = static_cast<int>(table_.channelNames.size());

    PollLoopSpec spec;
    spec.request = [channels](uint8_t address) {
        return AnalogCodec::PollRequest(address, channels);
    };
    spec.reply = {{AnalogCodec::PollReplyBytes(channels)},
                  table_.reopensOnRejectedPoll,
                  [this] { ShowReadings(); },
                  true};
    spec.reply.rejected = [this] { Trend->AddGap(); };
    spec.clearsBoxesOnTick = true;
    loop_ = new PollLoop(window, spec);

    std::vector<TrendChannel> trended;
    for (const QString& name : table_.channelNames)
        trended.push_back(
            {name, AnalogCodec::UnitOf(table_.reading), AnalogCodec::DecimalsOf(table_.reading)});
    Trend = new TrendFeed(window, this, std::move(trended));

    topRow_ = new QHBoxLayout;
    topRow_->addStretch(1);
    topRow_->addWidget(loop_->Button);
    topRow_->addWidget(Trend->Controls());

    // Eight or six channels sit in two columns of readings, four in one.
    const int columns = channels > 4 ? 2 : 1;
    const int rows = (channels + columns - 1) / columns;
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);
    const bool adjustable = !table_.adjustCaption.isEmpty();
    for (int k = 0; k < channels; ++k) {
        auto* name = new QLabel(table_.channelNames[k], this);
        NameControl(name, Indexed("Label18", k));
        QLabel* reading = MakeReadout(Indexed("AI_SHOW", k), Qt::white, 130, this);
        Label18.push_back(name);
        AI_SHOW.push_back(reading);
        const int row = k % rows;
        const int column = (k / rows) * 4;
        grid->addWidget(name, row, column);
        grid->addWidget(reading, row, column + 1);
        if (adjustable) {
            auto* adjust = new QPushButton(table_.adjustCaption, this);
            NameControl(adjust, Indexed("Command_Adj", k));
            connect(adjust, &QPushButton::clicked, this, [this, k] { Command_Adj_Click(k); });
            Command_Adj.push_back(adjust);
            grid->addWidget(adjust, row, column + 2);
        }
        if (column == 0 && columns > 1) grid->setColumnMinimumWidth(3, 16);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(topRow_);
    layout->addLayout(grid);
    if (adjustable) {
        Command_Clr = new QPushButton(table_.clearCaption, this);
        NameControl(Command_Clr, "Command_Clr");
        connect(Command_Clr, &QPushButton::clicked, this, &AnalogInputPanel::Command_Clr_Click);
        auto* bottom = new QHBoxLayout;
        bottom->addStretch(1);
        bottom->addWidget(Command_Clr);
        layout->addLayout(bottom);
    }
    layout->addWidget(Trend->NoteLabel);
    layout->addStretch(1);
}

void AnalogInputPanel::AddAddressRow(QLabel* label, QComboBox* list) {
    topRow_->insertWidget(0, label);
    topRow_->insertWidget(1, list);
}

void AnalogInputPanel::Load() {
    setTitle(Tt(table_.frameCaption));
    for (QLabel* reading : AI_SHOW) reading->clear();
    for (QPushButton* adjust : Command_Adj) adjust->setVisible(ServiceButtonsShown());
    if (Command_Clr) Command_Clr->setVisible(ServiceButtonsShown());
    Trend->Load();
}

void AnalogInputPanel::ShowReadings() {
    const auto readings =
        AnalogCodec::ReadingsOfReply(table_.reading, window_->ReceivedText, Channels());
    std::vector<double> values(Channels());
    for (int k = 0; k < Channels(); ++k) {
        Readings[k] = readings[k].raw;
        AI_SHOW[k]->setText(readings[k].reading.text);
        values[k] = readings[k].reading.value;
    }
    Trend->Add(values);
}

void AnalogInputPanel::Command_Adj_Click(int index) {
    SendAdjust(index, AnalogCodec::AdjustValue(Readings[index]));
}

void AnalogInputPanel::Command_Clr_Click() {
    const int value = table_.clearValue;
    SendCommand([value](uint8_t address) { return AnalogCodec::ClearRequest(address, value); });
}

void AnalogInputPanel::SendAdjust(int channel, int value) {
    SendCommand([channel, value](uint8_t address) {
        return AnalogCodec::AdjustRequest(address, channel, value);
    });
}

void AnalogInputPanel::SendCommand(const std::function<Frame(uint8_t)>& request) {
    if (!writeTimer_) return;
    const auto address = window_->BeginCommand(0);
    if (!address) return;
    // A clean line for the write: whatever the paused poll left in transit is dropped.
    window_->ReopenPort();
    if (!window_->Panel()->PortOpen()) return;
    window_->SetCause(TrafficCause::Adjust);
    window_->SendFrame(request(*address));
    writeTimer_->SetEnabled(true);
}
