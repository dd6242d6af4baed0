#include "EntryProgress.h"

#include "Command.h"
#include "PrintableName.h"
#include "ProgressLine.h"

namespace cli {

TZipFileStatsEvent entryProgress(Context &c, const char *label, bool flushEachLine) {
    const bool lines = wantsEntryLines(c);
    if (!lines && !c.progress.enabled())
        return {};
    QTextStream &out = c.out;
    ProgressLine &progress = c.progress;
    return [&out, &progress, label, lines, flushEachLine](TZipEngine &, const TZipFileStats &s) {
        const QString name = printable(s.FileName);
        progress.beginEntry(name, s.TrueSize());
        if (!lines)
            return;
        progress.clear();
        out << label << name << '\n';
        if (flushEachLine)
            out.flush();
    };
}

void followPercent(Context &c) {
    if (!c.progress.enabled())
        return;
    ProgressLine &progress = c.progress;
    c.engine.OnStatus = [&progress](TZipEngine &, const TZipFileStats &s) {
        progress.entryPercent(s.PercentDone);
    };
}

} // namespace cli
