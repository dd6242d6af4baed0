#pragma once

#include <QList>
#include <QMargins>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>

#include <optional>

class QWidget;
class QWindow;

// TPlacement: keeps a window's placement in section "Screens" of an INI file,
// one line of ten numbers per window, so that windows come back where the user
// left them. The owning window calls RestorePlacement() when it is shown and
// SavePlacement() when it is destroyed.

// The ten numbers of a window placement record, in their stored order.
struct TWindowPlacement {
    int flags = 0;
    int showCmd = 1; // 1 normal, 2 minimized, 3 maximized
    int minX = -1;   // minimized position; -1,-1 when there is none
    int minY = -1;
    int maxX = -1; // maximized position; -1,-1 when there is none
    int maxY = -1;
    int left = 0; // normal rectangle
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool operator==(const TWindowPlacement &) const = default;
};

inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOWMINIMIZED = 2;
inline constexpr int SW_SHOWMAXIMIZED = 3;

namespace placement {

// The stored text: the ten numbers joined by ",", cut to 40 characters.
QString FormatPlacement(const TWindowPlacement &placement);
// The record a stored text stands for (the text is cut to 40 characters first;
// pieces that are not whole numbers read as 0), or nothing when it must not be
// applied: empty text, or a normal rectangle whose right is not past its left.
std::optional<TWindowPlacement> ParsePlacement(const QString &text);

// Reads the placement of a top-level widget; nothing when it has no window.
// The normal rectangle of a maximized or minimized window is its normal
// geometry in `normalFrame`, the frame margins of its normal state (its
// frame now when not given).
std::optional<TWindowPlacement> ReadPlacement(const QWidget *window,
                                              std::optional<QMargins> normalFrame = {});

// The outer rectangle of a window, moved into the nearest of the work areas
// when it lies wholly outside them all (a screen that is gone), as the
// system's set-placement call does; unchanged otherwise.
QRect BroughtOnScreen(const QRect &outer, const QList<QRect> &workAreas);

} // namespace placement

class TPlacement : public QObject {
    Q_OBJECT
public:
    // `owner` is the window whose placement is kept; Entry defaults to its
    // objectName(), IniFileName to "TARNWICK.INI".
    explicit TPlacement(QWidget *owner);

    QString IniFileName;
    QString Entry;

    // Writes the owner's placement; false (nothing written) when there is no
    // file name, no placement to read, or the write failed. It never throws:
    // it runs while its window is destroyed. ErrorText then says why: the
    // silent abort's text, or "Unable to write to <file>" for the caller to
    // report if it wants to.
    virtual bool SavePlacement();
    // Applies the stored placement when it is usable; true when applied.
    // The rectangle is the framed window's: a window not mapped yet gets its
    // frame position at once, and its size and show state when it is first
    // exposed, framed by the window manager.
    virtual bool RestorePlacement();

    QString ErrorText;

    // Text of the silent abort when the placement cannot be read.
    static constexpr const char *kNoPlacementText = "Unable to retrieve window placement from INI";

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Pending {
        QRect outer;
        int showCmd;
        int flags;
    };
    void ApplyPending();

    QPointer<QWidget> owner_;
    QPointer<QWindow> watched_;
    std::optional<Pending> pending_;
    std::optional<QMargins> normalFrame_;
};
