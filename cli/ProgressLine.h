// The one live line on a terminal that shows how far an operation has come:
// entries, bytes, rate and time left. It is redrawn in place on standard
// error, at most ten times a second, and erased before anything else is
// written so that no other line runs into it.
#pragma once

#include <QString>
#include <QTextStream>

#include <chrono>

namespace cli {

// What the line knows at one moment; a total below 0 is not known.
struct ProgressFigures {
    qint64 entries = 0; // entries begun, the current one included
    qint64 entriesTotal = -1;
    qint64 bytes = 0;       // bytes done, -1 when the operation reports none
    qint64 bytesTotal = -1; // known only when bytes are
    double seconds = 0;
    QString current; // the entry being worked on
};

// The line's text, at most `columns` columns wide (the current entry's name
// is cut from the left to fit). Rate and time left appear once a second has
// passed, so that the first moments do not give wild estimates.
QString progressText(const ProgressFigures &figures, int columns);

// 1,536 -> "1.5 KiB"; seconds -> "m:ss" or "h:mm:ss".
QString byteText(double bytes);
QString durationText(double seconds);

class ProgressLine {
public:
    // A disabled line never writes anything.
    ProgressLine(QTextStream &err, bool enabled);
    ~ProgressLine();
    ProgressLine(const ProgressLine &) = delete;
    ProgressLine &operator=(const ProgressLine &) = delete;

    bool enabled() const { return enabled_; }
    // Where the operation's extent is known before it starts.
    void setTotals(qint64 entries, qint64 bytes);
    // A new entry begins; the one before it counts as done. `size` below 0
    // when the operation reports no sizes.
    void beginEntry(const QString &name, qint64 size);
    // How far the current entry has come.
    void entryPercent(int percent);
    // Erases the line, if it is drawn, before other output; the next
    // progress draws it again.
    void clear();

private:
    void draw(bool now);
    ProgressFigures figures() const;

    QTextStream &err_;
    bool enabled_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastDraw_;
    bool drawnOnce_ = false;
    int shownColumns_ = 0; // of the text on the terminal now; 0 when erased
    qint64 entries_ = 0;
    qint64 entriesTotal_ = -1;
    qint64 bytesDone_ = 0; // of the entries before the current one
    qint64 bytesTotal_ = -1;
    bool sized_ = false;
    QString current_;
    qint64 currentSize_ = 0;
    int currentPercent_ = 0;
};

} // namespace cli
