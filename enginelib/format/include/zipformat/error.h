// Error codes of the ZIP format library. Every function that can fail
// returns one; nothing in the library throws across its interface.
#pragma once

namespace zipformat {

// clang-format 14 would join the brace to "int" after the attribute.
// clang-format off
enum class [[nodiscard]] Error : int {
    // clang-format on
    Ok = 0,
    NotFound,          // the file does not exist
    NotAccessible,     // the file exists but cannot be opened or read
    NotZip,            // no end of central directory record
    BadDirectory,      // central directory damaged or inconsistent with the file
    Multidisk,         // the archive is one piece of a multi-disk set
    Overlap,           // one entry's data lies inside another's
    BadLocalHeader,    // local header missing or inconsistent with the directory
    UnsupportedMethod, // compression method not implemented
    UnsupportedCrypto, // AES or strong encryption
    NeedPassword,      // encrypted entry, no password given
    BadPassword,       // the check byte of the encryption header fails
    Corrupted,         // the compressed stream is damaged or too short/long
    BadCrc,            // the data decompressed but the CRC-32 differs
    NoMemory,          // an allocation failed
    WriteFailed,       // the output sink could not take the data
    DiskFull,          // the output sink ran out of space
    Aborted,           // the output sink asked to stop, or a piece of a set was refused
    AuthFailed,        // AES: the authentication code does not match the data
};

// A short English description, for logs and tests.
const char *errorText(Error e) noexcept;

} // namespace zipformat
