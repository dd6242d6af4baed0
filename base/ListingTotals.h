// The byte totals of one listing, summed over every entry.
#pragma once

#include <cstdint>

class TListingTotals {
public:
    void Clear() { *this = TListingTotals(); }

    void AddEntry(std::int64_t size, std::int64_t packed) {
        TotalSize += size;
        TotalPacked += packed;
    }

    std::int64_t TotalSize = 0;
    std::int64_t TotalPacked = 0;
};
