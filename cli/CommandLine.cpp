#include "CommandLine.h"

namespace cli {

bool parseInvocation(const Command &command, const QStringList &args, Invocation &out,
                     QString &error) {
    bool optionsDone = false;
    QStringList positional;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (!optionsDone && a == QLatin1String("--")) {
            optionsDone = true;
            continue;
        }
        if (optionsDone || !a.startsWith(QLatin1Char('-')) || a.size() < 2) {
            positional << a;
            continue;
        }
        if (command.valueOptions.contains(a)) {
            if (i + 1 >= args.size()) {
                error = QStringLiteral("option %1 needs a value").arg(a);
                return false;
            }
            out.values.append({a, args[++i]});
        } else if (command.flags.contains(a)) {
            out.flags << a;
        } else {
            error = QStringLiteral("unknown option %1 for %2").arg(a, command.name);
            return false;
        }
    }
    if (positional.isEmpty()) {
        error = QStringLiteral("no archive given");
        return false;
    }
    out.archive = positional.takeFirst();
    out.names = positional;
    return true;
}

} // namespace cli
