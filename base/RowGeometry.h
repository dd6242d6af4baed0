// Where the cells and texts of one contents-list row go, from the header's
// section widths: Name left, Date to Packed right-aligned, Ratio centred,
// Path left and running to the row's right edge.
#pragma once

#include "Settings.h"

#include <array>

struct TCellPlacement {
    int Left = 0;
    int Right = 0; // exclusive
    int TextX = 0;
};

using TRowPlacement = std::array<TCellPlacement, ColumnCount>;

// left/right: the row rectangle's edges (right exclusive); textWidths: the
// pixel width of the text drawn in each cell, in section order.
TRowPlacement PlaceRowCells(int left, int right, const TColumnWidths &widths,
                            const std::array<int, ColumnCount> &textWidths);
