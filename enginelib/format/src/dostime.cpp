#include "zipformat/dostime.h"

#include <algorithm>

namespace zipformat {

DosFields splitDos(std::uint32_t dos) noexcept {
    DosFields f{};
    f.year = static_cast<int>((dos >> 25) & 0x7f) + 1980;
    f.month = static_cast<int>((dos >> 21) & 0x0f);
    f.day = static_cast<int>((dos >> 16) & 0x1f);
    f.hour = static_cast<int>((dos >> 11) & 0x1f);
    f.minute = static_cast<int>((dos >> 5) & 0x3f);
    f.second = static_cast<int>(dos & 0x1f) * 2;
    return f;
}

std::uint32_t dosFromUnix(std::time_t t) noexcept {
    struct tm tm {};
    if (localtime_r(&t, &tm) == nullptr)
        return kDosEpoch;
    int year = tm.tm_year + 1900;
    if (year < 1980)
        return kDosEpoch;
    if (year > 2107)
        return (127u << 25) | (12u << 21) | (31u << 16) | (23u << 11) | (59u << 5) | 29u;
    return (static_cast<std::uint32_t>(year - 1980) << 25) |
           (static_cast<std::uint32_t>(tm.tm_mon + 1) << 21) |
           (static_cast<std::uint32_t>(tm.tm_mday) << 16) |
           (static_cast<std::uint32_t>(tm.tm_hour) << 11) |
           (static_cast<std::uint32_t>(tm.tm_min) << 5) |
           static_cast<std::uint32_t>(std::min(tm.tm_sec, 59) / 2);
}

bool unixFromDos(std::uint32_t dos, std::time_t &out) noexcept {
    DosFields f = splitDos(dos);
    bool valid = f.month >= 1 && f.month <= 12 && f.day >= 1 && f.day <= 31 && f.hour <= 23 &&
                 f.minute <= 59 && f.second <= 59;
    struct tm tm {};
    tm.tm_year = f.year - 1900;
    tm.tm_mon = std::clamp(f.month, 1, 12) - 1;
    tm.tm_mday = std::clamp(f.day, 1, 31);
    tm.tm_hour = std::min(f.hour, 23);
    tm.tm_min = std::min(f.minute, 59);
    tm.tm_sec = std::min(f.second, 59);
    tm.tm_isdst = -1;
    std::time_t t = mktime(&tm);
    if (t == static_cast<std::time_t>(-1)) {
        out = 315532800; // 1980-01-01 UTC
        return false;
    }
    out = t;
    return valid;
}

} // namespace zipformat
