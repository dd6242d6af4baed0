// Commands that treat the open archive as a file: copy it, rename or move
// it, send it to the trash.
#pragma once

#include "platform/MessageDlg.h"

#include <QString>

class TCommandHost;

void CopyArchive1Click(TCommandHost &form);
void RenameArchive1Click(TCommandHost &form);
void FileDeleteMnClick(TCommandHost &form);

// Asks before an existing file is replaced: Yes or No (Cancel when the box
// is closed from its title bar). MsgResult::None when there is no file, so
// the callers stop only on No.
platform::MsgResult ConfirmReplaceFile(const QString &path);

// Hands the file to the desktop trash, which asks first; true when it moved.
bool RecycleFile(const QString &path);
