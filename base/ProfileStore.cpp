#include "ProfileStore.h"

#include "platform/PrivateProfile.h"

#include <cctype>
#include <limits>

TProfileWriteError::TProfileWriteError(const QString &fileName)
    : std::runtime_error((QStringLiteral("Unable to write to ") + fileName).toStdString()) {}

namespace {

bool ParseDigits(QStringView digits, int base, bool negative, int &value) {
    if (digits.isEmpty())
        return false;
    for (const QChar c : digits) {
        if (c.unicode() > 127 || (base == 16 ? !isxdigit(c.unicode()) : !isdigit(c.unicode())))
            return false;
    }
    bool ok = false;
    const qlonglong magnitude = digits.toLongLong(&ok, base);
    if (!ok)
        return false;
    const qlonglong signedValue = negative ? -magnitude : magnitude;
    // Hexadecimal texts name the 32-bit pattern, so 0xFFFFFFFF is -1.
    if (base == 16 && !negative && magnitude <= 0xFFFFFFFFLL) {
        value = static_cast<int>(static_cast<quint32>(magnitude));
        return true;
    }
    if (signedValue < std::numeric_limits<int>::min() ||
        signedValue > std::numeric_limits<int>::max())
        return false;
    value = static_cast<int>(signedValue);
    return true;
}

} // namespace

int ParseProfileInteger(const QString &text, int defaultValue) {
    int value = 0;
    if (text.size() > 2 && text.at(0) == QLatin1Char('0') &&
        (text.at(1) == QLatin1Char('x') || text.at(1) == QLatin1Char('X')))
        return ParseDigits(QStringView(text).mid(2), 16, false, value) ? value : defaultValue;
    QStringView rest(text);
    bool negative = false;
    if (!rest.isEmpty() && (rest.front() == QLatin1Char('-') || rest.front() == QLatin1Char('+'))) {
        negative = rest.front() == QLatin1Char('-');
        rest = rest.mid(1);
    }
    if (!rest.isEmpty() && rest.front() == QLatin1Char('$'))
        return ParseDigits(rest.mid(1), 16, negative, value) ? value : defaultValue;
    return ParseDigits(rest, 10, negative, value) ? value : defaultValue;
}

QString TProfileStore::ReadString(const QString &section, const QString &key,
                                  const QString &defaultValue) const {
    return platform::GetPrivateProfileString(section, key, defaultValue, fileName_);
}

int TProfileStore::ReadInteger(const QString &section, const QString &key, int defaultValue) const {
    return ParseProfileInteger(ReadString(section, key, QString()), defaultValue);
}

bool TProfileStore::ReadFlag(const QString &section, const QString &key, bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TProfileStore::WriteString(const QString &section, const QString &key, const QString &value) {
    // A null value would remove the key; an empty text is what is meant.
    const QString text = value.isNull() ? QStringLiteral("") : value;
    // The profile layer writes the file with mode 0600 each time.
    if (!platform::WritePrivateProfileString(section, key, text, fileName_))
        throw TProfileWriteError(fileName_);
}

void TProfileStore::WriteInteger(const QString &section, const QString &key, int value) {
    WriteString(section, key, QString::number(value));
}

void TProfileStore::WriteFlag(const QString &section, const QString &key, bool value) {
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}
