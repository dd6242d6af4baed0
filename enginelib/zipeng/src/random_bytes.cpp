#include "random_bytes.h"

#include "engine_contract.h"

#include <cerrno>
#include <sys/random.h>

namespace zipwrite {

Status randomBytes(uint8_t *out, size_t n) {
    size_t got = 0;
    while (got < n) {
        const ssize_t r = getrandom(out + got, n - got, 0);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return Status(ENGINE_NO_MEMORY);
        }
        got += static_cast<size_t>(r);
    }
    return {};
}

} // namespace zipwrite
