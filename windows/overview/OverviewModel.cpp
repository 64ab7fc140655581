#include "windows/overview/OverviewModel.h"

#include <QBrush>
#include <QColor>
#include <QDateTime>
#include <cmath>

#include "base/Switches.h"
#include "core/overview/OverviewRows.h"
#include "windows/overview/OverviewTexts.h"

OverviewModel::OverviewModel(QObject* parent) : QAbstractTableModel(parent) {
    redraw_.setSingleShot(true);
    redraw_.setInterval(kRedrawMs);
    connect(&redraw_, &QTimer::timeout, this, &OverviewModel::Redraw);
}

void OverviewModel::SetBoard(const OverviewBoard* board) {
    beginResetModel();
    board_ = board;
    firstChanged_ = lastChanged_ = -1;
    endResetModel();
}

void OverviewModel::Changed(int row) {
    firstChanged_ = firstChanged_ < 0 ? row : std::min(firstChanged_, row);
    lastChanged_ = std::max(lastChanged_, row);
    if (!redraw_.isActive()) redraw_.start();
}

void OverviewModel::Redraw() {
    if (firstChanged_ < 0) return;
    emit dataChanged(index(firstChanged_, 0), index(lastChanged_, ColumnCount - 1));
    firstChanged_ = lastChanged_ = -1;
}

int OverviewModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !board_ ? 0 : board_->RowCount();
}

int OverviewModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant OverviewModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return OverviewTexts::ModuleColumns().value(section);
}

bool OverviewModel::ModuleInAlarm(int row) const {
    const ModuleReport* report = board_->Latest(row);
    return report && (report->wrongModel || report->status == ModuleStatus::Failing ||
                      report->status == ModuleStatus::Offline);
}

bool OverviewModel::ReadingInAlarm(int row) const {
    const ModuleReport* report = board_->Latest(row);
    if (!report) return false;
    for (const ChannelReading& reading : report->poll.channels)
        if (reading.alarm != ChannelAlarm::None) return true;
    return false;
}

QString OverviewModel::AlarmTip(int row) const {
    const ModuleReport* report = board_->Latest(row);
    if (!report) return {};
    const auto [line, module] = board_->ModuleAt(row);
    const LineModule& of = board_->File().lines[line].modules[module];
    QStringList tips;
    for (const ChannelReading& reading : report->poll.channels) {
        if (reading.alarm == ChannelAlarm::None) continue;
        const auto limits = of.limits.find(reading.name);
        tips << reading.name + ' ' + reading.text + ": " +
                    OverviewTexts::AlarmText(OverviewRows::AlarmWord(reading.alarm)) + " (" +
                    (limits == of.limits.end()
                         ? QString()
                         : AlarmTracker::LimitText(reading.alarm, limits->second,
                                                   Switches().EnglishUi == 1)) +
                    ')';
    }
    return tips.join('\n');
}

QString OverviewModel::Cell(int row, int column) const {
    const auto [line, module] = board_->ModuleAt(row);
    const LineModule& of = board_->File().lines[line].modules[module];
    const ModuleReport* report = board_->Latest(row);
    const auto count = [report](int value) { return report ? QString::number(value) : QString(); };
    const auto ms = [](double value) {
        return value < 0 ? QString() : QString::number(std::lround(value));
    };
    switch (column) {
        case LineColumn:
            return board_->File().lines[line].name;
        case TagColumn:
            return of.tag;
        case AddressColumn:
            return QString::number(of.address);
        case ModelColumn:
            return of.model;
        case ModelReadColumn:
            return report ? report->modelRead : QString();
        case StatusColumn:
            return OverviewTexts::StatusText(report, of.enabled);
        case ReadingsColumn: {
            if (!report) return {};
            // A module without inputs shows what its model check answers.
            if (report->poll.channels.empty())
                return OverviewTexts::IdentityText(report->poll.identity);
            QStringList cells;
            for (const ChannelReading& reading : report->poll.channels)
                cells << reading.name + ' ' + reading.text;
            return cells.join(QStringLiteral("  "));
        }
        case RequestsColumn:
            return count(report ? report->tally.counts.requests : 0);
        case RepliesColumn:
            return count(report ? report->tally.counts.replies : 0);
        case NoRepliesColumn:
            return count(report ? report->tally.counts.noReplies : 0);
        case BadCrcColumn:
            return count(report ? report->tally.counts.badCrcs : 0);
        case ExceptionsColumn:
            return count(report ? report->tally.counts.exceptions : 0);
        case MinColumn:
            return report ? ms(report->tally.minMs) : QString();
        case MeanColumn:
            return report ? ms(report->tally.MeanMs()) : QString();
        case MaxColumn:
            return report ? ms(report->tally.maxMs) : QString();
        case LastSeenColumn:
            return report && report->tally.lastSeenMs > 0
                       ? QDateTime::fromMSecsSinceEpoch(report->tally.lastSeenMs)
                             .toString("HH:mm:ss")
                       : QString();
    }
    return {};
}

QVariant OverviewModel::data(const QModelIndex& index, int role) const {
    if (!board_ || !index.isValid()) return {};
    const int row = index.row();
    const int column = index.column();
    if (role == Qt::DisplayRole) return Cell(row, column);
    const bool alarmCell =
        (column == StatusColumn && ModuleInAlarm(row)) ||
        (column == ModelReadColumn && board_->Latest(row) && board_->Latest(row)->wrongModel) ||
        (column == ReadingsColumn && ReadingInAlarm(row));
    if (role == Qt::ForegroundRole && alarmCell) return QBrush(QColor(Qt::red));
    if (role == Qt::ToolTipRole) {
        if (column == ReadingsColumn) {
            const QString tip = AlarmTip(row);
            return tip.isEmpty() ? Cell(row, column) : Cell(row, column) + "\n\n" + tip;
        }
        if (column == ModelReadColumn && board_->Latest(row) && board_->Latest(row)->wrongModel)
            return OverviewTexts::AlarmText("wrong model");
    }
    if (role == Qt::TextAlignmentRole && column >= RequestsColumn && column <= MaxColumn)
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}
