#pragma once
// The traffic log as a table for a view: all rows, or only the exchanges that went wrong (the
// refused reply with its request, a request after stale bytes), frozen while paused. New rows
// reach the view in batches, a few times a second: painting the table at every frame would cost
// the program far more than the exchange itself.
#include <QAbstractTableModel>
#include <QTimer>
#include <QVariant>
#include <deque>

#include "core/traffic/TrafficLog.h"

class TrafficModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit TrafficModel(TrafficLog& log, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Faults only: refused replies with their requests, and requests after stale bytes.
    void SetFaultsOnly(bool on);
    bool FaultsOnly() const { return faultsOnly_; }
    // A paused view keeps what it shows; the log (and a recording) go on. Resuming catches up.
    void SetPaused(bool on);
    bool Paused() const { return paused_; }
    const TrafficRow& RowAt(int row) const { return rows_[row]; }
    // Hands the rows that came since the last batch to the view now.
    void Flush();

    static constexpr int kRefreshMs = 1000;
    // True for every other exchange: a request and its reply share a band, and a row keeps its
    // band as older rows leave the top.
    static constexpr int BandRole = Qt::UserRole + 1;

  signals:
    void Flushed();

  private:
    void Reload();
    void Queue(const TrafficRow& row);
    void OnRowAdded(const TrafficRow& row);
    uint64_t LastExchange() const;

    TrafficLog& log_;
    std::deque<TrafficRow> rows_;
    std::deque<TrafficRow> pending_;
    QTimer refresh_;
    bool faultsOnly_ = false;
    bool paused_ = false;
    QVariant fixedFont_;  // asked for at every paint of every cell: looked up once
};
