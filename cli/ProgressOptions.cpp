#include "Command.h"
#include "ProgressLine.h"

#include <unistd.h>

namespace cli {

QStringList progressFlags() {
    return {QStringLiteral("--progress"), QStringLiteral("--no-progress")};
}

bool wantsProgress(const Invocation &args, bool stderrIsTerminal) {
    const qsizetype on = args.flags.lastIndexOf(QStringLiteral("--progress"));
    const qsizetype off = args.flags.lastIndexOf(QStringLiteral("--no-progress"));
    if (on >= 0 || off >= 0)
        return on > off;
    return stderrIsTerminal && !args.has(QStringLiteral("-q"));
}

bool wantsEntryLines(const Context &c) {
    if (c.args.has(QStringLiteral("-q")))
        return false;
    // In a pipe or a file the lines stay, whatever is drawn on the terminal.
    return !c.progress.enabled() || !::isatty(STDOUT_FILENO);
}

} // namespace cli
