#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// A "Description|*.EXT;*.X|..." filter list turned into QFileDialog name
// filters. Patterns are spelled to match any letter case ("*.ZIP" also finds
// "a.zip"); with QFileDialog::HideNameFilterDetails the user sees only the
// description.
QStringList QtNameFilters(const QString &filter);

// "*.ZIP" -> "*.[zZ][iI][pP]".
QString CaseInsensitivePattern(const QString &pattern);

// `name` with ".ext" appended when it has no extension of its own and
// `defaultExt` is a real extension (not empty, not "*" or "*.*").
QString WithDefaultExtension(const QString &name, const QString &defaultExt);

} // namespace platform
