#include "BrowseList.h"

#include <QDir>
#include <QHeaderView>
#include <QPainter>
#include <QRegularExpression>

#include <algorithm>

namespace browse {

namespace {

constexpr int CommentLimit = 255;

// The order of the list's own sorted mode over "path,comment".
bool ListOrder(const Archive &a, const Archive &b) {
    const QString left = a.path + u',' + a.comment;
    const QString right = b.path + u',' + b.comment;
    return left.compare(right, Qt::CaseInsensitive) < 0;
}

void DrawCell(QPainter *painter, const QRect &cell, const QString &text, const QColor &background,
              const QColor &foreground) {
    painter->save();
    painter->setClipRect(cell);
    painter->fillRect(cell, background);
    painter->setPen(foreground);
    painter->drawText(cell.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                      text);
    painter->restore();
}

} // namespace

std::vector<Archive> ScanFolder(const QString &folder,
                                const std::function<QString(const QString &path)> &readComment) {
    QDir dir(folder);
    // Picked by name, as opening every file of a folder to look would cost
    // too much; the other formats the engine reads are listed too.
    dir.setNameFilters({QStringLiteral("*.zip"), QStringLiteral("*.tar"), QStringLiteral("*.tgz"),
                        QStringLiteral("*.tar.*"), QStringLiteral("*.tbz2"),
                        QStringLiteral("*.txz"), QStringLiteral("*.tzst"), QStringLiteral("*.7z"),
                        QStringLiteral("*.rar"), QStringLiteral("*.iso"),
                        QStringLiteral("*.cpio")});
    dir.setFilter(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    dir.setSorting(QDir::Unsorted);
    const QString prefix = folder.endsWith(u'/') ? folder : folder + u'/';
    std::vector<Archive> archives;
    for (const QString &name : dir.entryList()) {
        const QString path = prefix + name;
        archives.push_back(Archive{path, readComment(path).left(CommentLimit)});
    }
    std::stable_sort(archives.begin(), archives.end(), ListOrder);
    return archives;
}

QString FirstLine(const QString &comment) {
    QString line = comment;
    const qsizetype end = line.indexOf(QRegularExpression(QStringLiteral("[\\r\\n]")));
    if (end >= 0)
        line.truncate(end);
    for (QChar &c : line) {
        if (c.category() == QChar::Other_Control)
            c = u' ';
    }
    return line;
}

ArchiveRowDelegate::ArchiveRowDelegate(QHeaderView *header, QObject *parent)
    : QStyledItemDelegate(parent), header_(header) {}

void ArchiveRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                               const QModelIndex &index) const {
    const bool enabled = option.state & QStyle::State_Enabled;
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette &palette = option.palette;
    QColor background = palette.color(QPalette::Base);
    QColor foreground = palette.color(QPalette::Text);
    if (selected) {
        background = palette.color(QPalette::Highlight);
        foreground = palette.color(QPalette::HighlightedText);
    } else if (!enabled) {
        foreground = palette.color(QPalette::Disabled, QPalette::Text);
    }
    const int first = header_->sectionSize(0);
    const int second = header_->sectionSize(1);
    const QRect row = option.rect;
    DrawCell(painter, QRect(row.left(), row.top(), first, row.height()),
             index.data(PathRole).toString(), background, foreground);
    DrawCell(painter, QRect(row.left() + first, row.top(), second, row.height()),
             FirstLine(index.data(CommentRole).toString()), background, foreground);
}

QSize ArchiveRowDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const {
    return QSize(header_->sectionSize(0) + header_->sectionSize(1), RowHeight);
}

} // namespace browse
