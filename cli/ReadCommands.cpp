// list, test, extract and comment: the commands over the extracting side.
#include "ArchiveFigures.h"
#include "Command.h"
#include "EntryProgress.h"
#include "ExtractHere.h"
#include "MethodText.h"
#include "PrintableName.h"
#include "ProgressLine.h"
#include "ResultText.h"
#include "Terminal.h"
#include "ZipEngine.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>

namespace cli {
// Disks of a set are asked for on the terminal; without one the operation
// gives up (190) rather than wait.
void askForDisks(Context &c) {
    Terminal &terminal = c.terminal;
    ProgressLine &progress = c.progress;
    c.engine.OnNewdisk = [&terminal, &progress](TZipEngine &engine, std::int32_t disk) {
        progress.clear();
        if (!terminal.askForDisk(disk))
            engine.Abort = true;
    };
}

namespace {

// The entries the operation will go through and their bytes, from a
// listing of the same selection by an engine of its own, so that the
// operation's handlers see nothing of it. A set is not listed first: that
// could ask for its disks twice.
void measureSelection(Context &c) {
    if (!c.progress.enabled() || c.engine.MultidiskMode)
        return;
    TZipEngine lister;
    lister.ZipFileName = c.engine.ZipFileName;
    lister.FilesToProcess = c.engine.FilesToProcess;
    qint64 entries = 0, bytes = 0;
    lister.OnListing = [&](TZipEngine &, const TZipFileStats &s) {
        ++entries;
        bytes += s.TrueSize();
    };
    if (resultText(lister.ListArchive(), QString()).resultClass != ResultFailed)
        c.progress.setTotals(entries, bytes);
}

// What every read command sets up: archive, password, names and excludes,
// skip reports, password questions.
void prepare(Context &c) {
    TZipEngine &e = c.engine;
    e.ZipFileName = c.args.archive;
    e.Password = c.args.value(QStringLiteral("-P"));
    e.MultidiskMode = c.args.has(QStringLiteral("-!")) || c.args.has(QStringLiteral("--multidisk"));
    askForDisks(c);
    // The engine reads legacy names in the code page this names.
    const QString codepage = c.args.value(QStringLiteral("-O"));
    if (!codepage.isEmpty())
        qputenv("TARNWICK_LEGACY_CODEPAGE", codepage.toLocal8Bit());
    QStringList files = c.args.names;
    const QStringList excludes = c.args.all(QStringLiteral("-x"));
    // The component passes excludes only along with names: "*" stands for
    // every entry.
    if (files.isEmpty() && !excludes.isEmpty())
        files << QStringLiteral("*");
    for (const QString &x : excludes)
        files << QLatin1Char('<') + x;
    e.FilesToProcess = files;
    measureSelection(c);
    followPercent(c);
    QTextStream &err = c.err;
    ProgressLine &progress = c.progress;
    e.OnSkippingFile = [&err, &progress](TZipEngine &, const TZipSkipping &s) {
        progress.clear();
        err << skippedLine(s.FileName, s.Reason) << '\n';
        err.flush();
    };
    Terminal &terminal = c.terminal;
    // The engine asks again about an entry the answer did not open; the
    // user gets two tries, as in the window, before it is skipped.
    e.OnPwdQuery = [&terminal, &progress, asking = QString(), tries = 0](TZipEngine &,
                                                                         TZipPwdQuery &q) mutable {
        if (q.FileName != asking) {
            asking = q.FileName;
            tries = 0;
        }
        q.Reply = 0;
        if (++tries > 2)
            return;
        progress.clear();
        q.Password = terminal.askPassword(printable(q.FileName));
        q.Reply = q.Password.isEmpty() ? 0 : 1;
    };
}

QString pad(const QString &s, int width) {
    return s.rightJustified(width, QLatin1Char(' '));
}

int runList(Context &c) {
    prepare(c);
    QTextStream &out = c.out;
    const bool quiet = c.args.has(QStringLiteral("-q"));
    const bool verbose = c.args.has(QStringLiteral("-v"));
    qint64 count = 0, size = 0, packed = 0;
    // The header comes with the first entry, so a failed listing prints
    // only its message.
    const auto header = [&] {
        if (quiet)
            return;
        if (verbose)
            out << "      Size     Packed Ratio Date       Time  Method              Name\n"
                   "---------- ---------- ----- ---------- ----- ------------------- ----\n";
        else
            out << "      Size     Packed Ratio Date       Time  Name\n"
                   "---------- ---------- ----- ---------- ----- ----\n";
    };
    // Rows go straight to the C stream: formatting them through QString
    // costs more than everything else a listing does.
    out.flush();
    std::string row;
    c.engine.OnListing = [&](TZipEngine &, const TZipFileStats &s) {
        if (count++ == 0) {
            header();
            out.flush();
        }
        size += s.TrueSize();
        packed += s.TrueCompressedSize();
        if (quiet)
            return;
        char fields[96];
        const QDate d = s.DateTime.date();
        const QTime t = s.DateTime.time();
        int n = s.DateTime.isValid()
                    ? std::snprintf(fields, sizeof fields,
                                    "%10lld %10lld %4u%% %04d-%02d-%02d %02d:%02d ",
                                    static_cast<long long>(s.TrueSize()),
                                    static_cast<long long>(s.TrueCompressedSize()), s.Ratio,
                                    d.year(), d.month(), d.day(), t.hour(), t.minute())
                    : std::snprintf(fields, sizeof fields, "%10lld %10lld %4u%% ---------- ----- ",
                                    static_cast<long long>(s.TrueSize()),
                                    static_cast<long long>(s.TrueCompressedSize()), s.Ratio);
        row.assign(fields, static_cast<std::size_t>(std::max(n, 0)));
        if (verbose) {
            row += methodText(s.EngineByte, s.EngineFlag).leftJustified(19).toStdString();
            row += ' ';
        }
        row += printableBytes(s.FileName);
        row += '\n';
        std::fwrite(row.data(), 1, row.size(), stdout);
    };
    int code = c.engine.ListArchive();
    std::fflush(stdout);
    if (resultText(code, QString()).resultClass == ResultFailed)
        return code;
    if (count == 0)
        header();
    int ratio = (size > 0 && packed < size)
                    ? static_cast<int>((static_cast<double>(size - packed) * 100.0) / size + 0.5)
                    : 0;
    out << "---------- ---------- -----                  ----\n"
        << pad(QString::number(size), 10) << ' ' << pad(QString::number(packed), 10) << ' '
        << pad(QString::number(ratio), 4) << "%                  " << count
        << (count == 1 ? " entry\n" : " entries\n");
    out.flush();
    return code;
}

int runTest(Context &c) {
    prepare(c);
    QTextStream &out = c.out;
    c.engine.OnTesting = entryProgress(c, "testing: ", false);
    int code = c.engine.TestArchive();
    c.progress.clear();
    if (code == ENGINE_OK)
        out << "No errors detected in " << c.args.archive << ".\n";
    out.flush();
    return code;
}

int runExtract(Context &c) {
    prepare(c);
    TZipEngine &e = c.engine;
    e.ExtractDirectory = c.args.value(QStringLiteral("-d"));
    if (c.args.has(QStringLiteral("--here"))) {
        // Beside the archive (or in DIR), in a folder of its own unless
        // everything is under one name already.
        TZipEngine lister;
        lister.ZipFileName = e.ZipFileName;
        lister.Password = e.Password;
        lister.MultidiskMode = e.MultidiskMode;
        const TExtractHerePlan plan = PlanExtractHere(lister, e.ExtractDirectory);
        if (plan.Code != ENGINE_OK)
            return plan.Code;
        e.ExtractDirectory = plan.Directory;
        if (!c.args.has(QStringLiteral("-q")))
            c.out << "extracting into " << printable(plan.Directory) << '\n';
    }
    e.UsePaths = !c.args.has(QStringLiteral("-j"));
    e.Overwrite = c.args.has(QStringLiteral("-o"))   ? zowAlways
                  : c.args.has(QStringLiteral("-n")) ? zowNever
                                                     : zowAsk;
    const TZipExtractMode mode = c.args.has(QStringLiteral("-u"))   ? TZipExtractMode::Update
                                 : c.args.has(QStringLiteral("-f")) ? TZipExtractMode::Freshen
                                                                    : TZipExtractMode::All;
    QTextStream &out = c.out;
    e.OnExtracting = entryProgress(c, "extracting: ", false);
    Terminal &terminal = c.terminal;
    ProgressLine &progress = c.progress;
    e.OnReplace = [&terminal, &progress](TZipEngine &engine, TZipReplace &r) {
        progress.clear();
        char answer = terminal.askReplace(printable(r.FileName));
        r.DoReplace = answer == 'y' ? 1 : 0;
        if (answer == 'a')
            engine.Abort = true;
    };
    int code = e.ExtractFromArchive(mode);
    c.progress.clear();
    out.flush();
    return code;
}

int runComment(Context &c) {
    c.engine.ZipFileName = c.args.archive;
    QString text = c.engine.ArchiveComment();
    // A failed read comes back as "Error #" and the code.
    static const QString prefix = QStringLiteral("Error #");
    if (text.startsWith(prefix)) {
        bool ok = false;
        int code = text.mid(prefix.size()).toInt(&ok);
        if (ok && code != 0)
            return code;
    }
    c.out << text;
    if (!text.isEmpty() && !text.endsWith(QLatin1Char('\n')))
        c.out << '\n';
    c.out.flush();
    return ENGINE_OK;
}

// The figures of the archive information window, gathered the same way:
// one count query and one statistics query per entry.
int runInfo(Context &c) {
    TZipEngine &e = c.engine;
    e.ZipFileName = c.args.archive;
    e.MultidiskMode = c.args.has(QStringLiteral("-!"));
    const TArchiveFigures f = TArchiveFigures::Gather(e);
    if (f.FileError != 0)
        return f.FileError == ENOENT ? ENGINE_ARCHIVE_NOT_FOUND : ENGINE_NOT_ACCESSIBLE;
    c.out << "File:           " << f.FileName << '\n'
          << "File Size:      " << f.FileSize << '\n'
          << "Files:          " << f.Entries << '\n'
          << "Size:           " << f.TotalSize << '\n'
          << "Packed:         " << f.TotalPacked << '\n'
          << "Compression:    " << qRound64(f.Saving()) << "%\n"
          << "File Date/Time: " << f.FileDateTime.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
          << '\n';
    if (!f.Comment.isEmpty())
        c.out << "Comment:\n" << f.Comment << (f.Comment.endsWith(QLatin1Char('\n')) ? "" : "\n");
    c.out.flush();
    return ENGINE_OK;
}

} // namespace

void addReadCommands(CommandTable &table) {
    const QStringList common = {QStringLiteral("-P"), QStringLiteral("-x"), QStringLiteral("-O")};
    table.push_back({QStringLiteral("list"),
                     QStringLiteral("[names...] [-x PATTERN] [-P PASSWORD] [-O CODEPAGE] "
                                    "[-!|--multidisk] [-q] [-v]"),
                     QStringLiteral("list the entries: size, packed, ratio, date, time, name"),
                     QStringLiteral("listing"),
                     {QStringLiteral("-!"), QStringLiteral("--multidisk"), QStringLiteral("-q"),
                      QStringLiteral("-v")},
                     common,
                     runList});
    table.push_back(
        {QStringLiteral("test"),
         QStringLiteral("[names...] [-x PATTERN] [-P PASSWORD] [-O CODEPAGE] "
                        "[-!|--multidisk] [-q] [--[no-]progress]"),
         QStringLiteral("check that every entry decompresses to its CRC"),
         QStringLiteral("testing"),
         QStringList{QStringLiteral("-!"), QStringLiteral("--multidisk"), QStringLiteral("-q")} +
             progressFlags(),
         common, runTest});
    table.push_back(
        {QStringLiteral("extract"),
         QStringLiteral("[names...] [-d DIR] [--here] [-j] [-o|-n] [-f|-u] [-x PATTERN] [-P "
                        "PASSWORD] [-O CODEPAGE] [-!|--multidisk] [-q] [--[no-]progress]"),
         QStringLiteral("extract entries into DIR (default: the current folder)"),
         QStringLiteral("extracting"),
         QStringList{QStringLiteral("-j"), QStringLiteral("-o"), QStringLiteral("-n"),
                     QStringLiteral("-f"), QStringLiteral("-u"), QStringLiteral("-!"),
                     QStringLiteral("--here"), QStringLiteral("--multidisk"),
                     QStringLiteral("-q")} +
             progressFlags(),
         {QStringLiteral("-P"), QStringLiteral("-x"), QStringLiteral("-d"), QStringLiteral("-O")},
         runExtract});
    table.push_back({QStringLiteral("comment"),
                     QString(),
                     QStringLiteral("print the archive comment"),
                     QStringLiteral("reading"),
                     {},
                     {},
                     runComment});
    table.push_back({QStringLiteral("info"),
                     QStringLiteral("[-!]"),
                     QStringLiteral("size, entries, compression, date and comment of the archive"),
                     QStringLiteral("reading"),
                     {QStringLiteral("-!")},
                     {},
                     runInfo});
}

} // namespace cli
