// The contents list's widget: a list view whose selected rows can be
// dragged out of the window. What a drag carries is decided elsewhere
// (OnStartDrag); without a handler the list behaves as it always did.
#pragma once

#include <QListView>

#include <functional>

class QMimeData;

class TFilesLbView : public QListView {
    Q_OBJECT
public:
    explicit TFilesLbView(QWidget *parent = nullptr);

    // Asked when the mouse has moved the desktop's drag distance with the
    // left button held down on a row that was selected before the press.
    // Returns the data to offer (the drag takes it over), or null for no
    // drag. It may take its time, the window's events going on meanwhile:
    // the drag starts only if the button is still held when it returns. A
    // press on a row that was not selected keeps sweeping out a selection,
    // as the list always did.
    std::function<QMimeData *(TFilesLbView &sender)> OnStartDrag;
    // Told how a drag whose data OnStartDrag gave ended: Qt::IgnoreAction
    // when no target took it, the button having been let go too early
    // included.
    std::function<void(TFilesLbView &sender, Qt::DropAction done)> OnDragEnded;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;

private:
    QPoint pressedAt_;
    bool dragArmed_ = false;
    bool dragEnded_ = false;
};
