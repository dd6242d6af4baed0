#include "RowGeometry.h"

TRowPlacement PlaceRowCells(int left, int right, const TColumnWidths &widths,
                            const std::array<int, ColumnCount> &textWidths) {
    constexpr int Inset = 2;
    TRowPlacement cells;
    cells[0] = {left, left + widths[0], left + Inset};
    for (int k = 1; k <= 4; ++k) {
        const int cellLeft = cells[k - 1].Right;
        const int cellRight = cellLeft + widths[k];
        cells[k] = {cellLeft, cellRight, cellRight - textWidths[k] - Inset};
    }
    const int ratioLeft = cells[4].Right;
    // Integer division truncates toward zero, as the centring is specified.
    cells[5] = {ratioLeft, ratioLeft + widths[5], ratioLeft + (widths[5] - textWidths[5]) / 2};
    cells[6] = {cells[5].Right, right, cells[5].Right + Inset};
    return cells;
}
