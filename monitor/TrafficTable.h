#pragma once
// The traffic table. Rows come in batches at the end and, once the log's ring is full, as many
// leave at the top. The standard view repaints the whole page for that; this one moves the
// picture by the rows that left and paints only the rows that came, as a scroll does.
#include <QTableView>

class TrafficTable : public QTableView {
  public:
    explicit TrafficTable(QWidget* parent = nullptr);
    void setModel(QAbstractItemModel* model) override;
    void doItemsLayout() override;

  private:
    void RowsRemoved(const QModelIndex& parent, int first, int last);
    void RowsInserted(const QModelIndex& parent, int first, int last);
    void Unforeseen() { endsOnly_ = false; }

    // Since the last layout: rows only left at the top and came at the end.
    bool endsOnly_ = true;
    int leftAtTop_ = 0;
    int firstNew_ = -1;
    int came_ = 0;
};
