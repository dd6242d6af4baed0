// Traditional PKWARE encryption of new entries: the format library's key
// schedule plus the 12-byte encryption header made from the system's random
// source.
#pragma once

#include "zipformat/status.h"

#include "zipformat/pkcrypt.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace zipwrite {

class PkwareEncryptor {
public:
    explicit PkwareEncryptor(const std::string &password) : keys_(password) {}

    // 11 random bytes and the check byte, encrypted. The check byte is the
    // high byte of the CRC, or of the DOS time when the entry has a data
    // descriptor (zipformat::cryptCheckByte says which). ENGINE_NO_MEMORY
    // when the random source fails.
    zipformat::Status header(std::uint8_t checkByte, std::uint8_t out[zipformat::kCryptHeaderSize]);
    void encrypt(std::uint8_t *data, std::size_t n) { keys_.encrypt(data, n); }

private:
    zipformat::PkKeys keys_;
};

} // namespace zipwrite
