// What the archive information window shows about the open archive,
// gathered through the engine component: the file's size and time, the
// number of entries, their sizes summed, and the archive comment.
// tarnwick-cli prints the same figures.
#pragma once

#include <QDateTime>
#include <QString>

#include <cstdint>

class TZipEngine;

struct TArchiveFigures {
    QString FileName;
    // errno of a failed attempt to read the file's size or time, else 0.
    int FileError = 0;
    std::int64_t FileSize = 0;
    // Local time, in the two-second steps of a DOS date and time.
    QDateTime FileDateTime;
    std::int32_t Entries = 0;
    // 64-bit sums: an archive may hold more than 2 GiB, or one entry over 4 GiB.
    std::int64_t TotalSize = 0;
    std::int64_t TotalPacked = 0;
    QString Comment;

    // Space saved in percent, 100 - 100 * packed / size; 0 when there is
    // nothing unpacked to compare with. Negative when packing added bytes.
    double Saving() const;

    // In the window's order: size, count, time, one query per entry, comment.
    static TArchiveFigures Gather(TZipEngine &zip);
};

// A file time as a DOS date and time holds it: seconds rounded down to even.
QDateTime DosStepTime(const QDateTime &time);
