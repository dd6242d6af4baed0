#include "RowListModel.h"

#include <algorithm>

int TRowListModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : Count();
}

QVariant TRowListModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= Count())
        return QVariant();
    if (role == Qt::DisplayRole)
        return rows_.at(index.row());
    return QVariant();
}

int TRowListModel::AddRow(const QString &text) {
    // After equal rows, so rows that differ only in case keep engine order.
    const auto place =
        std::upper_bound(rows_.begin(), rows_.end(), text, [](const QString &a, const QString &b) {
            return a.compare(b, Qt::CaseInsensitive) < 0;
        });
    const int row = static_cast<int>(place - rows_.begin());
    beginInsertRows(QModelIndex(), row, row);
    rows_.insert(row, text);
    endInsertRows();
    return row;
}

void TRowListModel::Clear() {
    beginResetModel();
    rows_.clear();
    endResetModel();
}
