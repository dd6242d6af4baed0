#include "ProgressLine.h"

#include <QList>

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cwchar>

namespace cli {
namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
// Rate and time left mean little before this much time has passed.
constexpr double kSettleSeconds = 1.0;

int charColumns(char32_t ch) {
    const int w = ::wcwidth(static_cast<wchar_t>(ch));
    return w < 0 ? 1 : w;
}

int columnsOf(const QString &text) {
    int columns = 0;
    for (char32_t ch : text.toUcs4())
        columns += charColumns(ch);
    return columns;
}

// The end of `text` that fits in `columns`, led by "..." when cut.
QString tailFitting(const QString &text, int columns) {
    if (columnsOf(text) <= columns)
        return text;
    if (columns < 4)
        return QString();
    const QList<uint> chars = text.toUcs4();
    int used = 3;
    qsizetype from = chars.size();
    while (from > 0 && used + charColumns(chars[from - 1]) <= columns)
        used += charColumns(chars[--from]);
    return QStringLiteral("...") +
           QString::fromUcs4(reinterpret_cast<const char32_t *>(chars.constData() + from),
                             chars.size() - from);
}

// The width of the terminal on standard error; the line keeps one column
// free, since a line that fills the last column wraps on some terminals
// and "\r" would then return to the wrong row.
int terminalColumns() {
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 1)
        return size.ws_col - 1;
    return 79;
}

} // namespace

QString byteText(double bytes) {
    static const char *const units[] = {"KiB", "MiB", "GiB", "TiB"};
    if (bytes < 1024)
        return QStringLiteral("%1 B").arg(static_cast<qint64>(bytes));
    int unit = 0;
    bytes /= 1024;
    while (bytes >= 1024 && unit < 3) {
        bytes /= 1024;
        ++unit;
    }
    return QStringLiteral("%1 %2").arg(bytes, 0, 'f', 1).arg(QLatin1String(units[unit]));
}

QString durationText(double seconds) {
    const auto total = static_cast<qint64>(seconds + 0.5);
    const qint64 h = total / 3600, m = total / 60 % 60, s = total % 60;
    if (h > 0)
        return QStringLiteral("%1:%2:%3")
            .arg(h)
            .arg(m, 2, 10, QLatin1Char('0'))
            .arg(s, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(m).arg(s, 2, 10, QLatin1Char('0'));
}

QString progressText(const ProgressFigures &f, int columns) {
    QString text = f.entriesTotal >= 0
                       ? QStringLiteral("%1/%2 entries").arg(f.entries).arg(f.entriesTotal)
                       : QStringLiteral("%1 entries").arg(f.entries);
    const bool sized = f.bytes >= 0;
    if (sized) {
        text += QStringLiteral("  ") + byteText(static_cast<double>(f.bytes));
        if (f.bytesTotal >= 0)
            text += QStringLiteral(" of ") + byteText(static_cast<double>(f.bytesTotal));
    }
    if (f.seconds >= kSettleSeconds) {
        if (sized)
            text += QStringLiteral("  ") + byteText(static_cast<double>(f.bytes) / f.seconds) +
                    QStringLiteral("/s");
        else
            text += QStringLiteral("  %1 entries/s")
                        .arg(static_cast<double>(f.entries) / f.seconds, 0, 'f', 1);
        // The bytes tell the time left best; where there are none to tell
        // (empty files), the entries do.
        double done = -1, total = -1;
        if (sized && f.bytesTotal > 0) {
            done = static_cast<double>(f.bytes);
            total = static_cast<double>(f.bytesTotal);
        } else if (f.entriesTotal > 0) {
            done = static_cast<double>(f.entries);
            total = static_cast<double>(f.entriesTotal);
        }
        if (done > 0 && total >= done)
            text += QStringLiteral("  ") + durationText(f.seconds * (total - done) / done) +
                    QStringLiteral(" left");
    }
    const int used = columnsOf(text);
    if (used > columns)
        return tailFitting(text, columns);
    if (!f.current.isEmpty() && columns - used > 2 + 4)
        text += QStringLiteral("  ") + tailFitting(f.current, columns - used - 2);
    return text;
}

ProgressLine::ProgressLine(QTextStream &err, bool enabled)
    : err_(err), enabled_(enabled), start_(std::chrono::steady_clock::now()) {}

ProgressLine::~ProgressLine() {
    clear();
}

void ProgressLine::setTotals(qint64 entries, qint64 bytes) {
    entriesTotal_ = entries;
    bytesTotal_ = bytes;
}

void ProgressLine::beginEntry(const QString &name, qint64 size) {
    if (!enabled_)
        return;
    if (entries_ > 0)
        bytesDone_ += currentSize_;
    ++entries_;
    sized_ = sized_ || size >= 0;
    current_ = name;
    currentSize_ = std::max<qint64>(size, 0);
    currentPercent_ = 0;
    draw(false);
}

void ProgressLine::entryPercent(int percent) {
    if (!enabled_)
        return;
    currentPercent_ = std::clamp(percent, 0, 100);
    draw(false);
}

ProgressFigures ProgressLine::figures() const {
    ProgressFigures f;
    f.entries = entries_;
    f.entriesTotal = entriesTotal_ >= entries_ ? entriesTotal_ : -1;
    if (sized_) {
        f.bytes = bytesDone_ + currentSize_ * currentPercent_ / 100;
        f.bytesTotal = bytesTotal_ >= f.bytes ? bytesTotal_ : -1;
    } else {
        f.bytes = -1;
    }
    f.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    f.current = current_;
    return f;
}

void ProgressLine::draw(bool now) {
    const auto at = std::chrono::steady_clock::now();
    if (!now && drawnOnce_ && at - lastDraw_ < kRedrawInterval)
        return;
    drawnOnce_ = true;
    lastDraw_ = at;
    const QString text = progressText(figures(), terminalColumns());
    const int columns = columnsOf(text);
    // Blanks over what a longer line before left behind.
    err_ << '\r' << text << QString(std::max(shownColumns_ - columns, 0), QLatin1Char(' '));
    if (shownColumns_ > columns)
        err_ << '\r' << text;
    err_.flush();
    shownColumns_ = columns;
}

void ProgressLine::clear() {
    if (!enabled_ || shownColumns_ == 0)
        return;
    err_ << '\r' << QString(shownColumns_, QLatin1Char(' ')) << '\r';
    err_.flush();
    shownColumns_ = 0;
}

} // namespace cli
