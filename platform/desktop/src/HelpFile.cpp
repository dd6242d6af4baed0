#include "platform/HelpFile.h"

#include <QFile>
#include <QRegularExpression>

namespace platform::help {

namespace {

constexpr QStringView kMagic = u"TARNWICK-HELP 1";

bool Fail(ParseError *error, int line, const QString &message) {
    if (error)
        *error = ParseError{line, message};
    return false;
}

std::optional<int> ContextNumber(const QString &text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < 0)
        return std::nullopt;
    return value;
}

QString TrimBody(const QStringList &lines) {
    qsizetype first = 0;
    qsizetype last = lines.size();
    while (first < last && lines[first].trimmed().isEmpty())
        ++first;
    while (last > first && lines[last - 1].trimmed().isEmpty())
        --last;
    return lines.mid(first, last - first).join(u'\n');
}

} // namespace

std::optional<HelpFile> HelpFile::parse(const QString &text, ParseError *error) {
    QString normalized = text;
    normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QStringList lines = normalized.split(u'\n');
    if (lines.isEmpty() || lines.front().trimmed() != kMagic) {
        Fail(error, 1, QStringLiteral("not a help file (expected \"%1\")").arg(kMagic));
        return std::nullopt;
    }
    HelpFile file;
    Topic *current = nullptr;
    QStringList body;
    bool inHeader = false; // directly after "==": directives still allowed
    auto finishTopic = [&] {
        if (current)
            current->body = TrimBody(body);
        body.clear();
    };
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const int lineNo = int(i + 1);
        const QString &line = lines[i];
        if (line.startsWith(QStringLiteral("=="))) {
            finishTopic();
            const QString rest = line.mid(2).trimmed();
            const qsizetype blank = rest.indexOf(u' ');
            const auto context = ContextNumber(blank < 0 ? rest : rest.left(blank));
            if (!context) {
                Fail(error, lineNo, QStringLiteral("topic without a context number"));
                return std::nullopt;
            }
            if (file.byContext_.count(*context)) {
                Fail(error, lineNo, QStringLiteral("context %1 defined twice").arg(*context));
                return std::nullopt;
            }
            file.byContext_[*context] = file.topics_.size();
            file.topics_.push_back(
                Topic{*context, blank < 0 ? QString() : rest.mid(blank + 1).trimmed(), {}, {}});
            current = &file.topics_.back();
            inHeader = true;
            continue;
        }
        if (line.startsWith(QStringLiteral("##"))) {
            inHeader = false;
            body << line.mid(1);
            continue;
        }
        if (line.startsWith(u'#'))
            continue;
        const bool directive = line.startsWith(u'@') && (!current || inHeader);
        if (!directive) {
            if (!current) {
                if (!line.trimmed().isEmpty()) {
                    Fail(error, lineNo, QStringLiteral("text before the first topic"));
                    return std::nullopt;
                }
                continue;
            }
            inHeader = false;
            body << line;
            continue;
        }
        const qsizetype blank = line.indexOf(u' ');
        const QString name = line.mid(1, blank < 0 ? -1 : blank - 1);
        const QString value = blank < 0 ? QString() : line.mid(blank + 1).trimmed();
        if (current && name == u"keywords") {
            const QStringList words = value.split(u';', Qt::SkipEmptyParts);
            for (const QString &word : words) {
                if (!word.trimmed().isEmpty())
                    current->keywords << word.trimmed();
            }
        } else if (!current && name == u"title") {
            file.title_ = value;
        } else if (!current && (name == u"contents" || name == u"helponhelp")) {
            const auto context = ContextNumber(value);
            if (!context) {
                Fail(error, lineNo, QStringLiteral("@%1 needs a context number").arg(name));
                return std::nullopt;
            }
            (name == u"contents" ? file.contents_ : file.helpOnHelp_) = *context;
        } else {
            Fail(error, lineNo, QStringLiteral("unknown directive @%1").arg(name));
            return std::nullopt;
        }
    }
    finishTopic();
    for (int needed : {file.contents_, file.helpOnHelp_}) {
        if (needed != 0 && !file.topic(needed)) {
            Fail(error, 0, QStringLiteral("topic %1 is named but missing").arg(needed));
            return std::nullopt;
        }
    }
    return file;
}

std::optional<HelpFile> HelpFile::load(const QString &path, ParseError *error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Fail(error, 0, QStringLiteral("cannot open %1").arg(path));
        return std::nullopt;
    }
    return parse(QString::fromUtf8(file.readAll()), error);
}

const Topic *HelpFile::topic(int context) const {
    const auto it = byContext_.find(context);
    return it == byContext_.end() ? nullptr : &topics_[it->second];
}

QStringList HelpFile::keywords() const {
    QStringList all;
    for (const Topic &t : topics_) {
        for (const QString &k : t.keywords) {
            if (!all.contains(k, Qt::CaseInsensitive))
                all << k;
        }
    }
    std::sort(all.begin(), all.end(), [](const QString &a, const QString &b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    return all;
}

QStringList HelpFile::keywordsStartingWith(const QString &prefix) const {
    QStringList matching;
    const QStringList all = keywords();
    for (const QString &k : all) {
        if (k.startsWith(prefix.trimmed(), Qt::CaseInsensitive))
            matching << k;
    }
    return matching;
}

std::vector<int> HelpFile::topicsForKeyword(const QString &keyword) const {
    std::vector<int> contexts;
    for (const Topic &t : topics_) {
        if (t.keywords.contains(keyword.trimmed(), Qt::CaseInsensitive))
            contexts.push_back(t.context);
    }
    return contexts;
}

QString BodyToHtml(const QString &body) {
    static const QRegularExpression link(QStringLiteral("\\[\\[(\\d+)\\|([^\\]]*)\\]\\]"));
    QString html;
    const QStringList paragraphs = body.split(QStringLiteral("\n\n"));
    for (const QString &paragraph : paragraphs) {
        if (paragraph.trimmed().isEmpty())
            continue;
        QString out;
        qsizetype last = 0;
        auto it = link.globalMatch(paragraph);
        while (it.hasNext()) {
            const auto m = it.next();
            out += paragraph.mid(last, m.capturedStart() - last).toHtmlEscaped();
            out += QStringLiteral("<a href=\"topic:%1\">%2</a>")
                       .arg(m.captured(1), m.captured(2).toHtmlEscaped());
            last = m.capturedEnd();
        }
        out += paragraph.mid(last).toHtmlEscaped();
        out.replace(u'\n', QStringLiteral("<br>"));
        html += QStringLiteral("<p>") + out + QStringLiteral("</p>");
    }
    return html;
}

} // namespace platform::help
