#include "FilesLbView.h"

#include <QApplication>
#include <QDrag>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QMimeData>
#include <QMouseEvent>

#include <utility>

TFilesLbView::TFilesLbView(QWidget *parent) : QListView(parent) {}

void TFilesLbView::mousePressEvent(QMouseEvent *event) {
    dragEnded_ = false;
    pressedAt_ = event->position().toPoint();
    const QModelIndex row = indexAt(pressedAt_);
    // Decided before the press changes the selection: only rows the user
    // had already selected are picked up. (Qt's own item dragging would
    // also ask the rows' model to call every row draggable.)
    dragArmed_ = OnStartDrag && event->button() == Qt::LeftButton &&
                 event->modifiers() == Qt::NoModifier && row.isValid() &&
                 selectionModel()->isSelected(row);
    QListView::mousePressEvent(event);
}

void TFilesLbView::mouseMoveEvent(QMouseEvent *event) {
    if (dragArmed_ && (event->buttons() & Qt::LeftButton)) {
        // Until the desktop's drag distance is crossed the press may still
        // be a click; it sweeps out no selection meanwhile.
        if ((event->position().toPoint() - pressedAt_).manhattanLength() >=
            QApplication::startDragDistance()) {
            dragArmed_ = false;
            startDrag(Qt::CopyAction);
        }
        return;
    }
    QListView::mouseMoveEvent(event);
}

void TFilesLbView::mouseReleaseEvent(QMouseEvent *event) {
    // The drag hands the release that dropped back to the list; taken as a
    // click, it would select the row under the drop point instead of what
    // was dragged.
    if (std::exchange(dragEnded_, false))
        return;
    QListView::mouseReleaseEvent(event);
}

void TFilesLbView::startDrag(Qt::DropActions) {
    QMimeData *offered = OnStartDrag ? OnStartDrag(*this) : nullptr;
    if (offered == nullptr)
        return;
    Qt::DropAction done = Qt::IgnoreAction;
    if (QGuiApplication::mouseButtons() & Qt::LeftButton) {
        auto *drag = new QDrag(this);
        drag->setMimeData(offered);
        // Copies only: a target that moved would delete our private copies
        // while others may still read them, and the archive keeps its entries.
        done = drag->exec(Qt::CopyAction, Qt::CopyAction);
        dragEnded_ = true;
    } else {
        delete offered;
    }
    if (OnDragEnded)
        OnDragEnded(*this, done);
}
