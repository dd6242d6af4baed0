// tarnwick-cli: the archive operations of the program for scripts and
// measurements, over the same engine component the windows use.
#include "Command.h"
#include "CommandLine.h"
#include "Interrupts.h"
#include "ProgressLine.h"
#include "ResultText.h"
#include "Terminal.h"
#include "ZipEngine.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

void printHelp(QTextStream &out, const cli::CommandTable &table) {
    out << "Usage: tarnwick-cli COMMAND ARCHIVE [names...] [options]\n"
           "       tarnwick-cli --help | --version\n\n"
           "Commands:\n";
    for (const auto &c : table)
        out << "  " << c.name.leftJustified(9) << c.summary << '\n';
    out << "\nUsage of each command:\n";
    for (const auto &c : table)
        out << "  tarnwick-cli " << c.name << " ARCHIVE " << c.usage << '\n';
    out << "\nOptions:\n"
           "  -d DIR       extract into DIR, made if missing\n"
           "  --here       extract beside the archive (or in DIR), into a new folder\n"
           "               named for it unless every entry is under one top-level name\n"
           "  -j           drop the folder part of entry names\n"
           "  -y           add, update, freshen: store symbolic links as links, not\n"
           "               the files they name\n"
           "  -o / -n      replace existing files always / never (default: ask)\n"
           "  -f           freshen: only files that exist and are older\n"
           "  -u           update: as -f, plus files that do not exist\n"
           "  -P PASSWORD  password for encrypted entries (traditional or AES)\n"
           "  --encryption zipcrypto|aes256  add, update, freshen: how -P encrypts\n"
           "               (default zipcrypto, readable everywhere; aes256: WinZip AES-256)\n"
           "  -O CODEPAGE  code page of names stored without UTF-8, e.g. CP866, CP932\n"
           "               (default: from the locale's language)\n"
           "  -x PATTERN   leave out entries matching PATTERN (repeatable)\n"
           "  -!, --multidisk  a set of pieces NAME.z01, NAME.z02, ..., NAME.zip;\n"
           "               add: --piece-size SIZE (e.g. 1440k, 100m) ends pieces at SIZE,\n"
           "               --clear-disks removes an older set's pieces first\n"
           "  -q           quiet: no line per entry\n"
           "  --progress / --no-progress\n"
           "               add, update, freshen, extract, test, fix: draw / do not draw a\n"
           "               progress line on standard error (default: on a terminal, not\n"
           "               with -q); on a terminal it stands in for the line per entry\n"
           "  -v           list: also the method of each entry (Deflate, AES-256 + Deflate, ...)\n"
           "Names and patterns use \"*\", \"?\" and \"[...]\"; \"/\" and \"\\\" are the same.\n"
           "Questions are asked on the terminal; without one they are answered \"no\".\n\n"
           "Exit status: 0 success, 1 warning (e.g. some files skipped), 2 failure.\n";
}

} // namespace

int main(int argc, char **argv) {
    // Without TZ, the C library checks /etc/localtime again for every local
    // time it converts, which costs more than reading a directory entry;
    // naming the same file lets it keep what it read.
    if (std::getenv("TZ") == nullptr)
        setenv("TZ", ":/etc/localtime", 0);
    QCoreApplication app(argc, argv);
    zipengine::InstallInterruptHandlers();
    QTextStream out(stdout);
    QTextStream err(stderr);
    cli::CommandTable table;
    cli::addReadCommands(table);
    cli::addWriteCommands(table);

    // Arguments are UTF-8, as Qt takes them on Linux; converting them here
    // skips its general converter, which costs more than reading an entry
    // when every entry of an archive is named.
    QStringList args;
    args.reserve(argc > 0 ? argc - 1 : 0);
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromUtf8(argv[i]));
    if (args.isEmpty() || args[0] == QLatin1String("--help") || args[0] == QLatin1String("-h")) {
        printHelp(out, table);
        return args.isEmpty() ? 2 : 0;
    }
    if (args[0] == QLatin1String("--version")) {
        out << "tarnwick-cli " TARNWICK_VERSION "\n";
        return 0;
    }
    const QString name = args.takeFirst();
    auto command = std::find_if(table.begin(), table.end(),
                                [&](const cli::Command &c) { return c.name == name; });
    if (command == table.end()) {
        err << "tarnwick-cli: unknown command " << name << " (see --help)\n";
        return 2;
    }
    if (args.contains(QStringLiteral("--help"))) {
        out << "tarnwick-cli " << command->name << " ARCHIVE " << command->usage << "\n  "
            << command->summary << '\n';
        return 0;
    }
    cli::Invocation invocation;
    QString problem;
    if (!cli::parseInvocation(*command, args, invocation, problem)) {
        err << "tarnwick-cli: " << problem << " (see --help)\n";
        return 2;
    }
    // A folder or a device is never an archive; the engine would only call
    // it missing or damaged.
    const QFileInfo archive(invocation.archive);
    if (archive.exists() && !archive.isFile()) {
        err << "tarnwick-cli: " << invocation.archive << ": not a regular file\n";
        return 2;
    }
    TZipEngine engine;
    cli::Terminal terminal;
    const bool showsProgress = command->flags.contains(QStringLiteral("--progress")) &&
                               cli::wantsProgress(invocation, ::isatty(STDERR_FILENO) != 0);
    cli::ProgressLine progress(err, showsProgress);
    cli::Context context{engine, invocation, out, err, terminal, progress};
    const int code = command->run(context);
    progress.clear();
    out.flush();
    const cli::ResultText result = cli::resultText(code, command->verb);
    if (!result.text.isEmpty())
        err << "tarnwick-cli: " << cli::failurePrefix(code, invocation.archive, command->verb)
            << result.text << '\n';
    return result.resultClass;
}
