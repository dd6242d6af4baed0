// The texts the create-group dialog proposes and sends to the "ProgMan"
// service.
#pragma once

#include <QString>

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

// "[AddItem(command line,title)]" with CR LF, cut to CommandLimit. With
// storedFolders the command line is the folder and the stored name as they
// stand; without, the file-name part in double quotes.
QString AddItemCommand(const QString &folder, const QString &storedName, bool storedFolders);

} // namespace progmangroup
