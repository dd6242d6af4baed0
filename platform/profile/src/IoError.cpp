#include "platform/IoError.h"

#include <cerrno>

namespace platform {

namespace {

// A designed number, its text and the system's errors reported as it (0
// ends the list).
struct DesignedError {
    int number;
    const char *text;
    int errnos[3];
};

constexpr DesignedError kDesignedErrors[] = {
    {kIoFileNotFound, "File not found", {ENOENT}},
    {kIoInvalidFilename, "Invalid filename", {ENOTDIR, ENAMETOOLONG, EINVAL}},
    {kIoTooManyOpenFiles, "Too many open files", {EMFILE, ENFILE}},
    {kIoAccessDenied, "File access denied", {EACCES, EPERM, EROFS}},
    {kIoReadBeyondEnd, "Read beyond end of file", {}},
    {kIoDiskFull, "Disk full", {ENOSPC}},
    {kIoInvalidNumericInput, "Invalid numeric input", {}},
};

} // namespace

QString IoErrorMessage(int number) {
    for (const DesignedError &designed : kDesignedErrors)
        if (designed.number == number)
            return QString::fromLatin1(designed.text);
    return QStringLiteral("I/O error %1").arg(number);
}

IoErrorText IoErrorFromErrno(int errnoValue) {
    for (const DesignedError &designed : kDesignedErrors)
        for (int e : designed.errnos)
            if (e != 0 && e == errnoValue)
                return {designed.number, QString::fromLatin1(designed.text)};
    // errno values collide with the designed numbers (EIO is 5), so an
    // unmapped one is worded by itself rather than looked up.
    return {errnoValue, QStringLiteral("I/O error %1").arg(errnoValue)};
}

IoError::IoError(const IoErrorText &error)
    : std::runtime_error(error.message.toStdString()), number_(error.number) {}

IoError IoError::fromErrno(int errnoValue) {
    return IoError(IoErrorFromErrno(errnoValue));
}

} // namespace platform
