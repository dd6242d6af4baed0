// Draws one row of FilesLb in seven cells following FilesHd's sections.
#pragma once

#include <QStyledItemDelegate>

class QFontMetrics;
class QHeaderView;

class TFilesLbDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int RowHeight = 16;

    TFilesLbDelegate(QHeaderView *header, QObject *parent);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // What a right-aligned cell shows of `text` within `room` pixels: the
    // text, or when it does not fit its start with an ellipsis, never a cut
    // that reads as another number.
    static QString FitCellText(const QString &text, int room, const QFontMetrics &metrics);

private:
    QHeaderView *header_;
};
