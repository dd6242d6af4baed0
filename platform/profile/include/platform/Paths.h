#pragma once

#include <QString>

namespace platform {

// The system's temporary folder with a trailing "/", the way callers expect it.
QString TempPath();

// True when both paths lead to one file: the same path, another spelling
// of it, a symbolic link or a hard link. False when either is missing.
bool IsSameFile(const QString &a, const QString &b);

// Folder of the running program, without a trailing "/".
QString ProgramFolder();

// Folders that hold the files shipped "beside the program" (read-me files, the
// help file): the program's folder, then ../share/tarnwick relative to it.
QStringList BesideProgramFolders();

// Full path of `name` in the first of BesideProgramFolders() that has it; when
// none has it, the path it would have in the program's folder.
QString FindBesideProgram(const QString &name);

} // namespace platform
