#include "platform/IoError.h"

#include <cerrno>

namespace platform {

QString IoErrorMessage(int number) {
    switch (number) {
    case kIoFileNotFound:
        return QStringLiteral("File not found");
    case kIoInvalidFilename:
        return QStringLiteral("Invalid filename");
    case kIoTooManyOpenFiles:
        return QStringLiteral("Too many open files");
    case kIoAccessDenied:
        return QStringLiteral("File access denied");
    case kIoReadBeyondEnd:
        return QStringLiteral("Read beyond end of file");
    case kIoDiskFull:
        return QStringLiteral("Disk full");
    case kIoInvalidNumericInput:
        return QStringLiteral("Invalid numeric input");
    default:
        return QStringLiteral("I/O error %1").arg(number);
    }
}

IoErrorText IoErrorFromErrno(int errnoValue) {
    int number = 0;
    switch (errnoValue) {
    case ENOENT:
        number = kIoFileNotFound;
        break;
    case ENOTDIR:
    case ENAMETOOLONG:
    case EINVAL:
        number = kIoInvalidFilename;
        break;
    case EMFILE:
    case ENFILE:
        number = kIoTooManyOpenFiles;
        break;
    case EACCES:
    case EPERM:
    case EROFS:
        number = kIoAccessDenied;
        break;
    case ENOSPC:
        number = kIoDiskFull;
        break;
    default:
        // errno values collide with the designed numbers (EIO is 5), so an
        // unmapped one is worded by itself rather than looked up.
        return {errnoValue, QStringLiteral("I/O error %1").arg(errnoValue)};
    }
    return {number, IoErrorMessage(number)};
}

IoError::IoError(const IoErrorText &error)
    : std::runtime_error(error.message.toStdString()), number_(error.number) {}

IoError IoError::fromErrno(int errnoValue) {
    return IoError(IoErrorFromErrno(errnoValue));
}

} // namespace platform
