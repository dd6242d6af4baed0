// The damaged archive kept while Fix replaces it, so that it can go to the
// desktop trash afterwards: a repair leaves out what it cannot save, and the
// user must be able to get that back. The kept file is a hard link to the
// archive (or, where the file system has none, a copy) under the archive's
// own name, in a hidden folder beside it, so the trash shows that name.
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
    // The kept file has gone (to the trash): only its folder is left to
    // remove.
    void release();
    // Puts the kept file beside the archive as "NAME.damaged" (or
    // "NAME.damaged2", ...) and returns that path; empty when it could not.
    QString leaveBeside();

private:
    QString folder_;
    QString path_;
    QString archive_;
};

} // namespace commands
