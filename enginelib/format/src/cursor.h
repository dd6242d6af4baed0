// A bounds-checked reader over bytes already in memory (libzip's
// zip_buffer is the model). A read past the end returns zeros or an empty
// view and leaves the cursor failed, so a record is read field by field and
// checked once with ok(), without an offset computed by hand.
#pragma once

#include "zipformat/records.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zipformat::detail {

class Cursor {
public:
    Cursor(const std::uint8_t *data, std::size_t size) noexcept : data_(data), size_(size) {}

    bool ok() const noexcept { return ok_; }
    std::size_t offset() const noexcept { return at_; }
    std::size_t left() const noexcept { return size_ - at_; }

    std::uint16_t u16() noexcept {
        const std::uint8_t *p = take(2);
        return p != nullptr ? le16(p) : 0;
    }
    std::uint32_t u32() noexcept {
        const std::uint8_t *p = take(4);
        return p != nullptr ? le32(p) : 0;
    }
    std::uint64_t u64() noexcept {
        const std::uint8_t *p = take(8);
        return p != nullptr ? le64(p) : 0;
    }
    // The next `n` bytes as characters (names, extra fields, comments).
    std::string_view bytes(std::size_t n) noexcept {
        const std::uint8_t *p = take(n);
        return p != nullptr ? std::string_view(reinterpret_cast<const char *>(p), n)
                            : std::string_view();
    }
    void skip(std::size_t n) noexcept { (void)take(n); }

private:
    const std::uint8_t *take(std::size_t n) noexcept {
        if (!ok_ || n > size_ - at_) {
            ok_ = false;
            return nullptr;
        }
        const std::uint8_t *p = data_ + at_;
        at_ += n;
        return p;
    }

    const std::uint8_t *data_;
    std::size_t size_;
    std::size_t at_ = 0;
    bool ok_ = true;
};

} // namespace zipformat::detail
