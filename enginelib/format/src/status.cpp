#include "zipformat/status.h"

#include <cerrno>

namespace zipformat {

namespace {

struct OwnResult {
    Error error;
    std::int32_t code;
};

// The errors that have a result of their own; any other means a damaged
// archive.
constexpr OwnResult kOwnResults[] = {
    {Error::Ok, ENGINE_OK},
    {Error::NotFound, ENGINE_ARCHIVE_NOT_FOUND},
    {Error::NotAccessible, ENGINE_NOT_ACCESSIBLE},
    {Error::Multidisk, ENGINE_SPANNED},
    {Error::NoMemory, ENGINE_NO_MEMORY},
    {Error::DiskFull, ENGINE_DISK_FULL},
    {Error::Aborted, ENGINE_ABORTED},
};

} // namespace

Status statusOf(Error e) noexcept {
    for (const OwnResult &own : kOwnResults)
        if (own.error == e)
            return Status(own.code);
    return Status(ENGINE_BAD_ARCHIVE);
}

Status writeFailure(int err, std::int32_t otherwise) noexcept {
    if (err == ENOSPC || err == EDQUOT || err == EFBIG)
        return Status(ENGINE_DISK_FULL, err);
    return Status(otherwise, err);
}

} // namespace zipformat
