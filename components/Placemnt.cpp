#include "Placemnt.h"

#include "platform/PrivateProfile.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

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

std::optional<TWindowPlacement> ReadPlacement(const QWidget *window) {
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
        const QRect n = window->normalGeometry();
        normal = n.adjusted(frame.left() - client.left(), frame.top() - client.top(),
                            frame.right() - client.right(), frame.bottom() - client.bottom());
    }
    normal.translate(-WorkAreaOrigin());
    p.left = normal.left();
    p.top = normal.top();
    p.right = normal.left() + normal.width();
    p.bottom = normal.top() + normal.height();
    return p;
}

void ApplyPlacement(QWidget *window, const TWindowPlacement &p) {
    if (!window)
        return;
    // From the outer rectangle to the client geometry Qt positions by: the
    // frame margins the window has now (none before it is first shown).
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    const QPoint origin = WorkAreaOrigin();
    const QRect outer(QPoint(p.left, p.top) + origin, QSize(p.right - p.left, p.bottom - p.top));
    const QRect inner =
        outer.adjusted(client.left() - frame.left(), client.top() - frame.top(),
                       client.right() - frame.right(), client.bottom() - frame.bottom());
    window->setWindowState(Qt::WindowNoState);
    window->setGeometry(inner.normalized());
    switch (p.showCmd) {
    case SW_SHOWMINIMIZED:
    case 6: // SW_MINIMIZE
    case 7: // SW_SHOWMINNOACTIVE
        window->setWindowState((p.flags & WPF_RESTORETOMAXIMIZED)
                                   ? Qt::WindowMinimized | Qt::WindowMaximized
                                   : Qt::WindowMinimized);
        break;
    case SW_SHOWMAXIMIZED:
        window->setWindowState(Qt::WindowMaximized);
        break;
    default:
        break;
    }
}

} // namespace placement

TPlacement::TPlacement(QWidget *owner)
    : QObject(owner), IniFileName(QStringLiteral("TARNWICK.INI")),
      Entry(owner ? owner->objectName() : QString()), owner_(owner) {}

bool TPlacement::SavePlacement() {
    ErrorText.clear();
    if (IniFileName.isEmpty())
        return false;
    const auto p = placement::ReadPlacement(owner_);
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
    placement::ApplyPlacement(owner_, *p);
    return true;
}
