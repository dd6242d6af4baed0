#include "Command.h"

namespace cli {

QString Invocation::value(const QString &option) const {
    QString found;
    for (const auto &[name, v] : values) {
        if (name == option)
            found = v;
    }
    return found;
}

QStringList Invocation::all(const QString &option) const {
    QStringList found;
    for (const auto &[name, v] : values) {
        if (name == option)
            found << v;
    }
    return found;
}

} // namespace cli
