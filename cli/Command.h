// A subcommand of tarnwick-cli: its name, what it accepts, and the function
// that runs it over the engine component. Read commands live in
// ReadCommands.cpp, write commands in WriteCommands.cpp; the dispatcher only
// sees this table.
#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

#include <functional>
#include <vector>

class TZipEngine;

namespace cli {

class ProgressLine;
class Terminal;

// The command line after the subcommand: the archive, the names, and the
// options with their values, in order.
struct Invocation {
    QString archive;
    QStringList names;
    QStringList flags;                     // e.g. "-j", "-o"
    QList<QPair<QString, QString>> values; // e.g. ("-d", "out"), ("-x", "*.tmp")

    bool has(const QString &flag) const { return flags.contains(flag); }
    QString value(const QString &option) const; // the last one given, or empty
    QStringList all(const QString &option) const;
};

struct Context {
    TZipEngine &engine;
    const Invocation &args;
    QTextStream &out;
    QTextStream &err;
    Terminal &terminal;
    // Erased before every other line written while an operation runs.
    ProgressLine &progress;
};

// The options that choose the progress line, taken by add, update,
// freshen, extract, test and fix.
QStringList progressFlags();
// Whether the progress line is drawn: on a terminal unless -q, or as
// --progress / --no-progress say (the last one given).
bool wantsProgress(const Invocation &args, bool stderrIsTerminal);
// Whether a line per entry is printed: not with -q, nor when the progress
// line stands in for them on a terminal.
bool wantsEntryLines(const Context &c);

struct Command {
    QString name;
    QString usage;                     // after "tarnwick-cli NAME ARCHIVE"
    QString summary;                   // one line for --help
    QString verb;                      // for result messages: "extracting", ...
    QStringList flags;                 // options without a value
    QStringList valueOptions;          // options followed by a value
    std::function<int(Context &)> run; // returns the engine result code
};

using CommandTable = std::vector<Command>;

// Disks of a multi-disk set asked for on the terminal (ReadCommands.cpp).
void askForDisks(Context &c);

// Each file adds its commands; the dispatcher calls both.
void addReadCommands(CommandTable &table);
void addWriteCommands(CommandTable &table);

} // namespace cli
