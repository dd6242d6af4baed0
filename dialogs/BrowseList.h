// What the archive browser lists: one row per archive of a folder with its
// comment, and how a row is drawn.
#pragma once

#include <QString>
#include <QStyledItemDelegate>

#include <functional>
#include <vector>

class QHeaderView;

namespace browse {

// Each row keeps the archive's path apart from its comment, so a folder name
// with a comma in it still opens the right file.
constexpr int PathRole = Qt::UserRole;
constexpr int CommentRole = Qt::UserRole + 1;

struct Archive {
    QString path;
    QString comment; // at most 255 characters
};

// The folder's entries whose names end in ".zip" in any letter case, folders
// and hidden entries included, each with the comment `readComment` gives for
// its path. Sorted as the list shows them: by path and comment, ignoring case.
std::vector<Archive> ScanFolder(const QString &folder,
                                const std::function<QString(const QString &path)> &readComment);

// The comment as one row shows it: its first line, other control characters
// as blanks.
QString FirstLine(const QString &comment);

// Paints a row in two columns that follow the header's sections 0 and 1.
class ArchiveRowDelegate : public QStyledItemDelegate {
public:
    ArchiveRowDelegate(QHeaderView *header, QObject *parent);
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    static constexpr int RowHeight = 16;

private:
    QHeaderView *header_;
};

} // namespace browse
