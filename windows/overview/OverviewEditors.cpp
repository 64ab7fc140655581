#include "windows/overview/OverviewEditors.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QFormLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

#include "base/Platform.h"
#include "base/Switches.h"
#include "core/line/PortDiscovery.h"
#include "core/modules/ParameterCodes.h"
#include "core/modules/PollPlan.h"
#include "widgets/Controls.h"
#include "windows/overview/OverviewTexts.h"

namespace {
using OverviewTexts::Text;

EditorAnswer& Answer() {
    static EditorAnswer answer;
    return answer;
}

int Ask(QDialog& dialog) {
    return Answer() ? Answer()(dialog) : dialog.exec();
}

QDialogButtonBox* OkCancel(QDialog* dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

// A limit cell: empty for none, else the number typed; nothing for text that is no number.
std::optional<std::optional<double>> LimitOf(const QTableWidgetItem* item) {
    const QString text = item ? item->text().trimmed() : QString();
    if (text.isEmpty()) return std::optional<double>();
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value)) return std::nullopt;
    return std::optional<double>(value);
}

QString Number(const std::optional<double>& value) {
    return value ? QString::number(*value) : QString();
}
}  // namespace

void SetEditorAnswer(EditorAnswer answer) {
    Answer() = std::move(answer);
}

std::optional<LineOfModules> EditLineForm(QWidget* parent, const LineOfModules& line) {
    QDialog dialog(parent);
    NameControl(&dialog, "LineEditor");
    dialog.setWindowTitle(Text(OverviewTexts::LineEditor));
    auto* name = Named(new QLineEdit(line.name, &dialog), "Text_LineName");
    auto* port = Named(new QComboBox(&dialog), "Combo_LinePort");
    port->setEditable(true);
    for (const PortEntry& entry : PortDiscovery::Entries(PortDiscovery::Discover()))
        port->addItem(entry.text);
    port->setEditText(line.port);
    auto* baud = Named(new QComboBox(&dialog), "Combo_LineBaud");
    QList<int> bauds;
    for (const SerialCandidate& candidate : ParameterCodes::SearchCandidates(true))
        if (!bauds.contains(candidate.baud)) bauds << candidate.baud;
    std::sort(bauds.begin(), bauds.end());
    for (int rate : bauds) baud->addItem(QString::number(rate));
    baud->setCurrentText(QString::number(line.settings.baud));
    auto* parity = Named(new QComboBox(&dialog), "Combo_LineParity");
    parity->addItems({"N", "O", "E"});
    parity->setCurrentText(QString(QChar(line.settings.parity)));
    auto* wait = Named(new QSpinBox(&dialog), "Spin_LineWait");
    wait->setRange(0, 60000);
    wait->setSpecialValueText(Text(OverviewTexts::DefaultWait));
    wait->setValue(line.waitMs);
    auto* form = new QFormLayout;
    form->addRow(Text(OverviewTexts::Name), name);
    form->addRow(Text(OverviewTexts::Port), port);
    form->addRow(Text(OverviewTexts::Baud), baud);
    form->addRow(Text(OverviewTexts::Parity), parity);
    form->addRow(Text(OverviewTexts::WaitMs), wait);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(form);
    layout->addWidget(OkCancel(&dialog));
    if (Ask(dialog) != QDialog::Accepted) return std::nullopt;
    LineOfModules edited = line;
    edited.name = name->text().trimmed();
    edited.port = port->currentText().trimmed();
    edited.settings = {baud->currentText().toInt(), parity->currentText().at(0).toLatin1()};
    edited.waitMs = wait->value() > 0 ? wait->value() : LineFile::DefaultWaitMs(edited.settings);
    return edited;
}

std::optional<LineModule> EditModuleForm(QWidget* parent, const LineModule& module) {
    QDialog dialog(parent);
    NameControl(&dialog, "ModuleEditor");
    dialog.setWindowTitle(Text(OverviewTexts::ModuleEditor));
    auto* address = Named(new QSpinBox(&dialog), "Spin_ModuleAddress");
    address->setRange(1, 247);
    address->setValue(module.address);
    auto* model = Named(new QComboBox(&dialog), "Combo_ModuleModel");
    model->addItems(ModelNames());
    model->setCurrentText(module.model);
    auto* tag = Named(new QLineEdit(module.tag, &dialog), "Text_ModuleTag");
    auto* enabled = Named(new QCheckBox(&dialog), "Check_ModuleEnabled");
    enabled->setChecked(module.enabled);
    auto* limits = Named(new QTableWidget(&dialog), "Table_Limits");
    limits->setColumnCount(4);
    limits->setHorizontalHeaderLabels({Text(OverviewTexts::Channel), Text(OverviewTexts::Low),
                                       Text(OverviewTexts::High), Text(OverviewTexts::Hysteresis)});
    limits->verticalHeader()->hide();
    limits->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    // One row per channel of the model chosen, its limits as they stand.
    const auto fill = [&module, limits](const QString& chosen) {
        const auto plan = PollPlan::Of(chosen);
        limits->setRowCount(plan ? static_cast<int>(plan->channels.size()) : 0);
        for (int row = 0; plan && row < limits->rowCount(); ++row) {
            const QString channel = plan->channels[row].name;
            auto* name = new QTableWidgetItem(channel);
            name->setFlags(Qt::ItemIsEnabled);
            limits->setItem(row, 0, name);
            const auto found = module.limits.find(channel);
            const ChannelLimits of = found == module.limits.end() ? ChannelLimits{} : found->second;
            limits->setItem(row, 1, new QTableWidgetItem(Number(of.low)));
            limits->setItem(row, 2, new QTableWidgetItem(Number(of.high)));
            limits->setItem(
                row, 3,
                new QTableWidgetItem(of.hysteresis ? QString::number(of.hysteresis) : QString()));
        }
    };
    fill(module.model);
    QObject::connect(model, &QComboBox::currentTextChanged, &dialog, fill);
    auto* form = new QFormLayout;
    form->addRow(Text(OverviewTexts::Address), address);
    form->addRow(Text(OverviewTexts::Model), model);
    form->addRow(Text(OverviewTexts::Tag), tag);
    form->addRow(Text(OverviewTexts::Enabled), enabled);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(form);
    layout->addWidget(limits, 1);
    layout->addWidget(OkCancel(&dialog));
    dialog.resize(420, 460);
    // A limit that is no number is said and asked again, never taken as no limit.
    for (;;) {
        if (Ask(dialog) != QDialog::Accepted) return std::nullopt;
        QString wrong;
        for (int row = 0; row < limits->rowCount() && wrong.isEmpty(); ++row)
            for (int column = 1; column <= 3 && wrong.isEmpty(); ++column)
                if (!LimitOf(limits->item(row, column)))
                    wrong = Text(OverviewTexts::NotANumber)
                                .arg(limits->item(row, 0)->text(),
                                     limits->horizontalHeaderItem(column)->text(),
                                     limits->item(row, column)->text());
        if (wrong.isEmpty()) break;
        ShowMessage(wrong);
        if (Answer()) return std::nullopt;  // a test's answer would only give the same again
    }
    LineModule edited = module;
    edited.address = address->value();
    edited.model = model->currentText();
    edited.tag = tag->text().trimmed();
    edited.enabled = enabled->isChecked();
    edited.limits.clear();
    for (int row = 0; row < limits->rowCount(); ++row) {
        ChannelLimits of;
        of.low = *LimitOf(limits->item(row, 1));
        of.high = *LimitOf(limits->item(row, 2));
        of.hysteresis = LimitOf(limits->item(row, 3))->value_or(0);
        if (of.low || of.high) edited.limits[limits->item(row, 0)->text()] = of;
    }
    return edited;
}

std::optional<PublishChoice> EditPublishForm(QWidget* parent, const PublishChoice& choice) {
    QDialog dialog(parent);
    NameControl(&dialog, "PublishForm");
    dialog.setWindowTitle(Text(OverviewTexts::PublishTitle));
    auto* form = new QFormLayout;
    const auto line = [&](const QString& text, const char* name) {
        auto* edit = Named(new QLineEdit(text, &dialog), name);
        edit->setMinimumWidth(320);
        return edit;
    };
    QLineEdit* url = line(choice.url, "Text_Broker");
    url->setPlaceholderText("mqtt://127.0.0.1:1883");
    QLineEdit* prefix = line(choice.prefix, "Text_Prefix");
    QLineEdit* clientId = line(choice.clientId, "Text_ClientId");
    QLineEdit* auth = line(choice.authFile, "Text_PasswordFile");
    QLineEdit* ca = line(choice.caFile, "Text_CaFile");
    auto* discovery = Named(new QCheckBox(Text(OverviewTexts::HaDiscovery), &dialog), "Check_Ha");
    discovery->setChecked(choice.haDiscovery);
    QLineEdit* haPrefix = line(choice.haPrefix, "Text_HaPrefix");
    // A file chosen rather than typed.
    const auto withBrowse = [&dialog](QLineEdit* edit, const char* name) {
        auto* row = new QHBoxLayout;
        row->addWidget(edit, 1);
        auto* browse = Named(new QPushButton(Text(OverviewTexts::Browse), &dialog), name);
        QObject::connect(browse, &QPushButton::clicked, &dialog, [&dialog, edit] {
            const QString path = QFileDialog::getOpenFileName(&dialog, QString(), edit->text());
            if (!path.isEmpty()) edit->setText(path);
        });
        row->addWidget(browse);
        return row;
    };
    form->addRow(Text(OverviewTexts::Broker), url);
    form->addRow(Text(OverviewTexts::TopicPrefix), prefix);
    form->addRow(Text(OverviewTexts::ClientId), clientId);
    form->addRow(Text(OverviewTexts::PasswordFile), withBrowse(auth, "Command_PasswordFile"));
    form->addRow(Text(OverviewTexts::CaFile), withBrowse(ca, "Command_CaFile"));
    form->addRow(QString(), discovery);
    form->addRow(Text(OverviewTexts::HaPrefix), haPrefix);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(form);
    layout->addWidget(OkCancel(&dialog));
    if (Ask(dialog) != QDialog::Accepted) return std::nullopt;
    PublishChoice chosen;
    chosen.url = url->text().trimmed();
    chosen.prefix = prefix->text().trimmed();
    chosen.clientId = clientId->text().trimmed();
    chosen.authFile = auth->text().trimmed();
    chosen.caFile = ca->text().trimmed();
    chosen.haDiscovery = discovery->isChecked();
    chosen.haPrefix = haPrefix->text().trimmed();
    return chosen;
}
