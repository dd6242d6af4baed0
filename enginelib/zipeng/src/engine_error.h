// An engine result code travelling as a C++ exception inside the library.
// The entry point catches it; nothing of it crosses the C boundary.
#pragma once

#include <stdexcept>
#include <string>

namespace zipwrite {

class EngineError : public std::runtime_error {
public:
    explicit EngineError(int code, const std::string &what = {})
        : std::runtime_error(what.empty() ? "engine error " + std::to_string(code) : what),
          code_(code) {}
    int code() const { return code_; }

private:
    int code_;
};

// Maps an errno of a failed write to the designed result codes: a full disk
// is 150, anything else is the caller's choice (temporary file 280 or
// access 400).
int writeErrorCode(int err, int otherwise);

} // namespace zipwrite
