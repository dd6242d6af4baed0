#pragma once

#include <QApplication>
#include <QCursor>

namespace platform {

// The normal arrow while a modal box or dialog is up; whatever cursor was
// shown before (the hourglass of a busy command) comes back afterwards.
class ModalCursor {
public:
    ModalCursor() { QApplication::setOverrideCursor(Qt::ArrowCursor); }
    ~ModalCursor() { QApplication::restoreOverrideCursor(); }
    ModalCursor(const ModalCursor &) = delete;
    ModalCursor &operator=(const ModalCursor &) = delete;
};

} // namespace platform
