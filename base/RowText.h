// The row text of the contents list: one archive entry as six tab-separated
// fields (stored name, date, time, size, packed size, ratio with "%"), and
// the totals text that sums up a listing.
#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

#include <cstdint>

// The next field of a row text from a 1-based position, which the call
// advances; position 0 means there are no more fields.
QString NextTabField(const QString &text, int &position);

// The parts of a stored name: the file name after the last "/" and the
// folder before it (without its final "/" unless the folder is the root).
QString StoredNameFilePart(const QString &storedName);
QString StoredNameFolderPart(const QString &storedName);

// The locale used for every number, date and time the window shows: the
// system's, always with group separators.
QLocale DisplayLocale();

// A byte count with thousands separators and no decimals.
QString FormatByteCount(std::int64_t bytes, const QLocale &locale);

// The six fields of one entry's row from the parts the contents list keeps;
// the date and time in the system's short date and long time formats (the C
// library's locale formats), an invalid date and time leave both empty.
QString BuildRowText(QStringView storedName, const QDate &date, const QTime &time,
                     std::int64_t size, std::int64_t packed, int ratio, const QLocale &locale);

// "<rows> Entries, <size> Bytes, <packed> Bytes."
QString TotalsText(int rows, std::int64_t totalSize, std::int64_t totalPacked,
                   const QLocale &locale);
