// The program's INI file TARNWICK.INI through the private-profile functions,
// with the value encodings every reader and writer shares.
#pragma once

#include <QString>

#include <stdexcept>

// Raised when the system refuses a write: "Unable to write to TARNWICK.INI".
class TProfileWriteError : public std::runtime_error {
public:
    explicit TProfileWriteError(const QString &fileName);
    QString Message() const { return QString::fromUtf8(what()); }
};

// Integer encoding: "0x"/"0X" followed by hex digits (text longer than two
// characters), "$" followed by hex digits, or a decimal number; anything else
// gives defaultValue.
int ParseProfileInteger(const QString &text, int defaultValue);

class TProfileStore {
public:
    static constexpr const char *DefaultFileName = "TARNWICK.INI";

    explicit TProfileStore(QString fileName = QString::fromLatin1(DefaultFileName))
        : fileName_(std::move(fileName)) {}

    const QString &FileName() const { return fileName_; }

    QString ReadString(const QString &section, const QString &key,
                       const QString &defaultValue) const;
    int ReadInteger(const QString &section, const QString &key, int defaultValue) const;
    bool ReadFlag(const QString &section, const QString &key, bool defaultValue) const;

    // Each write goes to the file at once; the file stays readable by its
    // owner only, since it holds the password in plain text.
    void WriteString(const QString &section, const QString &key, const QString &value);
    void WriteInteger(const QString &section, const QString &key, int value);
    void WriteFlag(const QString &section, const QString &key, bool value);

private:
    QString fileName_;
};
