// Entry names may hold control characters (a hostile archive can hide
// terminal escapes in them); these show such a character as \xNN.
#pragma once

#include <QString>

#include <string>

namespace cli {

QString printable(const QString &name);

// The same in UTF-8, without a copy through QString when nothing needs escaping.
std::string printableBytes(const QString &name);

} // namespace cli
