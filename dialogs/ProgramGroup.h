// The texts the create-group dialog proposes and sends to the "ProgMan"
// service.
#pragma once

#include <QString>

#include <optional>

namespace progmangroup {

// At most this many entries become program items.
constexpr int MaxItems = 51;
// Each command, CR LF included, is cut to this many characters.
constexpr int CommandLimit = 255;

// The archive's file name up to its first "."; empty when it has none.
QString DefaultGroupName(const QString &archivePath);

// The file-name part of a stored name or path (after its last "/").
QString FileNamePart(const QString &name);

// "[CreateGroup(name)]" with CR LF, cut to CommandLimit.
QString CreateGroupCommand(const QString &groupName);

// The title of an entry's program item: its file-name part; a folder entry
// ("SUB/") is named after its folder.
QString ItemTitle(const QString &storedName);

// "[AddItem(command line,title)]" with CR LF. With storedFolders the command
// line is the folder and the stored name as they stand; without, the
// file-name part in double quotes. Nothing when the command would be longer
// than CommandLimit: a command cut short would name another file, or none.
std::optional<QString> AddItemCommand(const QString &folder, const QString &storedName,
                                      bool storedFolders);

// What the user is told when `count` items were left out as too long.
QString LeftOutMessage(int count);

} // namespace progmangroup
