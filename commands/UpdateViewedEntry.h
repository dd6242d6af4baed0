// Puts a copy that View opened, and that was edited since, back into the
// open archive as the entry it came from.
#pragma once

#include <QString>

#include <sys/types.h>

class TArchiveSession;
class TArchiveView;

// The copy the user was asked about.
struct TViewedCopy {
    QString path;
    QString storedName;
    // The copy's identity when the question was asked: the file put back
    // is that one or none.
    dev_t device = 0;
    ino_t inode = 0;
    // What opened the entry when it was viewed; it encrypts the entry again.
    QString password;
};

// The Update command for one file, without its dialog: the copy is stored
// under its stored name, with its folders whatever StorePath says, replacing
// the entry whatever the two dates are, and no other entry changes. The
// entry keeps its encryption (none, ZipCrypto, or AES with its key length)
// whatever the configuration says. The copy is read without following a
// link and only while it is still the file asked about; otherwise, or when
// the entry's encryption cannot be kept (its method is unknown to us, or it
// had a password the copy was not opened with), nothing is stored and the
// user is told why.
void UpdateViewedEntry(TArchiveSession &session, TArchiveView &form, const TViewedCopy &copy);

// Whether `storedName` names a file the engine would store under exactly
// that name: parts separated by "/", none empty, "." or "..".
bool IsPlainStoredFileName(const QString &storedName);
