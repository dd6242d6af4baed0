#include "results.h"

namespace zipread {

using zipformat::Error;

std::int32_t openResult(Error e) noexcept {
    switch (e) {
    case Error::Ok:
        return ENGINE_OK;
    case Error::NotFound:
        return ENGINE_ARCHIVE_NOT_FOUND;
    case Error::NotAccessible:
        return ENGINE_NOT_ACCESSIBLE;
    case Error::Multidisk:
        return ENGINE_SPANNED;
    case Error::Aborted:
        return ENGINE_ABORTED;
    case Error::NoMemory:
        return ENGINE_NO_MEMORY;
    default:
        return ENGINE_BAD_ARCHIVE;
    }
}

std::uint8_t skipReason(Error e, bool traditionalCrypto) noexcept {
    switch (e) {
    case Error::UnsupportedMethod:
    case Error::UnsupportedCrypto:
        return ENGINE_SKIP_UNKNOWN_METHOD;
    case Error::NeedPassword:
    case Error::BadPassword:
        return ENGINE_SKIP_PASSWORD;
    case Error::BadCrc:
        return traditionalCrypto ? ENGINE_SKIP_PASSWORD : ENGINE_SKIP_BAD_CRC;
    case Error::AuthFailed:
        return ENGINE_SKIP_BAD_CRC;
    case Error::Corrupted:
        return traditionalCrypto ? ENGINE_SKIP_PASSWORD : ENGINE_SKIP_CORRUPTED;
    case Error::WriteFailed:
    case Error::NotAccessible:
    case Error::NotFound:
        return ENGINE_SKIP_CANNOT_OPEN;
    default:
        return ENGINE_SKIP_CORRUPTED;
    }
}

} // namespace zipread
