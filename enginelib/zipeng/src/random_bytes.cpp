#include "random_bytes.h"

#include "engine_contract.h"

#include <cerrno>
#include <sys/random.h>

namespace zipwrite {

zipformat::Status randomBytes(std::uint8_t *out, std::size_t n) {
    std::size_t got = 0;
    while (got < n) {
        const ssize_t r = getrandom(out + got, n - got, 0);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return zipformat::Status(ENGINE_NO_MEMORY);
        }
        got += static_cast<std::size_t>(r);
    }
    return {};
}

} // namespace zipwrite
