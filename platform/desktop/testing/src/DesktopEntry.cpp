#include "platform/testing/DesktopEntry.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

namespace platform::testing {

QString DesktopEntryValue(const QString &file, const QString &key) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    bool inEntry = false;
    for (const QString &line : QString::fromUtf8(f.readAll()).split(u'\n')) {
        if (line.startsWith(u'['))
            inEntry = line == QStringLiteral("[Desktop Entry]");
        else if (inEntry && line.startsWith(key + u'='))
            return line.mid(key.size() + 1);
    }
    return QString();
}

QStringList ExecArguments(const QString &value) {
    QString line;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == u'\\' && i + 1 < value.size()) {
            const QChar next = value[++i];
            line += next == u's'   ? QChar(u' ')
                    : next == u'n' ? QChar(u'\n')
                    : next == u't' ? QChar(u'\t')
                    : next == u'r' ? QChar(u'\r')
                                   : next;
            continue;
        }
        line += value[i];
    }
    QStringList args;
    QString arg;
    bool quoted = false;
    bool started = false;
    const auto finish = [&] {
        if (started)
            args << arg.replace(QStringLiteral("%%"), QStringLiteral("%"));
        arg.clear();
        started = false;
    };
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted && c == u'\\' && i + 1 < line.size() &&
            QStringLiteral("\"`$\\").contains(line[i + 1])) {
            arg += line[++i];
        } else if (c == u'"') {
            quoted = !quoted;
            started = true;
        } else if (!quoted && c == u' ') {
            finish();
        } else {
            arg += c;
            started = true;
        }
    }
    finish();
    return args;
}

QString ValidatorComplaints(const QString &file) {
    const QString validator =
        QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validator.isEmpty())
        return QString();
    QProcess process;
    process.start(validator, {file});
    if (!process.waitForFinished(30000))
        return QStringLiteral("desktop-file-validate did not finish");
    if (process.exitCode() == 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
}

} // namespace platform::testing
