// Entry-name text: code page 437 to UTF-8, UTF-8 validation and the
// normalisation every reported name gets ("\" becomes "/").
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zipformat {

// Appends the UTF-8 form of CP437 bytes to `out`.
void appendCp437AsUtf8(std::string &out, std::string_view cp437);

// True when `s` is well-formed UTF-8 (no overlongs, no surrogates).
bool isValidUtf8(std::string_view s) noexcept;

// Replaces every "\" by "/" in place.
void slashify(std::string &s) noexcept;

} // namespace zipformat
