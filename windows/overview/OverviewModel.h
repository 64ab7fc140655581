#pragma once
// The overview's table of modules over the board: one row per module of the file, each field
// from its latest report. Rows that changed are redrawn together a few times a second, so a full
// line of 247 modules at full rate costs the window little.
#include <QAbstractTableModel>
#include <QTimer>
#include <vector>

#include "core/overview/OverviewBoard.h"

class OverviewModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column {
        LineColumn,
        TagColumn,
        AddressColumn,
        ModelColumn,
        ModelReadColumn,
        StatusColumn,
        ReadingsColumn,
        RequestsColumn,
        RepliesColumn,
        NoRepliesColumn,
        BadCrcColumn,
        ExceptionsColumn,
        MinColumn,
        MeanColumn,
        MaxColumn,
        LastSeenColumn,
        ColumnCount
    };
    static constexpr int kRedrawMs = 250;

    explicit OverviewModel(QObject* parent = nullptr);

    // A new board (a file opened or edited): every row anew.
    void SetBoard(const OverviewBoard* board);
    // `row` changed; it is redrawn with the others at the next redraw.
    void Changed(int row);
    // Redraws the rows that changed now.
    void Redraw();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    QString Cell(int row, int column) const;
    // The readings that are in alarm, with their limits, for the tooltip.
    QString AlarmTip(int row) const;
    // Its own alarm (failing, offline, another model), and a reading's.
    bool ModuleInAlarm(int row) const;
    bool ReadingInAlarm(int row) const;

    const OverviewBoard* board_ = nullptr;
    int firstChanged_ = -1;
    int lastChanged_ = -1;
    QTimer redraw_;
};
