// How Find and Select Matching pick rows of the contents list by their
// stored names, case ignored: Find by a text the name contains, Select
// Matching by a wildcard pattern.
#pragma once

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

// Whether a stored name contains the text Find looks for, case ignored.
inline bool NameContains(QStringView storedName, QStringView text) {
    return storedName.contains(text, Qt::CaseInsensitive);
}
