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

namespace {

char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

} // namespace

TNameFinder::TNameFinder(const QString &text) : text_(text) {
    for (const QChar c : text) {
        if (c.unicode() >= 0x80) {
            foldedAscii_.clear();
            return;
        }
        foldedAscii_ += FoldAscii(static_cast<char>(c.unicode()));
    }
}

bool TNameFinder::FoundIn(QByteArrayView utf8Name) const {
    if (text_.isEmpty())
        return true;
    const qsizetype length = foldedAscii_.size();
    if (length > 0) {
        bool ascii = true;
        for (qsizetype start = 0; start < utf8Name.size(); ++start) {
            ascii = ascii && static_cast<unsigned char>(utf8Name[start]) < 0x80;
            if (start + length > utf8Name.size())
                continue;
            qsizetype k = 0;
            while (k < length && FoldAscii(utf8Name[start + k]) == foldedAscii_[k])
                ++k;
            if (k == length)
                return true;
        }
        // Beyond ASCII a letter can fold to an ASCII one (the Kelvin sign to
        // "k"): only a name of plain ASCII is settled by its bytes.
        if (ascii)
            return false;
    }
    return QString::fromUtf8(utf8Name).contains(text_, Qt::CaseInsensitive);
}
