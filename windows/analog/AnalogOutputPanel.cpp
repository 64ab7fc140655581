#include "windows/analog/AnalogOutputPanel.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "base/TextTable.h"
#include "workwindow/CommPanel.h"
#include "core/modules/AnalogCodec.h"
#include "workwindow/Readout.h"

namespace {
// A single output's controls carry plain names, those of several an index.
QString ControlName(const QString& name, int index, int count) {
    return count == 1 ? name : QStringLiteral("%1(%2)").arg(name).arg(index);
}
}  // namespace

AnalogOutputPanel::AnalogOutputPanel(WorkWindow* window, OutputTable table, int addressIndex,
                                     VbTimer* replyTimer)
    : QGroupBox(window),
      window_(window),
      table_(std::move(table)),
      addressIndex_(addressIndex),
      replyTimer_(replyTimer) {
    NameControl(this, "Frame6");
    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(14);
    const int count = table_.channels;
    for (int i = 0; i < count; ++i) {
        if (i < table_.rowNames.size()) {
            auto* name = new QLabel(table_.rowNames[i], this);
            NameControl(name, QStringLiteral("Label16(%1)").arg(i + 1));
            Label16.push_back(name);
            grid->addWidget(name, i, 0);
        }
        auto* bar = new QScrollBar(Qt::Horizontal, this);
        NameControl(bar, ControlName("HScroll1", i, count));
        bar->setRange(table_.minimum, table_.maximum);
        bar->setSingleStep(10);
        bar->setPageStep(40);
        bar->setValue(table_.designValue);
        bar->setMinimumSize(260, 22);
        connect(bar, &QScrollBar::valueChanged, this, [this, i] { HScroll1_Change(i); });
        QLabel* value = MakeReadout(ControlName("Label_I", i, count), QColor(0, 255, 0), 90, this);
        auto* unit = new QLabel(table_.unit, this);
        NameControl(unit, ControlName("Label_mA", i, count));
        HScroll1.push_back(bar);
        Label_I.push_back(value);
        Label_mA.push_back(unit);
        grid->addWidget(bar, i, 1);
        grid->addWidget(value, i, 2);
        grid->addWidget(unit, i, 3);
    }
    grid->setColumnStretch(1, 1);

    Command_OK2 = new QPushButton(this);
    NameControl(Command_OK2, "Command_OK2");
    connect(Command_OK2, &QPushButton::clicked, this, &AnalogOutputPanel::Command_OK2_Click);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(Command_OK2);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addLayout(bottom);
    layout->addStretch(1);
}

void AnalogOutputPanel::Load() {
    setTitle(Tt(TextKey::FrameAnalogOutput));
    Command_OK2->setText(Tt(TextKey::CaptionWrite));
    for (int i = 0; i < table_.channels; ++i) {
        HScroll1[i]->setValue(table_.designValue);
        HScroll1_Change(i);
    }
}

void AnalogOutputPanel::HScroll1_Change(int index) {
    Label_I[index]->setText(QString::number(HScroll1[index]->value() / 1000.0, 'f', 2));
}

void AnalogOutputPanel::Command_OK2_Click() {
    const auto address = window_->BeginCommand(addressIndex_);
    if (!address) return;
    if (table_.channels == 1) {
        window_->SendFrame(WriteRegisterRequest(*address, 0, HScroll1[0]->value()));
    } else {
        std::vector<int> values;
        for (QScrollBar* bar : HScroll1) values.push_back(bar->value());
        window_->SendFrame(AnalogCodec::WriteOutputsRequest(*address, values));
    }
    replyTimer_->SetEnabled(true);
}
