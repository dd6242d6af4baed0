#include "zipformat/error.h"

namespace zipformat {

const char *errorText(Error e) noexcept {
    switch (e) {
    case Error::Ok:
        return "ok";
    case Error::NotFound:
        return "file not found";
    case Error::NotAccessible:
        return "file not accessible";
    case Error::NotZip:
        return "not a ZIP archive";
    case Error::BadDirectory:
        return "central directory damaged";
    case Error::Multidisk:
        return "part of a multi-disk archive";
    case Error::Overlap:
        return "overlapping entries";
    case Error::BadLocalHeader:
        return "local header damaged";
    case Error::UnsupportedMethod:
        return "unsupported compression method";
    case Error::UnsupportedCrypto:
        return "unsupported encryption";
    case Error::NeedPassword:
        return "password required";
    case Error::BadPassword:
        return "wrong password";
    case Error::Corrupted:
        return "compressed data corrupted";
    case Error::BadCrc:
        return "CRC mismatch";
    case Error::NoMemory:
        return "out of memory";
    case Error::WriteFailed:
        return "write failed";
    case Error::DiskFull:
        return "disk full";
    case Error::Aborted:
        return "aborted";
    case Error::AuthFailed:
        return "authentication code mismatch";
    }
    return "unknown error";
}

} // namespace zipformat
