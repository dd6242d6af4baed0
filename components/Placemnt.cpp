#include "Placemnt.h"

#include "platform/PrivateProfile.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace {

const QString kSection = QStringLiteral("Screens");
constexpr int kStoredLength = 40;
constexpr int kLastPieceLength = 10;
// The record's "restore to maximized" flag: a minimized window that was
// maximized before.
constexpr int WPF_RESTORETOMAXIMIZED = 2;

// Placement coordinates count from the top-left corner of the work area.
QPoint WorkAreaOrigin() {
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry().topLeft() : QPoint();
}

int PieceValue(const QString &piece) {
    bool ok = false;
    const int value = piece.trimmed().toInt(&ok, 10);
    return ok ? value : 0;
}

QList<QRect> WorkAreas() {
    QList<QRect> areas;
    for (const QScreen *screen : QGuiApplication::screens())
        areas.append(screen->availableGeometry());
    return areas;
}

// The client size of a window whose outer size is `outer`, with the frame
// it has now.
QSize ClientSize(const QWindow *handle, const QSize &outer) {
    const QMargins m = handle->frameMargins();
    return QSize(std::max(1, outer.width() - m.left() - m.right()),
                 std::max(1, outer.height() - m.top() - m.bottom()));
}

} // namespace

namespace placement {

QString FormatPlacement(const TWindowPlacement &p) {
    const int fields[] = {p.flags, p.showCmd, p.minX, p.minY,  p.maxX,
                          p.maxY,  p.left,    p.top,  p.right, p.bottom};
    QStringList numbers;
    for (int f : fields)
        numbers << QString::number(f);
    return numbers.join(u',').left(kStoredLength);
}

std::optional<TWindowPlacement> ParsePlacement(const QString &text) {
    QString rest = text.left(kStoredLength);
    if (rest.isEmpty())
        return std::nullopt;
    int values[10] = {};
    for (int i = 0; i < 9; ++i) {
        const qsizetype comma = rest.indexOf(u',');
        // Fewer than ten numbers: the missing ones read as 0.
        values[i] = PieceValue(comma < 0 ? rest : rest.left(comma));
        rest = comma < 0 ? QString() : rest.mid(comma + 1);
    }
    values[9] = PieceValue(rest.left(kLastPieceLength));
    const TWindowPlacement p{values[0], values[1], values[2], values[3], values[4],
                             values[5], values[6], values[7], values[8], values[9]};
    if (p.right <= p.left)
        return std::nullopt;
    return p;
}

std::optional<TWindowPlacement> ReadPlacement(const QWidget *window,
                                              std::optional<QMargins> normalFrame) {
    if (!window || !window->isWindow())
        return std::nullopt;
    TWindowPlacement p;
    const Qt::WindowStates state = window->windowState();
    if (state & Qt::WindowMinimized) {
        p.showCmd = SW_SHOWMINIMIZED;
        if (state & Qt::WindowMaximized)
            p.flags = WPF_RESTORETOMAXIMIZED;
    } else if (state & (Qt::WindowMaximized | Qt::WindowFullScreen)) {
        p.showCmd = SW_SHOWMAXIMIZED;
    }
    // The normal rectangle is the outer frame, as the placement record has it;
    // for a minimized or maximized window it is where it returns to.
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    QRect normal = frame;
    if (p.showCmd != SW_SHOWNORMAL && window->normalGeometry().isValid()) {
        // A maximized frame may lack the borders of the normal one.
        const QMargins m = normalFrame.value_or(
            QMargins(client.left() - frame.left(), client.top() - frame.top(),
                     frame.right() - client.right(), frame.bottom() - client.bottom()));
        normal = window->normalGeometry().marginsAdded(m);
    }
    normal.translate(-WorkAreaOrigin());
    p.left = normal.left();
    p.top = normal.top();
    p.right = normal.left() + normal.width();
    p.bottom = normal.top() + normal.height();
    return p;
}

QRect BroughtOnScreen(const QRect &outer, const QList<QRect> &workAreas) {
    if (workAreas.isEmpty())
        return outer;
    for (const QRect &area : workAreas) {
        if (area.intersects(outer))
            return outer;
    }
    // Nearest by the gap between the two rectangles, along either axis.
    const auto gap = [&outer](const QRect &area) {
        const qint64 dx = std::max({0, area.left() - outer.right(), outer.left() - area.right()});
        const qint64 dy = std::max({0, area.top() - outer.bottom(), outer.top() - area.bottom()});
        return dx * dx + dy * dy;
    };
    const QRect area =
        *std::min_element(workAreas.begin(), workAreas.end(),
                          [&gap](const QRect &a, const QRect &b) { return gap(a) < gap(b); });
    // Inside the work area; one larger than it keeps its top-left corner
    // (and so its title bar) on the screen.
    QRect moved = outer;
    moved.moveLeft(std::max(area.left(), std::min(outer.left(), area.right() + 1 - outer.width())));
    moved.moveTop(std::max(area.top(), std::min(outer.top(), area.bottom() + 1 - outer.height())));
    return moved;
}

} // namespace placement

TPlacement::TPlacement(QWidget *owner)
    : QObject(owner), IniFileName(QStringLiteral("TARNWICK.INI")),
      Entry(owner ? owner->objectName() : QString()), owner_(owner) {
    if (owner)
        owner->installEventFilter(this);
}

bool TPlacement::SavePlacement() {
    ErrorText.clear();
    if (IniFileName.isEmpty())
        return false;
    const auto p = placement::ReadPlacement(owner_, normalFrame_);
    if (!p) {
        ErrorText = QString::fromLatin1(kNoPlacementText);
        return false;
    }
    if (!platform::WritePrivateProfileString(kSection, Entry, placement::FormatPlacement(*p),
                                             IniFileName)) {
        ErrorText = QStringLiteral("Unable to write to %1").arg(IniFileName);
        return false;
    }
    return true;
}

bool TPlacement::RestorePlacement() {
    if (IniFileName.isEmpty() || !owner_)
        return false;
    const QString stored =
        platform::GetPrivateProfileString(kSection, Entry, QString(), IniFileName)
            .left(kStoredLength);
    const auto p = placement::ParsePlacement(stored);
    if (!p)
        return false;
    const QRect outer =
        placement::BroughtOnScreen(QRect(QPoint(p->left, p->top) + WorkAreaOrigin(),
                                         QSize(p->right - p->left, p->bottom - p->top))
                                       .normalized(),
                                   WorkAreas());
    pending_ = Pending{outer, p->showCmd, p->flags};
    if (!owner_->windowHandle())
        owner_->createWinId();
    QWindow *handle = owner_->windowHandle();
    if (handle->isExposed()) {
        ApplyPending();
        return true;
    }
    // Not mapped yet, so no window manager has framed it and its frame is
    // unknown: the frame goes where it was at once, the size and the state
    // follow on the first exposure, framed.
    owner_->setWindowState(Qt::WindowNoState);
    owner_->resize(ClientSize(handle, outer.size()));
    handle->setFramePosition(outer.topLeft());
    if (watched_ != handle) {
        handle->installEventFilter(this);
        watched_ = handle;
    }
    return true;
}

void TPlacement::ApplyPending() {
    const Pending p = *pending_;
    pending_.reset();
    const QMargins frame = owner_->windowHandle()->frameMargins();
    normalFrame_ = frame;
    owner_->setWindowState(Qt::WindowNoState);
    owner_->setGeometry(p.outer.marginsRemoved(frame));
    switch (p.showCmd) {
    case SW_SHOWMINIMIZED:
    case 6: // SW_MINIMIZE
    case 7: // SW_SHOWMINNOACTIVE
        owner_->setWindowState((p.flags & WPF_RESTORETOMAXIMIZED)
                                   ? Qt::WindowMinimized | Qt::WindowMaximized
                                   : Qt::WindowMinimized);
        break;
    case SW_SHOWMAXIMIZED:
        owner_->setWindowState(Qt::WindowMaximized);
        break;
    default:
        break;
    }
}

bool TPlacement::eventFilter(QObject *watched, QEvent *event) {
    if (!owner_)
        return false;
    QWindow *handle = owner_->windowHandle();
    if (watched == watched_ && event->type() == QEvent::Expose && pending_ && handle &&
        handle->isExposed()) {
        ApplyPending();
    } else if (watched == owner_ && !pending_ && handle && handle->isExposed() &&
               (event->type() == QEvent::Move || event->type() == QEvent::Resize) &&
               owner_->windowState() == Qt::WindowNoState) {
        // The frame of the normal state, for a later save while maximized.
        normalFrame_ = handle->frameMargins();
    }
    return false;
}
