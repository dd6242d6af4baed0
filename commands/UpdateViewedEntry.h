// Puts a copy that View opened, and that was edited since, back into the
// open archive as the entry it came from.
#pragma once

#include <QString>

class TMainFormFm;

// The Update command for one file, without its dialog: the copy at `copy`
// is stored under `storedName`, with its folders whatever StorePath says,
// and no other entry changes. The engine stores a file under the path it is
// given, so the copy is linked into a private staging folder under that
// name and given from there.
void UpdateViewedEntry(TMainFormFm &form, const QString &copy, const QString &storedName);

// Whether `storedName` names a file the engine would store under exactly
// that name: parts separated by "/", none empty, "." or "..".
bool IsPlainStoredFileName(const QString &storedName);
