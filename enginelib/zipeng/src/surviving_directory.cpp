#include "surviving_directory.h"

#include "zipformat/records.h"

#include <algorithm>
#include <cstring>

namespace zipwrite {

namespace {
constexpr std::size_t kMaxRecords = std::size_t{1} << 20;
constexpr std::size_t kMaxNameBytes = std::size_t{64} << 20;
} // namespace

void SurvivingDirectory::scan(const zipformat::Source &src) {
    using zipformat::kCentralHeaderSize;
    using zipformat::le16;
    using zipformat::le32;
    byName_.clear();
    const std::uint64_t size = src.size();
    std::vector<std::uint8_t> buf(std::size_t{64} * 1024);
    std::uint8_t h[kCentralHeaderSize];
    // A hostile file made of signatures must not make the index outgrow
    // what a real directory could hold.
    std::size_t records = 0, nameBytes = 0;
    // Windows overlap by three bytes so that no signature is cut in two.
    for (std::uint64_t from = 0; from + 4 <= size;) {
        const std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>(buf.size(), size - from));
        if (!src.readAt(from, buf.data(), n))
            return;
        for (std::size_t i = 0; i + 4 <= n; ++i) {
            const void *p = std::memchr(buf.data() + i, 'P', n - 3 - i);
            if (p == nullptr)
                break;
            i = static_cast<std::size_t>(static_cast<const std::uint8_t *>(p) - buf.data());
            if (le32(buf.data() + i) != zipformat::kSigCentral)
                continue;
            const std::uint64_t at = from + i;
            if (size - at < kCentralHeaderSize || !src.readAt(at, h, sizeof h))
                continue;
            const std::uint16_t nameSize = le16(h + 28);
            if (size - at - kCentralHeaderSize < nameSize)
                continue;
            std::string name(nameSize, '\0');
            if (!src.readAt(at + kCentralHeaderSize, name.data(), nameSize))
                continue;
            Record r;
            r.localOffset = le32(h + 42);
            r.fields.madeBy = le16(h + 4);
            r.fields.flags = le16(h + 8);
            r.fields.internalAttr = le16(h + 36);
            r.fields.externalAttr = le32(h + 38);
            if (++records > kMaxRecords || (nameBytes += nameSize) > kMaxNameBytes)
                return;
            byName_[name].push_back(r);
        }
        if (n < buf.size())
            break;
        from += n - 3;
    }
}

bool SurvivingDirectory::find(const std::string &rawName, std::uint64_t headerPos,
                              SurvivingFields &out) const {
    const auto it = byName_.find(rawName);
    if (it == byName_.end())
        return false;
    for (const Record &r : it->second) {
        if (r.localOffset == headerPos) {
            out = r.fields;
            return true;
        }
    }
    if (it->second.size() != 1)
        return false;
    out = it->second.front().fields;
    return true;
}

} // namespace zipwrite
