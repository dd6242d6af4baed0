#include "MethodText.h"

#include "engine_contract.h"

namespace cli {
namespace {

QString compressionName(std::int32_t method) {
    switch (method) {
    case -1:
        return QStringLiteral("Unknown");
    case 0:
        return QStringLiteral("Stored");
    case 1:
        return QStringLiteral("Shrunk");
    case 2:
    case 3:
    case 4:
    case 5:
        return QStringLiteral("Reduced%1").arg(method - 1);
    case 6:
        return QStringLiteral("Imploded");
    case 8:
        return QStringLiteral("Deflate");
    case 9:
        return QStringLiteral("Deflate64");
    case 12:
        return QStringLiteral("BZip2");
    case 14:
        return QStringLiteral("LZMA");
    case 93:
        return QStringLiteral("Zstd");
    case 95:
        return QStringLiteral("XZ");
    case 98:
        return QStringLiteral("PPMd");
    default:
        return QStringLiteral("Method %1").arg(method);
    }
}

} // namespace

QString methodText(std::uint8_t packed, bool encrypted) {
    const QString name = compressionName(engine_packed_compression(packed));
    if (const std::uint32_t bits = engine_packed_aes_bits(packed))
        return QStringLiteral("AES-%1 + %2").arg(bits).arg(name);
    return encrypted ? QStringLiteral("ZipCrypto + ") + name : name;
}

} // namespace cli
