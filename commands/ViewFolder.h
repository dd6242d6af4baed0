// The folder the View command extracts into.
#pragma once

#include <QString>
#include <QStringList>

#include <sys/types.h>

#include <vector>

struct TViewFolder {
    QString Folder; // without a trailing "/"; empty when Error is set
    QString Error;  // why the folder cannot be used, for the general error report
};

// The folder of this program instance, inside the base that `tempFolder`
// gives (ViewBaseFor). Made fresh and owner-only the first time it is asked
// for, and again when it has gone; it is removed when the process ends.
// While the instance runs it holds a lock on the file ".lock" inside it, so
// that another instance, whose copies may have the same names, never takes
// it for its own or for a stale one.
TViewFolder ViewFolderFor(const QString &tempFolder, const QString &systemTempFolder);

// `tempFolder` is the TempFolder setting, or the system's temporary folder
// when that is empty; one trailing "/" is dropped. The system's temporary
// folder is shared by every local user, so the base there is the user's
// private subfolder "tarnwick-UID" (made 0700; refused when something else
// of that name is there). A folder the user chose is the base as it stands.
TViewFolder ViewBaseFor(const QString &tempFolder, const QString &systemTempFolder);

// Removes the instance folders in `base` whose instance no longer runs
// (their lock can be taken): copies a crashed instance left, decrypted ones
// among them, do not stay behind for long.
void RemoveStaleViewFolders(const QString &base);

// Creates the private folder or checks the one that is there: a real folder
// (not a link) owned by this user, its mode narrowed to 0700.
TViewFolder PrivateFolder(const QString &path);

// The copies View's extraction wrote, told from files that were there
// before: the engine writes a fresh file and renames it into place, so a
// copy it wrote has an identity (device and inode) it did not have before.
// A file it skipped, such as the open archive itself, keeps its identity
// and is never taken for a copy.
class TViewCopies {
public:
    // Notes what lies under each of `names` in `folder` now.
    TViewCopies(const QString &folder, const QStringList &names);
    // The paths written since, in the order of `names`.
    QStringList Written() const;

private:
    struct Before {
        QString path;
        bool existed;
        dev_t device;
        ino_t inode;
    };
    std::vector<Before> before_;
};
