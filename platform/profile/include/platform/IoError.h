#pragma once

#include <QString>

#include <stdexcept>

// Input/output failures worded the way the program reports them: a small set of
// designed error numbers with fixed texts, anything else as "I/O error %d".
namespace platform {

inline constexpr int kIoFileNotFound = 2;
inline constexpr int kIoInvalidFilename = 3;
inline constexpr int kIoTooManyOpenFiles = 4;
inline constexpr int kIoAccessDenied = 5;
inline constexpr int kIoReadBeyondEnd = 100;
inline constexpr int kIoDiskFull = 101;
inline constexpr int kIoInvalidNumericInput = 106;

struct IoErrorText {
    int number;      // designed number, or the errno itself when it has none
    QString message; // e.g. "File not found", "I/O error 61"
};

// Maps a Linux errno to the designed number and its text.
IoErrorText IoErrorFromErrno(int errnoValue);

// Text of a designed number: "File not found" for 2 ... "I/O error %d" otherwise.
QString IoErrorMessage(int number);

// An input/output failure that no command handles; the application's general
// error report shows what() followed by a full stop.
class IoError : public std::runtime_error {
public:
    explicit IoError(const IoErrorText &error);
    static IoError fromErrno(int errnoValue);
    int number() const { return number_; }
    QString message() const { return QString::fromUtf8(what()); }

private:
    int number_;
};

} // namespace platform
