#include "NameMatch.h"

TNamePattern::TNamePattern(const QString &pattern)
    : pattern_(pattern.toCaseFolded()), wholeName_(pattern.contains(QLatin1Char('/'))) {}

bool TNamePattern::Matches(QStringView storedName) const {
    QStringView name = storedName;
    if (!wholeName_)
        name = name.mid(name.lastIndexOf(QLatin1Char('/')) + 1);
    const QString folded = name.toString().toCaseFolded();
    // The usual single-star backtracking: on a mismatch the last "*" takes
    // one more character, which is enough because a later "*" can only
    // absorb what an earlier one would.
    qsizetype p = 0;
    qsizetype n = 0;
    qsizetype star = -1;
    qsizetype starredFrom = 0;
    while (n < folded.size()) {
        if (p < pattern_.size() && pattern_[p] == QLatin1Char('*')) {
            star = p++;
            starredFrom = n;
        } else if (p < pattern_.size() &&
                   (pattern_[p] == QLatin1Char('?') || pattern_[p] == folded[n])) {
            ++p;
            ++n;
        } else if (star >= 0) {
            p = star + 1;
            n = ++starredFrom;
        } else {
            return false;
        }
    }
    while (p < pattern_.size() && pattern_[p] == QLatin1Char('*'))
        ++p;
    return p == pattern_.size();
}
