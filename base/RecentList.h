// The four most recently used archives, kept as MRU1 (newest) to MRU4 in
// section [OpenedFiles] and written the moment the list changes.
#pragma once

#include <QString>
#include <QStringList>

class TProfileStore;

// The text a recent-archive menu item shows for a path: unchanged up to 30
// characters, else a head of its folder and "... /" with its file name.
QString RecentDisplayText(const QString &path);

// The key number that a recent item's caption "&k ..." names.
int RecentCaptionNumber(const QString &caption);

class TRecentList {
public:
    static constexpr int Capacity = 4;

    explicit TRecentList(TProfileStore &store) : store_(store) {}

    // The value of MRU<number>, cut to 255 characters; empty when missing.
    QString Entry(int number) const;

    // Puts path at the head; returns false when entry 1 already shows the
    // same display text and so nothing changed. Throws on a failed write.
    bool Push(const QString &path);

private:
    TProfileStore &store_;
};
