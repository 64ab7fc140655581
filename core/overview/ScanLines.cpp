#include "core/overview/ScanLines.h"

#include <QFile>
#include <algorithm>

#include "base/Switches.h"
#include "core/scan/ScanReplies.h"
#include "core/scan/ScanTexts.h"

namespace {
struct Pair {
    const char* english;
    const char* chinese;
};
constexpr Pair kNotScanCsv = {"%1: not a bus scan CSV (its first row is not the scan's header)",
                              "%1：不是总线扫描的 CSV 文件（首行不是扫描的表头）"};
constexpr Pair kBadRow = {"%1, row %2: not a row of a bus scan", "%1，第 %2 行：不是总线扫描的行"};

QString Said(const Pair& pair, bool english) {
    return QString::fromUtf8(english ? pair.english : pair.chinese);
}

int CandidateRank(const SerialCandidate& settings) {
    const std::vector<SerialCandidate> all = ParameterCodes::SearchCandidates(true);
    return static_cast<int>(std::find(all.begin(), all.end(), settings) - all.begin());
}

// The columns ScanRows::Csv wrote, in either language.
QStringList Columns(bool english) {
    using namespace ScanTexts;
    QStringList columns;
    for (Key key : {ColAddress, ColModel, ColSettings, ColHeardAt, ColResponse, ColNote})
        columns << Text(key, english);
    return columns;
}

// The records of a CSV text: fields split at commas outside quotes, "" inside quotes a quote.
std::vector<QStringList> Records(const QString& text) {
    std::vector<QStringList> records;
    QStringList fields;
    QString field;
    bool inQuotes = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (inQuotes) {
            if (c != '"') {
                field += c;
            } else if (i + 1 < text.size() && text[i + 1] == '"') {
                field += c;
                ++i;
            } else {
                inQuotes = false;
            }
        } else if (c == '"' && field.isEmpty()) {
            inQuotes = true;
        } else if (c == ',') {
            fields << field;
            field.clear();
        } else if (c == '\n') {
            records.push_back(fields << field);
            fields.clear();
            field.clear();
        } else if (c != '\r') {
            field += c;
        }
    }
    if (!field.isEmpty() || !fields.isEmpty()) records.push_back(fields << field);
    return records;
}

// "9600,N,8,1" as the scan writes where a module answered.
std::optional<SerialCandidate> SettingsOf(const QString& text) {
    const QStringList parts = text.split(',');
    bool ok = false;
    const int baud = parts.value(0).toInt(&ok);
    if (parts.size() != 4 || !ok || parts[1].size() != 1 ||
        !QStringLiteral("NOE").contains(parts[1]))
        return std::nullopt;
    return SerialCandidate{baud, parts[1][0].toLatin1()};
}

// The row a CSV record holds; nothing when it is no scan row.
std::optional<ScanRow> RowOf(const QStringList& cells) {
    if (cells.size() != 6) return std::nullopt;
    ScanRow row;
    bool ok = false;
    row.address = cells[0].toInt(&ok);
    const auto heardAt = SettingsOf(cells[3]);
    if (!ok || row.address < 1 || row.address > 247 || !heardAt) return std::nullopt;
    row.heardAt = *heardAt;
    row.responseMs = cells[4].toInt(&ok);
    if (!ok) return std::nullopt;
    // An unreadable row has no model; an unknown model's words name no model.
    row.readable = !cells[1].isEmpty();
    if (ModelNames().contains(cells[1])) row.registers.modelCode = cells[1].mid(2).toInt();
    for (const bool english : {true, false}) {
        const QString slow = ScanTexts::Text(ScanTexts::NoteSlow, english).section("%1", 0, 0);
        row.slow = row.slow || cells[5].contains(slow);
    }
    return row;
}
}  // namespace

LineFile LineFileOfScan(const QString& port, const std::vector<ScanRow>& rows) {
    LineFile file;
    for (const ScanRow& row : rows) {
        const QString model = ModuleParametersText::ModelOfCode(row.registers.modelCode);
        if (!row.readable || model.isEmpty()) continue;
        auto line = std::find_if(file.lines.begin(), file.lines.end(),
                                 [&](const auto& l) { return l.settings == row.heardAt; });
        if (line == file.lines.end()) {
            LineOfModules fresh;
            fresh.name = QStringLiteral("%1 %2 %3")
                             .arg(port)
                             .arg(row.heardAt.baud)
                             .arg(QChar(row.heardAt.parity));
            fresh.port = port;
            fresh.settings = row.heardAt;
            fresh.waitMs = LineFile::DefaultWaitMs(row.heardAt);
            line = file.lines.insert(file.lines.end(), fresh);
        }
        if (std::any_of(line->modules.begin(), line->modules.end(),
                        [&](const LineModule& m) { return m.address == row.address; }))
            continue;
        LineModule module;
        module.address = row.address;
        module.model = model;
        line->modules.push_back(module);
        // The default wait would lose a slow module at every poll.
        if (row.slow)
            line->waitMs = std::max(line->waitMs, ScanReplies::WaitToMeet(row.responseMs));
    }
    // The bus's own settings are most likely the most modules'; the rest are stragglers.
    std::stable_sort(file.lines.begin(), file.lines.end(), [](const auto& a, const auto& b) {
        if (a.modules.size() != b.modules.size()) return a.modules.size() > b.modules.size();
        return CandidateRank(a.settings) < CandidateRank(b.settings);
    });
    for (size_t i = 1; i < file.lines.size(); ++i) file.lines[i].enabled = false;
    return file;
}

std::optional<std::vector<LineOfModules>> LinesOfScanCsv(const QString& path, const QString& port,
                                                         bool english, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error =
            path + (english ? QStringLiteral(": ") : QStringLiteral("：")) + file.errorString();
        return std::nullopt;
    }
    QString text = QString::fromUtf8(file.readAll());
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);  // a spreadsheet's save
    const std::vector<QStringList> records = Records(text);
    if (records.empty() || (records[0] != Columns(true) && records[0] != Columns(false))) {
        *error = Said(kNotScanCsv, english).arg(path);
        return std::nullopt;
    }
    std::vector<ScanRow> rows;
    for (size_t r = 1; r < records.size(); ++r) {
        if (records[r] == QStringList{QString()}) continue;  // an empty line
        const auto row = RowOf(records[r]);
        if (!row) {
            *error = Said(kBadRow, english).arg(path, QString::number(r + 1));
            return std::nullopt;
        }
        rows.push_back(*row);
    }
    return LineFileOfScan(port, rows).lines;
}
