#include "SkipReasonText.h"

#include "engine_contract.h"

QString SkipReasonText(std::uint8_t reason) {
    switch (reason) {
    case ENGINE_SKIP_NOT_FOUND:
        return QStringLiteral("file not found");
    case ENGINE_SKIP_UNKNOWN_METHOD:
        return QStringLiteral("unknown compression");
    case ENGINE_SKIP_BAD_CRC:
        return QStringLiteral("CRC does not check out");
    case ENGINE_SKIP_UP_TO_DATE:
        return QStringLiteral("file is already up to date");
    case ENGINE_SKIP_CANNOT_OPEN:
        return QStringLiteral("unable to open file");
    case ENGINE_SKIP_PASSWORD:
        return QStringLiteral("invalid or no password to decrypt file");
    case ENGINE_SKIP_CORRUPTED:
        return QStringLiteral("file's compressed data is corrupted");
    default:
        return {};
    }
}
