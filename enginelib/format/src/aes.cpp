#include "zipformat/aes.h"
#include "extra.h"

namespace zipformat {

bool findAesField(std::string_view extra, AesField &out) noexcept {
    bool found = false;
    detail::forEachExtra(extra, [&](std::uint16_t tag, std::string_view data) {
        if (tag != kExtraAes || found || data.size() < 7)
            return;
        const auto *p = reinterpret_cast<const std::uint8_t *>(data.data());
        if (p[2] != 'A' || p[3] != 'E' || p[4] < 1 || p[4] > 3)
            return;
        out.version = le16(p);
        out.strength = p[4];
        out.method = le16(p + 5);
        found = true;
    });
    return found;
}

} // namespace zipformat
