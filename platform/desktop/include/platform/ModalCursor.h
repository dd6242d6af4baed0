#pragma once

#include <QApplication>
#include <QCursor>
#include <QDialog>

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

// QDialog::exec() with the arrow cursor while the dialog is up; every modal
// dialog of the program is run through this.
inline int ExecModal(QDialog &dialog) {
    const ModalCursor arrow;
    return dialog.exec();
}

} // namespace platform
