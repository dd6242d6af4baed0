#include "FilesLbSort.h"

#include "RowListModel.h"

#include <QAbstractItemView>
#include <QHeaderView>
#include <QItemSelectionModel>

#include <vector>

namespace {

// The model is reset rather than told of moved rows: Qt would keep one
// persistent index per selected row, which at a million rows takes longer
// than the sort. So the selection is noted by entry and put back in runs.
void SortKeepingSelection(QAbstractItemView &list, TRowListModel &rows, int column,
                          Qt::SortOrder order) {
    QItemSelectionModel &selection = *list.selectionModel();
    // Positions count the entries from 1.
    std::vector<bool> selected(static_cast<std::size_t>(rows.Count()) + 1);
    for (const QItemSelectionRange &range : selection.selection())
        for (int row = range.top(); row <= range.bottom(); ++row)
            selected[static_cast<std::size_t>(rows.Position(row))] = true;
    const QModelIndex current = list.currentIndex();
    const std::int32_t currentPosition = current.isValid() ? rows.Position(current.row()) : 0;

    rows.sort(column, order);

    QItemSelection kept;
    int runStart = -1;
    int currentRow = -1;
    for (int row = 0; row <= rows.Count(); ++row) {
        const bool inRun =
            row < rows.Count() && selected[static_cast<std::size_t>(rows.Position(row))];
        if (row < rows.Count() && rows.Position(row) == currentPosition)
            currentRow = row;
        if (inRun && runStart < 0)
            runStart = row;
        if (!inRun && runStart >= 0) {
            kept.append(QItemSelectionRange(rows.RowIndex(runStart), rows.RowIndex(row - 1)));
            runStart = -1;
        }
    }
    if (currentRow >= 0)
        selection.setCurrentIndex(rows.RowIndex(currentRow), QItemSelectionModel::NoUpdate);
    if (!kept.isEmpty())
        selection.select(kept, QItemSelectionModel::Select);
    if (currentRow >= 0)
        list.scrollTo(rows.RowIndex(currentRow));
}

} // namespace

void FilesHdSectionClick(QHeaderView &header, QAbstractItemView &list, TRowListModel &rows,
                         int section) {
    const Qt::SortOrder order =
        rows.SortColumn() == section && rows.SortOrder() == Qt::AscendingOrder ? Qt::DescendingOrder
                                                                               : Qt::AscendingOrder;
    SortKeepingSelection(list, rows, section, order);
    header.setSortIndicatorShown(true);
    header.setSortIndicator(section, order);
}

void ResetFilesLbSort(QHeaderView &header, TRowListModel &rows) {
    header.setSortIndicatorShown(false);
    header.setSortIndicator(-1, Qt::AscendingOrder);
    if (rows.SortColumn() >= 0)
        rows.sort(-1);
}
