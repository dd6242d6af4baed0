#include "zipformat/status.h"

#include <cerrno>

namespace zipformat {

Status statusOf(Error e) noexcept {
    switch (e) {
    case Error::Ok:
        return Status();
    case Error::NotFound:
        return Status(ENGINE_ARCHIVE_NOT_FOUND);
    case Error::NotAccessible:
        return Status(ENGINE_NOT_ACCESSIBLE);
    case Error::Multidisk:
        return Status(ENGINE_SPANNED);
    case Error::NoMemory:
        return Status(ENGINE_NO_MEMORY);
    case Error::DiskFull:
        return Status(ENGINE_DISK_FULL);
    case Error::Aborted:
        return Status(ENGINE_ABORTED);
    default:
        return Status(ENGINE_BAD_ARCHIVE);
    }
}

Status writeFailure(int err, std::int32_t otherwise) noexcept {
    if (err == ENOSPC || err == EDQUOT || err == EFBIG)
        return Status(ENGINE_DISK_FULL, err);
    return Status(otherwise, err);
}

} // namespace zipformat
