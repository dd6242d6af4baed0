#include "entry_cipher.h"

#include "aes_writer.h"
#include "pkware.h"

namespace zipwrite {

static_assert(zipformat::kAesMacSize <= kCipherTrailerMax);

zipformat::Status startEntryCipher(const Options &opt, std::uint8_t checkByte,
                                   std::unique_ptr<EntryCipher> &out) {
    if (opt.aesStrength != 0) {
        auto aes = std::make_unique<AesEncryptor>();
        if (zipformat::Status s = aes->start(opt.password, opt.aesStrength); s.failed())
            return s;
        out = std::move(aes);
        return {};
    }
    auto pkware = std::make_unique<PkwareEncryptor>(opt.password);
    if (zipformat::Status s = pkware->start(checkByte); s.failed())
        return s;
    out = std::move(pkware);
    return {};
}

std::uint64_t cipherHeaderSize(const Options &opt) {
    if (!opt.encrypt)
        return 0;
    return opt.aesStrength != 0 ? aesHeaderSize(opt.aesStrength) : zipformat::kCryptHeaderSize;
}

std::uint64_t cipherOverhead(const Options &opt) {
    if (!opt.encrypt)
        return 0;
    return opt.aesStrength != 0 ? aesOverhead(opt.aesStrength) : zipformat::kCryptHeaderSize;
}

} // namespace zipwrite
