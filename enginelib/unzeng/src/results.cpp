#include "results.h"

namespace zipread {

using zipformat::Error;

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
