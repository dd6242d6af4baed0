// Entry-name text: legacy code pages to UTF-8, UTF-8 validation and the
// normalisation every reported name gets ("\" becomes "/").
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zipformat {

// Appends the UTF-8 form of CP437 bytes to `out`.
void appendCp437AsUtf8(std::string &out, std::string_view cp437);

// The code page that names and comments without the UTF-8 flag were
// written in when they are not UTF-8: TARNWICK_LEGACY_CODEPAGE when set
// ("CP866", "866", any name iconv knows), else the DOS code page of the
// locale's language (LC_ALL, LC_CTYPE, LANG): CP866 for Russian, CP932 for
// Japanese, CP936 for Chinese, CP850 for much of Western Europe, CP437
// otherwise.
std::string legacyCodepage();

// Appends the UTF-8 form of legacy text to `out`: decoded with
// legacyCodepage() through iconv, or as CP437 when that code page is
// unknown or cannot decode these bytes.
void appendLegacyAsUtf8(std::string &out, std::string_view raw);

// True when `s` is well-formed UTF-8 (no overlongs, no surrogates).
bool isValidUtf8(std::string_view s) noexcept;

// Replaces every "\" by "/" in place.
void slashify(std::string &s) noexcept;

// Hands each part of a "/"-separated name or path to `visit` in order,
// passing over empty and "." parts; false as soon as `visit` refuses one.
template <typename Visit> bool eachPathPart(std::string_view path, Visit visit) {
    std::size_t at = 0;
    while (at <= path.size()) {
        std::size_t slash = path.find('/', at);
        if (slash == std::string_view::npos)
            slash = path.size();
        const std::string_view part = path.substr(at, slash - at);
        at = slash + 1;
        if (part.empty() || part == ".")
            continue;
        if (!visit(part))
            return false;
    }
    return true;
}

} // namespace zipformat
