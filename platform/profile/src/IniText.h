#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace platform::ini {

// The text of an INI file as lines, edited one key at a time. Lines that are
// not the key being written (comments, blank lines, other keys, text that is
// neither) stay exactly as they were, and so does the line-end style.
class IniText {
public:
    explicit IniText(const QByteArray &content);

    // Value of the first `key` in the first section named `section`; names
    // compare without regard to case and surrounding blanks.
    std::optional<QString> value(const QString &section, const QString &key) const;

    // Sets the key, adding the section (at the end) and the key (after the
    // section's last non-blank line) when missing. A null value removes the key.
    void setValue(const QString &section, const QString &key, const QString &value);
    // Removes the first section named `section` with all its lines.
    void removeSection(const QString &section);

    QByteArray content() const;

private:
    struct Range {
        int header; // index of the "[section]" line
        int end;    // one past the section's last line
    };
    std::optional<Range> findSection(const QString &section) const;
    int findKey(const Range &range, const QString &key) const;

    QStringList lines_;
    QString eol_ = QStringLiteral("\n");
};

// Parts of one line; exposed for the tests of the line grammar.
std::optional<QString> SectionNameOf(const QString &line);
// Key and raw value of a "key=value" line; nothing for comments and other text.
std::optional<std::pair<QString, QString>> KeyValueOf(const QString &line);
// A value as a read returns it: blanks trimmed, one pair of enclosing quotes removed.
QString ReadableValue(const QString &raw);

} // namespace platform::ini
