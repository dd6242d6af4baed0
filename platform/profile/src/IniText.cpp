#include "IniText.h"

namespace platform::ini {

namespace {

bool SameName(const QString &a, const QString &b) {
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

bool IsComment(const QString &trimmedLine) {
    return trimmedLine.startsWith(u';');
}

} // namespace

std::optional<QString> SectionNameOf(const QString &line) {
    const QString trimmed = line.trimmed();
    if (!trimmed.startsWith(u'['))
        return std::nullopt;
    const qsizetype close = trimmed.indexOf(u']');
    // An unclosed header still opens a section, as the system's reader allows.
    const QString name = close < 0 ? trimmed.mid(1) : trimmed.mid(1, close - 1);
    return name.trimmed();
}

std::optional<std::pair<QString, QString>> KeyValueOf(const QString &line) {
    const QString trimmed = line.trimmed();
    if (trimmed.isEmpty() || IsComment(trimmed) || trimmed.startsWith(u'['))
        return std::nullopt;
    const qsizetype eq = trimmed.indexOf(u'=');
    if (eq < 0)
        return std::nullopt;
    return std::make_pair(trimmed.left(eq).trimmed(), trimmed.mid(eq + 1).trimmed());
}

QString ReadableValue(const QString &raw) {
    QString value = raw.trimmed();
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == u'"' || first == u'\'') && value.back() == first)
            value = value.mid(1, value.size() - 2);
    }
    return value;
}

IniText::IniText(const QByteArray &content) {
    QString text = QString::fromUtf8(content);
    if (text.contains(QStringLiteral("\r\n")))
        eol_ = QStringLiteral("\r\n");
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (text.isEmpty())
        return;
    if (text.endsWith(u'\n'))
        text.chop(1);
    lines_ = text.split(u'\n');
}

QByteArray IniText::content() const {
    if (lines_.isEmpty())
        return {};
    return (lines_.join(eol_) + eol_).toUtf8();
}

std::optional<IniText::Range> IniText::findSection(const QString &section) const {
    for (int i = 0; i < lines_.size(); ++i) {
        const auto name = SectionNameOf(lines_[i]);
        if (!name || !SameName(*name, section))
            continue;
        int end = i + 1;
        while (end < lines_.size() && !SectionNameOf(lines_[end]))
            ++end;
        return Range{i, end};
    }
    return std::nullopt;
}

int IniText::findKey(const Range &range, const QString &key) const {
    for (int i = range.header + 1; i < range.end; ++i) {
        const auto kv = KeyValueOf(lines_[i]);
        if (kv && SameName(kv->first, key))
            return i;
    }
    return -1;
}

std::optional<QString> IniText::value(const QString &section, const QString &key) const {
    const auto range = findSection(section);
    if (!range)
        return std::nullopt;
    const int line = findKey(*range, key);
    if (line < 0)
        return std::nullopt;
    return ReadableValue(KeyValueOf(lines_[line])->second);
}

void IniText::setValue(const QString &section, const QString &key, const QString &value) {
    const auto range = findSection(section);
    const int line = range ? findKey(*range, key) : -1;
    if (value.isNull()) {
        if (line >= 0)
            lines_.removeAt(line);
        return;
    }
    if (line >= 0) {
        // Keep the spelling the file already uses for the key.
        lines_[line] = KeyValueOf(lines_[line])->first + u'=' + value;
        return;
    }
    const QString entry = key.trimmed() + u'=' + value;
    if (range) {
        int last = range->end - 1;
        while (last > range->header && lines_[last].trimmed().isEmpty())
            --last;
        lines_.insert(last + 1, entry);
        return;
    }
    if (!lines_.isEmpty() && !lines_.back().trimmed().isEmpty())
        lines_.append(QString());
    lines_.append(u'[' + section.trimmed() + u']');
    lines_.append(entry);
}

void IniText::removeSection(const QString &section) {
    const auto range = findSection(section);
    if (!range)
        return;
    lines_.remove(range->header, range->end - range->header);
}

} // namespace platform::ini
