// Where the compressing side writes an archive's bytes: one file
// (OutputFile) or the pieces of a multi-disk set (SpanWriter). Positions are
// logical: they count every byte written, whatever piece it went to.
#pragma once

#include "zipformat/status.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace zipwrite {

class Output {
public:
    virtual ~Output() = default;

    virtual zipformat::Status write(const void *data, std::size_t n) = 0;
    zipformat::Status write(const std::string &s) { return write(s.data(), s.size()); }
    // A record that must not be split between two pieces (a header).
    virtual zipformat::Status writeTogether(const std::string &s) { return write(s); }
    virtual std::uint64_t position() const = 0;
    // Whether bytes from `at` on can still be overwritten or dropped: a
    // piece that went to an earlier medium cannot.
    virtual bool canRewrite(std::uint64_t at) const = 0;
    // Overwrites bytes already written (from a rewritable position).
    virtual zipformat::Status patch(std::uint64_t at, const void *data, std::size_t n) = 0;
    // Drops everything from `at` (a rewritable position); writing continues there.
    virtual zipformat::Status rewind(std::uint64_t at) = 0;
};

} // namespace zipwrite
