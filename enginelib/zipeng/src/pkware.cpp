#include "pkware.h"

#include "random_bytes.h"

namespace zipwrite {

zipformat::Status PkwareEncryptor::start(std::uint8_t checkByte) {
    if (zipformat::Status s = randomBytes(header_, zipformat::kCryptHeaderSize - 1); s.failed())
        return s;
    header_[zipformat::kCryptHeaderSize - 1] = checkByte;
    keys_.encrypt(header_, zipformat::kCryptHeaderSize);
    return {};
}

} // namespace zipwrite
