#include "core/scan/ScanRows.h"

#include <algorithm>

#include "core/scan/ScanReplies.h"
#include "core/scan/ScanTexts.h"

namespace {
QString SettingsText(const SerialCandidate& settings) {
    return QStringLiteral("%1,%2,8,1").arg(settings.baud).arg(QChar(settings.parity));
}

bool SameModule(const ScanRow& a, const ScanRow& b) {
    return a.readable && b.readable && a.address == b.address &&
           a.registers.modelCode == b.registers.modelCode &&
           a.registers.parameterCode == b.registers.parameterCode;
}

bool CodeNames(const ScanRow& row, const SerialCandidate& settings) {
    SerialCandidate coded;
    return ParameterCodes::CandidateOfCode(row.registers.parameterCode, &coded) &&
           coded == settings;
}

QString CsvField(const QString& text) {
    if (!text.contains(',') && !text.contains('"') && !text.contains('\n')) return text;
    QString quoted = text;
    quoted.replace('"', "\"\"");
    return '"' + quoted + '"';
}
}  // namespace

bool ScanRow::Mismatch() const {
    if (!readable) return false;
    return !CodeNames(*this, heardAt) || registers.address != address;
}

bool ScanRows::Add(const ScanRow& row) {
    for (ScanRow& known : rows_) {
        if (!SameModule(known, row)) continue;
        if (CodeNames(row, row.heardAt) && !CodeNames(known, known.heardAt)) known = row;
        return false;
    }
    const auto at =
        std::upper_bound(rows_.begin(), rows_.end(), row,
                         [](const ScanRow& a, const ScanRow& b) { return a.address < b.address; });
    rows_.insert(at, row);
    return true;
}

QStringList ScanRows::Columns() {
    return {ScanTexts::Text(ScanTexts::ColAddress),  ScanTexts::Text(ScanTexts::ColModel),
            ScanTexts::Text(ScanTexts::ColSettings), ScanTexts::Text(ScanTexts::ColHeardAt),
            ScanTexts::Text(ScanTexts::ColResponse), ScanTexts::Text(ScanTexts::ColNote)};
}

QStringList ScanRows::Cells(const ScanRow& row) {
    QString model, settings, note;
    if (row.readable) {
        model = ModuleParametersText::ModelOfCode(row.registers.modelCode);
        if (model.isEmpty())
            model = ScanTexts::Text(ScanTexts::UnknownModel).arg(row.registers.modelCode);
        SerialCandidate coded;
        settings =
            ParameterCodes::CandidateOfCode(row.registers.parameterCode, &coded)
                ? SettingsText(coded) + QStringLiteral(" (%1)").arg(row.registers.parameterCode)
                : ScanTexts::Text(ScanTexts::UnknownCode).arg(row.registers.parameterCode);
        QStringList notes;
        if (!CodeNames(row, row.heardAt)) notes << ScanTexts::Text(ScanTexts::NoteOtherSettings);
        if (row.registers.address != row.address)
            notes << ScanTexts::Text(ScanTexts::NoteOtherAddress).arg(row.registers.address);
        note = notes.join(QStringLiteral("; "));
    } else {
        note = ScanTexts::Text(ScanTexts::NoteUnreadable).arg(row.problem);
    }
    if (row.slow) {
        const QString slow = ScanTexts::Text(ScanTexts::NoteSlow)
                                 .arg(row.responseMs)
                                 .arg(ScanReplies::WaitToMeet(row.responseMs));
        note = note.isEmpty() ? slow : note + QStringLiteral("; ") + slow;
    }
    return {QString::number(row.address),    model, settings, SettingsText(row.heardAt),
            QString::number(row.responseMs), note};
}

QString ScanRows::Csv() const {
    QString text;
    auto line = [&text](const QStringList& cells) {
        QStringList fields;
        for (const QString& cell : cells) fields << CsvField(cell);
        text += fields.join(',') + "\r\n";
    };
    line(Columns());
    for (const ScanRow& row : rows_) line(Cells(row));
    return text;
}

QString ScanRows::Tsv(const std::vector<int>& indexes) const {
    QString text = Columns().join('\t') + '\n';
    for (int index : indexes)
        if (index >= 0 && index < static_cast<int>(rows_.size()))
            text += Cells(rows_[index]).join('\t') + '\n';
    return text;
}
