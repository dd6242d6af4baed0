#pragma once

#include <QString>
#include <QStringList>

// Reading desktop entries back as a desktop would, to check what the
// program-group service wrote.
namespace platform::testing {

// The value of `key` in the "[Desktop Entry]" group of a launcher file, as
// written (escapes not undone); empty when missing.
QString DesktopEntryValue(const QString &file, const QString &key);

// The arguments of an Exec= value: the string escapes undone first, then the
// quoting rules, then "%%" read as "%".
QStringList ExecArguments(const QString &value);

// What desktop-file-validate finds wrong with `file`; empty when it finds
// nothing or is not installed.
QString ValidatorComplaints(const QString &file);

} // namespace platform::testing
