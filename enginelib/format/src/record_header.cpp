#include "record_header.h"

namespace zipformat::detail {

bool readRecordHeader(Cursor &c, HeaderKind kind, RecordHeader &out) noexcept {
    const bool central = kind == HeaderKind::Central;
    if (c.u32() != (central ? kSigCentral : kSigLocal))
        return false;
    out = RecordHeader{};
    if (central)
        out.versionMadeBy = c.u16();
    out.versionNeeded = c.u16();
    out.flags = c.u16();
    out.method = c.u16();
    const std::uint16_t time = c.u16();
    const std::uint16_t date = c.u16();
    out.dosTime = (static_cast<std::uint32_t>(date) << 16) | time;
    out.crc = c.u32();
    out.compressedSize = c.u32();
    out.uncompressedSize = c.u32();
    out.nameSize = c.u16();
    out.extraSize = c.u16();
    if (central) {
        out.commentSize = c.u16();
        out.diskStart = c.u16();
        out.internalAttributes = c.u16();
        out.externalAttributes = c.u32();
        out.localHeaderOffset = c.u32();
    }
    return c.ok();
}

} // namespace zipformat::detail
