#pragma once

#include <QScreen>
#include <QWidget>

namespace platform {

// Dialogs open in the middle of the work area of their screen, not over
// their owner window.
inline void CentreOnScreen(QWidget &window) {
    const QScreen *screen = window.screen();
    if (!screen)
        return;
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
}

} // namespace platform
