// The outcome of a step of either engine that can fail: ENGINE_OK or the
// contract's result code that ends the operation, with the errno of the
// system call behind it where there was one. Every such step returns one,
// and [[nodiscard]] makes the compiler refuse a call that drops it, so a
// failure deep in a write or a read stops the work at once.
#pragma once

#include "engine_contract.h"
#include "zipformat/error.h"

#include <cstdint>

namespace zipformat {

class [[nodiscard]] Status {
public:
    constexpr Status() = default;
    constexpr explicit Status(std::int32_t code, int systemError = 0)
        : code_(code), systemError_(systemError) {}

    constexpr bool failed() const { return code_ != ENGINE_OK; }
    constexpr std::int32_t code() const { return code_; }
    // errno of the failed call; 0 when the failure was not the system's.
    constexpr int systemError() const { return systemError_; }

private:
    std::int32_t code_ = ENGINE_OK;
    int systemError_ = 0;
};

// The one reading of a format error as a result code, for both engines:
// an archive that cannot be opened or read, or an entry that stops the work.
Status statusOf(Error e) noexcept;

// A failed write: a full disk (or quota, or file size limit) is
// ENGINE_DISK_FULL, anything else `otherwise`; `err` is kept either way.
Status writeFailure(int err, std::int32_t otherwise) noexcept;

// What the entry points return for a failure nothing foresaw (a C++
// exception other than bad_alloc). Both windows and the command-line tool
// show it as a damaged archive, as they do ENGINE_BAD_ARCHIVE, but a repair
// that meets it is not told that the archive is beyond repair.
constexpr std::int32_t kUnexpectedFailure = ENGINE_CORRUPTED;

} // namespace zipformat
