// The program's arguments for the file manager's actions:
//   tarnwick --extract-here ARCHIVE...       beside each archive, in a folder
//                                            named for it unless its entries
//                                            share one top-level name
//   tarnwick --extract-to-folder ARCHIVE...  always into that folder
//   tarnwick --add-to FILE...                into a new ZIP archive beside them
// They run without the main window: a small window shows the progress, and
// the skip, replace and result messages are the main window's own.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

struct TSettings;

enum class TFileAction { ExtractHere, ExtractToFolder, AddTo };

struct TFileActionRequest {
    TFileAction Action = TFileAction::ExtractHere;
    QStringList Files;
};

// The request when the first argument (after the program's name) is one of
// ours; nothing otherwise, and the arguments are the main window's.
std::optional<TFileActionRequest> ParseFileAction(const QStringList &arguments);

// The archive "Add to ZIP archive" makes for `files`: NAME.zip beside the
// first of them (NAME: that file's name without its suffix, or for several
// files their folder's name), with "-2", "-3", ... before ".zip" while the
// name is taken, so that no archive already there is changed.
QString NewArchiveFor(const QStringList &files);

// Runs the request with the user's settings (compression, hidden files,
// links, overwrite, password); the exit status is the worst result class
// (0 done, 1 warnings such as skipped files, 2 failed).
int RunFileAction(const TFileActionRequest &request, const TSettings &settings);

// What the program's start calls first: runs the action the arguments name,
// with the settings of the INI file; nothing when they name none.
std::optional<int> RunFileActionFromArguments(const QStringList &arguments);
