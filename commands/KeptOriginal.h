// The damaged archive kept while Fix replaces it, so that it can go to the
// desktop trash afterwards: a repair leaves out what it cannot save, and the
// user must be able to get that back. The kept file is a hard link to the
// archive (or, where the file system has none, a copy) in a hidden folder
// beside it.
#pragma once

#include <QString>

namespace commands {

class KeptOriginal {
public:
    KeptOriginal() = default;
    KeptOriginal(const KeptOriginal &) = delete;
    KeptOriginal &operator=(const KeptOriginal &) = delete;
    // Removes whatever is still kept: the archive itself was not replaced.
    ~KeptOriginal();

    // Links or copies `archive` (through a symbolic link, the file it
    // points to). False when neither can be made.
    bool keep(const QString &archive);
    const QString &path() const { return path_; }
    // After the repair has replaced the archive: moves the kept file to the
    // desktop trash from the archive's own path, so that the trash shows
    // its name and restores it to its place; the repaired archive waits in
    // the hidden folder meanwhile and then takes the name again. False when
    // the trash refused it: the kept file is still kept.
    bool sendToTrash();
    // Keeps the kept file for good (it is the only copy left somewhere).
    void release();
    // Puts the kept file beside the archive as "NAME.damaged" (or
    // "NAME.damaged2", ...) and returns that path; empty when it could not.
    QString leaveBeside();

private:
    QString folder_;
    QString path_;
    QString archive_; // the archive's real path (links followed)
};

} // namespace commands
