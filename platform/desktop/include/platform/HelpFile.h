#pragma once

#include <QString>
#include <QStringList>

#include <map>
#include <optional>
#include <vector>

// The help file "Tarnwick.hlp": plain UTF-8 text of our own format.
//
//   TARNWICK-HELP 1                 first line, the format and its version
//   # comment                       a line beginning with "#" is skipped anywhere
//   @title Tarnwick Help            the viewer's window title
//   @contents 1                     context number of the contents topic
//   @helponhelp 2                   context number of "how to use help"
//   == 1012 New Archive             starts a topic: context number, title
//   @keywords new archive; create   keywords of the topic (";"-separated, may repeat)
//   text ...                        the body, up to the next "==" line; a blank
//                                   line separates paragraphs; [[1026|Open]]
//                                   links to topic 1026 with the text "Open"
//
// Context numbers are unique. "##" at the start of a body line keeps a literal
// "#"; "@" lines are directives only directly after the "==" line.
namespace platform::help {

struct Topic {
    int context = 0;
    QString title;
    QStringList keywords;
    QString body; // as written, lines joined with "\n"
};

struct ParseError {
    int line = 0; // 1-based
    QString message;
};

class HelpFile {
public:
    static std::optional<HelpFile> parse(const QString &text, ParseError *error = nullptr);
    static std::optional<HelpFile> load(const QString &path, ParseError *error = nullptr);

    QString title() const { return title_; }
    int contentsContext() const { return contents_; }
    int helpOnHelpContext() const { return helpOnHelp_; }

    const Topic *topic(int context) const;
    const std::vector<Topic> &topics() const { return topics_; }

    // Every keyword once, sorted without regard to case.
    QStringList keywords() const;
    // Keywords that begin with `prefix` (any letter case); all for an empty one.
    QStringList keywordsStartingWith(const QString &prefix) const;
    // Context numbers of the topics that carry `keyword` (any letter case).
    std::vector<int> topicsForKeyword(const QString &keyword) const;

private:
    QString title_;
    int contents_ = 0;
    int helpOnHelp_ = 0;
    std::vector<Topic> topics_;
    std::map<int, size_t> byContext_;
};

// The body as HTML for the viewer: paragraphs, escaped text, links as
// <a href="topic:N">.
QString BodyToHtml(const QString &body);

} // namespace platform::help
