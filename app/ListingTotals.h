// The running totals of one listing: byte sums over every entry and the
// budget of row text that the contents list may hold.
#pragma once

#include <cstdint>

class TListingTotals {
public:
    // The list takes no more rows once this much row text has been added;
    // the test is made before each row, so the last row may pass it.
    static constexpr std::int64_t RowTextBudget = 64000;

    void Clear() { *this = TListingTotals(); }

    // Whether the next row still goes into the list: its text need not be
    // built otherwise.
    bool RowFits() const { return ListedTextLength < RowTextBudget; }

    // Counts one entry; returns whether its row text of the given length
    // goes into the list. The byte totals cover every entry either way.
    bool AddEntry(std::int64_t size, std::int64_t packed, std::int64_t rowTextLength) {
        TotalSize += size;
        TotalPacked += packed;
        if (ListedTextLength >= RowTextBudget)
            return false;
        ListedTextLength += rowTextLength;
        return true;
    }

    std::int64_t TotalSize = 0;
    std::int64_t TotalPacked = 0;
    std::int64_t ListedTextLength = 0;
};
