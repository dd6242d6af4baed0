#include "MethodText.h"

#include "engine_contract.h"

namespace cli {
namespace {

struct MethodName {
    std::int32_t method;
    const char *name;
};

// Reduced 1 to 4 (methods 2 to 5) are worded apart.
constexpr MethodName kMethodNames[] = {
    {-1, "Unknown"}, {0, "Stored"},    {1, "Shrunk"}, {6, "Imploded"},
    {8, "Deflate"},  {9, "Deflate64"}, {12, "BZip2"}, {14, "LZMA"},
    {93, "Zstd"},    {95, "XZ"},       {98, "PPMd"},
};

QString compressionName(std::int32_t method) {
    if (method >= 2 && method <= 5)
        return QStringLiteral("Reduced%1").arg(method - 1);
    for (const MethodName &known : kMethodNames)
        if (known.method == method)
            return QString::fromLatin1(known.name);
    return QStringLiteral("Method %1").arg(method);
}

} // namespace

QString methodText(std::uint8_t packed, bool encrypted) {
    const QString name = compressionName(engine_packed_compression(packed));
    if (const std::uint32_t bits = engine_packed_aes_bits(packed))
        return QStringLiteral("AES-%1 + %2").arg(bits).arg(name);
    return encrypted ? QStringLiteral("ZipCrypto + ") + name : name;
}

} // namespace cli
