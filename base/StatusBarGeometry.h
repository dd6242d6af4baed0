// The status bar's panel 0 and the progress bar laid over the status bar
// follow the window's outer width (FormResize).
#pragma once

#include <QRect>

struct TStatusLayout {
    int Panel0Width = 260;
    QRect ProgressBar;
};

TStatusLayout StatusLayoutFor(int outerWidth, int statusBarTop);
