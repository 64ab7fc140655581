#include "link/TrafficModel.h"

#include <QColor>
#include <QFontDatabase>

#include "base/Switches.h"
#include "link/TrafficTexts.h"

namespace {
bool English() {
    return Switches().EnglishUi == 1;
}
}  // namespace

TrafficModel::TrafficModel(TrafficLog& log, QObject* parent)
    : QAbstractTableModel(parent), log_(log) {
    connect(&log_, &TrafficLog::RowAdded, this, &TrafficModel::OnRowAdded);
    connect(&log_, &TrafficLog::Cleared, this, &TrafficModel::Reload);
    Reload();
}

int TrafficModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TrafficModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : TrafficTexts::ColumnCount;
}

QVariant TrafficModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= static_cast<int>(rows_.size())) return {};
    const TrafficRow& row = rows_[index.row()];
    switch (role) {
        case Qt::DisplayRole:
            return TrafficTexts::Cell(row, index.column(), English());
        case Qt::ToolTipRole:
            if (index.column() == TrafficTexts::Meaning || index.column() == TrafficTexts::Bytes)
                return TrafficTexts::Cell(row, index.column(), English());
            return {};
        case Qt::ForegroundRole:
            if (row.Rejected() ||
                (row.crc == TrafficRow::CrcBad && index.column() == TrafficTexts::Crc))
                return QColor(190, 0, 0);
            if (row.Fault()) return QColor(170, 100, 0);
            if (row.direction == TrafficRow::Sent) return QColor(0, 70, 160);
            return {};
        case Qt::FontRole:
            if (index.column() == TrafficTexts::Bytes)
                return QFontDatabase::systemFont(QFontDatabase::FixedFont);
            return {};
        default:
            return {};
    }
}

QVariant TrafficModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    const QStringList names = TrafficTexts::ColumnNames(English());
    return section < names.size() ? QVariant(names[section]) : QVariant();
}

void TrafficModel::SetFaultsOnly(bool on) {
    if (on == faultsOnly_) return;
    faultsOnly_ = on;
    Reload();
}

void TrafficModel::SetPaused(bool on) {
    if (on == paused_) return;
    paused_ = on;
    if (!paused_) Reload();
}

void TrafficModel::Reload() {
    beginResetModel();
    rows_.clear();
    if (!faultsOnly_) {
        for (int i = 0; i < log_.Count(); ++i) rows_.push_back(log_.Row(i));
    } else {
        for (int i = 0; i < log_.Count(); ++i) {
            const TrafficRow& row = log_.Row(i);
            if (row.direction == TrafficRow::Sent) {
                const bool replyFault = i + 1 < log_.Count() &&
                                        log_.Row(i + 1).exchange == row.exchange &&
                                        log_.Row(i + 1).Fault();
                if (row.Fault() || replyFault) rows_.push_back(row);
            } else if (row.Fault()) {
                rows_.push_back(row);
            }
        }
    }
    while (rows_.size() > TrafficLog::kCapacity) rows_.pop_front();
    endResetModel();
}

void TrafficModel::Append(const TrafficRow& row) {
    if (rows_.size() >= TrafficLog::kCapacity) {
        beginRemoveRows({}, 0, 0);
        rows_.pop_front();
        endRemoveRows();
    }
    const int at = static_cast<int>(rows_.size());
    beginInsertRows({}, at, at);
    rows_.push_back(row);
    endInsertRows();
}

void TrafficModel::OnRowAdded(const TrafficRow& row) {
    if (paused_) return;
    if (!faultsOnly_) return Append(row);
    if (!row.Fault()) return;
    // A refused reply brings its request along, unless that is shown already (stale bytes).
    if (row.direction == TrafficRow::Received && log_.Count() >= 2) {
        const TrafficRow& request = log_.Row(log_.Count() - 2);
        const bool shown = !rows_.empty() && rows_.back().exchange == request.exchange;
        if (request.exchange == row.exchange && request.direction == TrafficRow::Sent && !shown)
            Append(request);
    }
    Append(row);
}
