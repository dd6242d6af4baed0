// MS-DOS packed date and time, the timestamp of every ZIP header. The value
// is local time with two-second resolution; the packed 32-bit form has the
// date in the high 16 bits and the time in the low 16 bits.
#pragma once

#include <cstdint>
#include <ctime>

namespace zipformat {

// 1980-01-01 00:00, the earliest time the format can hold.
constexpr std::uint32_t kDosEpoch = (1u << 21) | (1u << 16);

// Unix time to packed DOS date/time in the local time zone; times before
// 1980 clamp to kDosEpoch, after 2107 to the last representable second.
std::uint32_t dosFromUnix(std::time_t t) noexcept;

// Packed DOS date/time (local time) to Unix time. Returns false when a field
// is out of range (month 0, day 0, hour 24 and so on); `out` is then left as
// the nearest valid interpretation (fields clamped), never undefined.
bool unixFromDos(std::uint32_t dos, std::time_t &out) noexcept;

// Split a packed value into its fields, unchecked.
struct DosFields {
    int year, month, day, hour, minute, second;
};
DosFields splitDos(std::uint32_t dos) noexcept;

} // namespace zipformat
