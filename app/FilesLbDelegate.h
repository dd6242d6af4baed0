// Draws one row of FilesLb in seven cells following FilesHd's sections.
#pragma once

#include <QStyledItemDelegate>

class QHeaderView;

class TFilesLbDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int RowHeight = 16;

    TFilesLbDelegate(QHeaderView *header, QObject *parent);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    QHeaderView *header_;
};
