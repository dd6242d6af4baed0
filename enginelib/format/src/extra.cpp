#include "extra.h"

#include "zipformat/crc32.h"

namespace zipformat::detail {
namespace {

const std::uint8_t *bytes(std::string_view s) {
    return reinterpret_cast<const std::uint8_t *>(s.data());
}

// FILETIME (100 ns ticks since 1601) to Unix seconds.
std::time_t fromFiletime(std::uint64_t ft) {
    constexpr std::uint64_t kTicksPerSecond = 10000000u;
    constexpr std::int64_t kEpochDelta = 11644473600;
    return static_cast<std::time_t>(static_cast<std::int64_t>(ft / kTicksPerSecond) - kEpochDelta);
}

} // namespace

bool applyZip64(std::string_view extra, const Zip64Fields &fields, bool &used) noexcept {
    used = false;
    bool ok = true;
    bool found = false;
    forEachExtra(extra, [&](std::uint16_t tag, std::string_view data) {
        if (tag != kExtraZip64 || found)
            return;
        found = true;
        const std::uint8_t *p = bytes(data);
        std::size_t left = data.size();
        auto take64 = [&](std::uint64_t *field) {
            if (field == nullptr || *field != 0xffffffffu)
                return;
            if (left < 8) {
                ok = false;
                return;
            }
            *field = le64(p);
            p += 8;
            left -= 8;
            used = true;
        };
        take64(fields.uncompressed);
        take64(fields.compressed);
        take64(fields.offset);
        if (fields.disk != nullptr && *fields.disk == 0xffffu) {
            if (left < 4) {
                ok = false;
                return;
            }
            *fields.disk = le32(p);
            used = true;
        }
    });
    return ok;
}

ExtraTimes parseTimes(std::string_view extra) noexcept {
    ExtraTimes ut, ntfs, ux;
    forEachExtra(extra, [&](std::uint16_t tag, std::string_view data) {
        const std::uint8_t *p = bytes(data);
        if (tag == kExtraUnixTime && data.size() >= 1) {
            std::uint8_t flags = p[0];
            std::size_t at = 1;
            if ((flags & 1) && data.size() >= at + 4) {
                ut.mtime = static_cast<std::int32_t>(le32(p + at));
                ut.hasMtime = true;
                at += 4;
            }
            if ((flags & 2) && data.size() >= at + 4) {
                ut.atime = static_cast<std::int32_t>(le32(p + at));
                ut.hasAtime = true;
            }
        } else if (tag == kExtraNtfs && data.size() >= 4) {
            std::size_t at = 4; // reserved
            while (data.size() - at >= 4) {
                std::uint16_t attrTag = le16(p + at);
                std::uint16_t attrSize = le16(p + at + 2);
                at += 4;
                if (attrSize > data.size() - at)
                    break;
                if (attrTag == 1 && attrSize >= 24) {
                    ntfs.mtime = fromFiletime(le64(p + at));
                    ntfs.atime = fromFiletime(le64(p + at + 8));
                    ntfs.hasMtime = ntfs.hasAtime = true;
                }
                at += attrSize;
            }
        } else if (tag == kExtraUnix1 && data.size() >= 8) {
            ux.atime = static_cast<std::int32_t>(le32(p));
            ux.mtime = static_cast<std::int32_t>(le32(p + 4));
            ux.hasAtime = ux.hasMtime = true;
        }
    });
    ExtraTimes out = ut.hasMtime ? ut : ntfs.hasMtime ? ntfs : ux;
    if (!out.hasAtime) {
        if (ntfs.hasAtime) {
            out.atime = ntfs.atime;
            out.hasAtime = true;
        } else if (ux.hasAtime) {
            out.atime = ux.atime;
            out.hasAtime = true;
        }
    }
    return out;
}

std::string_view unicodePath(std::string_view extra, std::string_view rawName) noexcept {
    std::string_view result;
    forEachExtra(extra, [&](std::uint16_t tag, std::string_view data) {
        if (tag != kExtraUnicodePath || data.size() < 5 || !result.empty())
            return;
        const std::uint8_t *p = bytes(data);
        if (p[0] != 1)
            return;
        if (le32(p + 1) != crc32(0, rawName.data(), rawName.size()))
            return; // the name was changed after the field was written
        result = data.substr(5);
    });
    return result;
}

} // namespace zipformat::detail
