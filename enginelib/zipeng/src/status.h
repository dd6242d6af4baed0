// The outcome of a step that can fail: ENGINE_OK or the result code that
// ends the operation. Every such step returns one, and [[nodiscard]] makes
// the compiler refuse a call that drops it, so a failure deep in a write
// stops the work at once, as in the format library and the extracting side.
#pragma once

#include "engine_contract.h"

namespace zipwrite {

class [[nodiscard]] Status {
public:
    constexpr Status() = default;
    constexpr explicit Status(int code) : code_(code) {}

    constexpr bool failed() const { return code_ != ENGINE_OK; }
    constexpr int code() const { return code_; }

private:
    int code_ = ENGINE_OK;
};

// A failed write as a result code: a full disk is 150, anything else is the
// caller's choice (temporary file 280 or access 400).
Status writeFailure(int err, int otherwise);

} // namespace zipwrite
