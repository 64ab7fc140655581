#include "monitor/TrafficTable.h"

#include <QHeaderView>
#include <algorithm>

TrafficTable::TrafficTable(QWidget* parent) : QTableView(parent) {
    // One height for every row: a row that leaves the top moves the picture by that much, and
    // 10,000 rows scroll without measuring each one.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->hide();
}

void TrafficTable::setModel(QAbstractItemModel* model) {
    if (QAbstractItemModel* old = this->model()) disconnect(old, nullptr, this, nullptr);
    QTableView::setModel(model);
    endsOnly_ = false;
    if (!model) return;
    connect(model, &QAbstractItemModel::rowsRemoved, this, &TrafficTable::RowsRemoved);
    connect(model, &QAbstractItemModel::rowsInserted, this, &TrafficTable::RowsInserted);
    connect(model, &QAbstractItemModel::modelReset, this, &TrafficTable::Unforeseen);
    connect(model, &QAbstractItemModel::layoutChanged, this, &TrafficTable::Unforeseen);
    connect(model, &QAbstractItemModel::rowsMoved, this, &TrafficTable::Unforeseen);
    connect(model, &QAbstractItemModel::columnsInserted, this, &TrafficTable::Unforeseen);
    connect(model, &QAbstractItemModel::columnsRemoved, this, &TrafficTable::Unforeseen);
}

void TrafficTable::RowsRemoved(const QModelIndex& parent, int first, int last) {
    if (parent.isValid() || first != 0 || firstNew_ >= 0 || !isVisible()) return Unforeseen();
    leftAtTop_ += last - first + 1;
}

void TrafficTable::RowsInserted(const QModelIndex& parent, int first, int last) {
    if (parent.isValid() || last != model()->rowCount() - 1 || !isVisible()) return Unforeseen();
    if (firstNew_ < 0) firstNew_ = first;
    came_ += last - first + 1;
    // Laid out now, before anything paints rows that have moved at their old places.
    executeDelayedItemsLayout();
}

void TrafficTable::doItemsLayout() {
    const bool moveOnly = endsOnly_ && isVisible() && (leftAtTop_ > 0 || firstNew_ >= 0);
    const int left = leftAtTop_;
    const int firstNew = firstNew_;
    const int came = came_;
    endsOnly_ = true;
    leftAtTop_ = 0;
    firstNew_ = -1;
    came_ = 0;
    if (!moveOnly) return QTableView::doItemsLayout();

    // As many rows as left came: the scroll bars stay as they are. Measuring them again repaints
    // them and the table's frame. A new measure can move the page too: at the end of its range it
    // is aligned to its last row, elsewhere to its first.
    QHeaderView* rows = verticalHeader();
    const int offset = rows->offset();
    if (came != left) updateGeometries();
    rows->setUpdatesEnabled(true);  // the view holds it back while rows leave
    QWidget* page = viewport();
    const int moved = left * rows->defaultSectionSize() + rows->offset() - offset;
    if (moved != 0) page->scroll(0, -moved);
    if (firstNew >= 0) {
        const int top = std::max(0, rowViewportPosition(firstNew));
        if (top < page->height()) page->update(0, top, page->width(), page->height() - top);
    }
}
