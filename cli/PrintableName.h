// Entry names may hold control characters (a hostile archive can hide
// terminal escapes in them, and so can the name of a file being added);
// every name the tool writes goes through these, which show such a
// character as \xNN.
#pragma once

#include <QString>

#include <string>

namespace cli {

QString printable(const QString &name);

// The same in UTF-8, without a copy through QString when nothing needs escaping.
std::string printableBytes(const QString &name);

} // namespace cli
