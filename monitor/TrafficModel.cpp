#include "monitor/TrafficModel.h"

#include <QColor>
#include <QFontDatabase>
#include <algorithm>

#include "base/Switches.h"
#include "core/traffic/TrafficTexts.h"

namespace {
bool English() {
    return Switches().EnglishUi == 1;
}
}  // namespace

TrafficModel::TrafficModel(TrafficLog& log, QObject* parent)
    : QAbstractTableModel(parent),
      log_(log),
      fixedFont_(QFontDatabase::systemFont(QFontDatabase::FixedFont)) {
    connect(&log_, &TrafficLog::RowAdded, this, &TrafficModel::OnRowAdded);
    connect(&log_, &TrafficLog::Cleared, this, &TrafficModel::Reload);
    refresh_.setSingleShot(true);
    refresh_.setInterval(kRefreshMs);
    connect(&refresh_, &QTimer::timeout, this, &TrafficModel::Flush);
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
            // The columns whose text a narrow window cuts.
            if (index.column() == TrafficTexts::Meaning || index.column() == TrafficTexts::Bytes ||
                index.column() == TrafficTexts::Verdict || index.column() == TrafficTexts::Cause)
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
            if (index.column() == TrafficTexts::Bytes) return fixedFont_;
            return {};
        case BandRole:
            return row.exchange % 2 == 1;
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
    pending_.clear();
    refresh_.stop();
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
    emit Flushed();
}

void TrafficModel::Queue(const TrafficRow& row) {
    pending_.push_back(row);
    if (pending_.size() > TrafficLog::kCapacity) pending_.pop_front();
    if (!refresh_.isActive()) refresh_.start();
}

void TrafficModel::Flush() {
    refresh_.stop();
    if (pending_.empty()) return emit Flushed();
    const size_t capacity = TrafficLog::kCapacity;
    const size_t overflow =
        rows_.size() + pending_.size() > capacity ? rows_.size() + pending_.size() - capacity : 0;
    const size_t dropped = std::min(overflow, rows_.size());
    if (dropped > 0) {
        beginRemoveRows({}, 0, static_cast<int>(dropped) - 1);
        rows_.erase(rows_.begin(), rows_.begin() + static_cast<long>(dropped));
        endRemoveRows();
    }
    const int first = static_cast<int>(rows_.size());
    beginInsertRows({}, first, first + static_cast<int>(pending_.size()) - 1);
    rows_.insert(rows_.end(), pending_.begin(), pending_.end());
    endInsertRows();
    pending_.clear();
    emit Flushed();
}

uint64_t TrafficModel::LastExchange() const {
    if (!pending_.empty()) return pending_.back().exchange;
    return rows_.empty() ? 0 : rows_.back().exchange;
}

void TrafficModel::OnRowAdded(const TrafficRow& row) {
    if (paused_) {
        // No rows, but the summary beside the view goes on.
        if (!refresh_.isActive()) refresh_.start();
        return;
    }
    if (!faultsOnly_) return Queue(row);
    if (!row.Fault()) return;
    // A refused reply brings its request along, unless that is shown already (stale bytes).
    if (row.direction == TrafficRow::Received && log_.Count() >= 2) {
        const TrafficRow& request = log_.Row(log_.Count() - 2);
        if (request.exchange == row.exchange && request.direction == TrafficRow::Sent &&
            LastExchange() != request.exchange)
            Queue(request);
    }
    Queue(row);
}
