#include "zipformat/wipe.h"

#include <cstring>

namespace zipformat {

void wipe(void *data, std::size_t size) noexcept {
    if (data != nullptr && size > 0)
        ::explicit_bzero(data, size);
}

void wipe(std::string &text) noexcept {
    wipe(text.data(), text.capacity());
    text.clear();
}

} // namespace zipformat
