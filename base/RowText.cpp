#include "RowText.h"

#include "platform/SystemDate.h"

QString NextTabField(const QString &text, int &position) {
    if (position < 1 || position > text.size()) {
        position = 0;
        return QString();
    }
    const qsizetype tab = text.indexOf(QLatin1Char('\t'), position - 1);
    if (tab >= 0) {
        const QString field = text.mid(position - 1, tab - (position - 1));
        position = static_cast<int>(tab) + 2;
        return field;
    }
    // The last field of a row is the ratio with its "%", never longer.
    const QString field = text.mid(position - 1, 4);
    position = 0;
    return field;
}

QString StoredNameFilePart(const QString &storedName) {
    return storedName.mid(storedName.lastIndexOf(QLatin1Char('/')) + 1);
}

QString StoredNameFolderPart(const QString &storedName) {
    const qsizetype slash = storedName.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return QString();
    if (slash == 0)
        return QStringLiteral("/");
    return storedName.left(slash);
}

QLocale DisplayLocale() {
    QLocale locale = QLocale::system();
    // The C locale omits group separators by default; the totals need them.
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale;
}

QString FormatByteCount(std::int64_t bytes, const QLocale &locale) {
    return locale.toString(static_cast<qlonglong>(bytes));
}

QString BuildRowText(QStringView storedName, const QDate &date, const QTime &time,
                     std::int64_t size, std::int64_t packed, int ratio, const QLocale &locale) {
    const QChar tab = QLatin1Char('\t');
    QString row;
    row.reserve(storedName.size() + 48);
    row += storedName;
    row += tab;
    const bool dated = date.isValid() && time.isValid();
    if (dated)
        row += platform::SystemShortDate(date);
    row += tab;
    if (dated)
        row += platform::SystemLongTime(time);
    row += tab;
    row += FormatByteCount(size, locale);
    row += tab;
    row += FormatByteCount(packed, locale);
    row += tab;
    row += QString::number(ratio);
    row += QLatin1Char('%');
    return row;
}

QString TotalsText(int rows, std::int64_t totalSize, std::int64_t totalPacked,
                   const QLocale &locale) {
    return QString::number(rows) + QStringLiteral(" Entries, ") +
           FormatByteCount(totalSize, locale) + QStringLiteral(" Bytes, ") +
           FormatByteCount(totalPacked, locale) + QStringLiteral(" Bytes.");
}
