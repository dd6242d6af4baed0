// Traditional PKWARE encryption of new entries: the format library's key
// schedule plus the 12-byte encryption header made from the system's random
// source.
#pragma once

#include "entry_cipher.h"
#include "zipformat/pkcrypt.h"
#include "zipformat/status.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace zipwrite {

class PkwareEncryptor final : public EntryCipher {
public:
    explicit PkwareEncryptor(const std::string &password) : keys_(password) {}

    // 11 random bytes and the check byte, encrypted, as the header. The
    // check byte is the high byte of the CRC, or of the DOS time when the
    // entry has a data descriptor (zipformat::cryptCheckByte says which).
    // ENGINE_NO_MEMORY when the random source fails.
    zipformat::Status start(std::uint8_t checkByte);

    const std::uint8_t *header() const override { return header_; }
    std::size_t headerSize() const override { return sizeof header_; }
    void encrypt(std::uint8_t *data, std::size_t n) override { keys_.encrypt(data, n); }
    std::size_t trailer(std::uint8_t[kCipherTrailerMax]) override { return 0; }

private:
    zipformat::PkKeys keys_;
    std::uint8_t header_[zipformat::kCryptHeaderSize] = {};
};

} // namespace zipwrite
