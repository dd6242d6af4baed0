#include "RecentList.h"

#include "ProfileStore.h"

namespace {

const QString OpenedFiles = QStringLiteral("OpenedFiles");

QString Key(int number) {
    return QStringLiteral("MRU") + QString::number(number);
}

} // namespace

QString RecentDisplayText(const QString &path) {
    if (path.size() <= 30)
        return path;
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString tail = (QStringLiteral("... /") + path.mid(slash + 1)).left(40);
    QString head;
    if (slash == 0)
        head = QStringLiteral("/");
    else if (slash > 0)
        head = path.left(slash);
    while (!head.isEmpty() && !head.endsWith(QLatin1Char('/')))
        head.chop(1);
    return head.left(20) + tail;
}

int RecentCaptionNumber(const QString &caption) {
    if (caption.size() < 2)
        return 0;
    return caption.at(1).digitValue();
}

QString TRecentList::Entry(int number) const {
    return store_.ReadString(OpenedFiles, Key(number), QString()).left(255);
}

bool TRecentList::Push(const QString &path) {
    const QString first = Entry(1);
    if (!first.isEmpty() && RecentDisplayText(first) == RecentDisplayText(path))
        return false;
    for (int number = Capacity; number > 1; --number)
        store_.WriteString(OpenedFiles, Key(number), Entry(number - 1));
    store_.WriteString(OpenedFiles, Key(1), path);
    return true;
}
