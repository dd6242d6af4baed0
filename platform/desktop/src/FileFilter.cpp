#include "FileFilter.h"

#include <QFileInfo>

namespace platform {

QString CaseInsensitivePattern(const QString &pattern) {
    // "*.*" means every file, also one whose name has no dot.
    if (pattern == QStringLiteral("*.*"))
        return QStringLiteral("*");
    QString out;
    bool inBracket = false;
    for (const QChar c : pattern) {
        if (c == u'[')
            inBracket = true;
        else if (c == u']')
            inBracket = false;
        if (!inBracket && c.isLetter() && c.toLower() != c.toUpper())
            out += u'[' + c.toLower() + c.toUpper() + u']';
        else
            out += c;
    }
    return out;
}

QStringList QtNameFilters(const QString &filter) {
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        const QStringList raw = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        for (const QString &p : raw)
            patterns << CaseInsensitivePattern(p.trimmed());
        filters << parts[i] + QStringLiteral(" (") + patterns.join(u' ') + u')';
    }
    if (filters.isEmpty())
        filters << QStringLiteral("All files (*)");
    return filters;
}

QString WithDefaultExtension(const QString &name, const QString &defaultExt) {
    QString ext = defaultExt;
    if (ext.startsWith(QStringLiteral("*.")))
        ext = ext.mid(2);
    if (ext.startsWith(u'.'))
        ext = ext.mid(1);
    if (ext.isEmpty() || ext.contains(u'*') || ext.contains(u'?'))
        return name;
    if (!QFileInfo(name).suffix().isEmpty())
        return name;
    return name + u'.' + ext;
}

} // namespace platform
