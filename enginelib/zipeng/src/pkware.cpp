#include "pkware.h"

#include "engine_contract.h"

#include <cerrno>
#include <sys/random.h>

namespace zipwrite {

Status PkwareEncryptor::header(uint8_t checkByte, uint8_t out[zipformat::kCryptHeaderSize]) {
    size_t got = 0;
    while (got < zipformat::kCryptHeaderSize - 1) {
        const ssize_t n = getrandom(out + got, zipformat::kCryptHeaderSize - 1 - got, 0);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Status(ENGINE_NO_MEMORY);
        }
        got += static_cast<size_t>(n);
    }
    out[zipformat::kCryptHeaderSize - 1] = checkByte;
    keys_.encrypt(out, zipformat::kCryptHeaderSize);
    return {};
}

} // namespace zipwrite
