#include "StatusBarGeometry.h"

TStatusLayout StatusLayoutFor(int outerWidth, int statusBarTop) {
    const int top = statusBarTop + 4;
    if (outerWidth >= 445)
        return {outerWidth - 180, QRect(outerWidth - 175, top, 153, 13)};
    return {260, QRect(264, top, outerWidth - 287, 13)};
}
