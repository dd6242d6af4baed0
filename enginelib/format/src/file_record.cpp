#include "zipformat/file_record.h"

namespace zipformat {
namespace {

std::int32_t low32(std::uint64_t v) noexcept {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
}

std::int32_t high32(std::uint64_t v) noexcept {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(v >> 32));
}

} // namespace

std::uint8_t savedPercent(std::uint64_t size, std::uint64_t packed) noexcept {
    if (size == 0 || packed >= size)
        return 0;
    // Rounded, computed without overflow for any 64-bit size.
    const long double saved =
        static_cast<long double>(size - packed) * 100.0L / static_cast<long double>(size);
    const auto rounded = static_cast<unsigned>(saved + 0.5L);
    return static_cast<std::uint8_t>(rounded > 100 ? 100 : rounded);
}

void putRecordSizes(EngineFileRecord &rec, std::uint64_t size, std::uint64_t packed) noexcept {
    rec.Size = low32(size);
    rec.EngineValue1 = high32(size);
    rec.CompressedSize = low32(packed);
    rec.EngineValue2 = high32(packed);
    rec.Ratio = savedPercent(size, packed);
}

} // namespace zipformat
