// The rows of FilesLb: row texts kept sorted by text, ignoring case, the way
// a sorted list box inserts them.
#pragma once

#include <QAbstractListModel>
#include <QStringList>

class TRowListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    // Inserts at its sorted place; returns the row it went to.
    int AddRow(const QString &text);
    void Clear();
    const QString &RowText(int row) const { return rows_.at(row); }
    int Count() const { return static_cast<int>(rows_.size()); }

private:
    QStringList rows_;
};
