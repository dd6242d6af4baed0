#include "pkware.h"

#include "random_bytes.h"

namespace zipwrite {

zipformat::Status PkwareEncryptor::header(std::uint8_t checkByte,
                                          std::uint8_t out[zipformat::kCryptHeaderSize]) {
    if (zipformat::Status s = randomBytes(out, zipformat::kCryptHeaderSize - 1); s.failed())
        return s;
    out[zipformat::kCryptHeaderSize - 1] = checkByte;
    keys_.encrypt(out, zipformat::kCryptHeaderSize);
    return {};
}

} // namespace zipwrite
