// How Find and Select Matching pick rows of the contents list by their
// stored names, case ignored: Find by a text the name contains, Select
// Matching by a wildcard pattern.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// A wildcard pattern as Select Matching takes it: "*" stands for any run of
// characters, "/" included, and "?" for any one character. A pattern
// without "/" is matched against the file-name part of a stored name, so
// "*.txt" picks the text files in every folder; one with "/" is matched
// against the whole stored name, so "src/*" picks everything below src.
class TNamePattern {
public:
    explicit TNamePattern(const QString &pattern);
    bool Matches(QStringView storedName) const;

private:
    QString pattern_; // case-folded
    bool wholeName_ = false;
};

// The text Find looks for in stored names, case ignored. The names come in
// UTF-8 as the contents list keeps them; a plain ASCII text is looked for
// in their bytes without making a string of each.
class TNameFinder {
public:
    explicit TNameFinder(const QString &text);
    bool FoundIn(QByteArrayView utf8Name) const;

private:
    QString text_;
    QByteArray foldedAscii_; // the text folded, when it is plain ASCII
};
