#include "FilesLbDelegate.h"

#include "RowGeometry.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QPainter>
#include <QStyle>

TFilesLbDelegate::TFilesLbDelegate(QHeaderView *header, QObject *parent)
    : QStyledItemDelegate(parent), header_(header) {}

QSize TFilesLbDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const {
    // The list stretches rows to its width; only the height matters.
    return QSize(1, RowHeight);
}

QString TFilesLbDelegate::FitCellText(const QString &text, int room, const QFontMetrics &metrics) {
    if (metrics.horizontalAdvance(text) <= room)
        return text;
    return metrics.elidedText(text, Qt::ElideRight, std::max(room, 0));
}

void TFilesLbDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                             const QModelIndex &index) const {
    const bool selected = option.state & QStyle::State_Selected;
    const bool enabled = option.state & QStyle::State_Enabled;
    const QPalette &palette = option.palette;
    const QColor background = selected ? palette.color(QPalette::Active, QPalette::Highlight)
                                       : palette.color(QPalette::Base);
    QColor foreground = selected ? palette.color(QPalette::Active, QPalette::HighlightedText)
                                 : palette.color(QPalette::Text);
    // A busy window disables the list; every row, selected or not, turns grey.
    if (!enabled)
        foreground = palette.color(QPalette::Disabled, QPalette::WindowText);

    std::array<QString, ColumnCount> fields;
    for (int k = 0; k < ColumnCount; ++k)
        fields[k] = index.siblingAtColumn(k).data(Qt::DisplayRole).toString();

    const QFontMetrics metrics(option.font);
    std::array<int, ColumnCount> textWidths{};
    TColumnWidths widths{};
    for (int k = 0; k < ColumnCount; ++k) {
        widths[k] = header_->sectionSize(k);
        // Date, Time, Size and Packed end 2 pixels from their cell's right.
        if (k >= 1 && k <= 4)
            fields[k] = FitCellText(fields[k], widths[k] - 2, metrics);
        textWidths[k] = metrics.horizontalAdvance(fields[k]);
    }
    const QRect row = option.rect;
    const TRowPlacement cells = PlaceRowCells(row.left(), row.right() + 1, widths, textWidths);

    painter->save();
    painter->setFont(option.font);
    painter->setPen(foreground);
    for (int k = 0; k < ColumnCount; ++k) {
        const QRect cell(cells[k].Left, row.top(), cells[k].Right - cells[k].Left, row.height());
        if (cell.width() <= 0)
            continue;
        // Each cell clips to itself before anything is painted: the clip of
        // the cell before must not swallow this one's background.
        painter->setClipRect(cell);
        painter->fillRect(cell, background);
        painter->drawText(QRect(cells[k].TextX, row.top(), textWidths[k] + 1, row.height()),
                          Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, fields[k]);
    }
    painter->setClipping(false);
    if (option.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        focus.rect = row;
        focus.backgroundColor = background;
        QStyle *style = option.widget ? option.widget->style() : QApplication::style();
        style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, option.widget);
    }
    painter->restore();
}
