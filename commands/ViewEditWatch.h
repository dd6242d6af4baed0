// Copies opened by View, watched while the program runs, so that a copy
// edited in another program can be put back into its archive.
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <sys/types.h>
#include <vector>

class TCommandHost;

// What a copy looked like when last seen; any difference is a change. An
// editor that saves by writing a new file and renaming it over the copy
// gives it another identity, one that writes in place another time or size.
struct TCopyStamp {
    bool exists = false; // as a regular file, not through a link
    dev_t device = 0;
    ino_t inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    bool operator==(const TCopyStamp &) const = default;
    static TCopyStamp Of(const QString &path);
};

// A change is asked about once the program is in front, at once when it is
// in front already: "The file NAME has been changed. Update it in the
// archive?". Yes puts the copy back as its entry (UpdateViewedEntry), No
// forgets the change; either way the next change asks again. A change to a
// copy whose archive is no longer the open one is only told in the status
// line. The question waits while a command runs or a dialog is up.
class TViewEditWatch : public QObject {
    Q_OBJECT
public:
    // Owned by `form`, as its child named "ViewEditWatch".
    explicit TViewEditWatch(TCommandHost &form);
    static TViewEditWatch *Of(TCommandHost &form);

    // View opened `path`, the copy of entry `storedName` of `archive`,
    // extracted with `password`. A name that would not come back as the
    // same entry (a folder, or parts such as ".." or "" that the engine
    // drops) is not watched.
    void Watch(const QString &path, const QString &storedName, const QString &archive,
               const QString &password);
    // The copy at `path` is no longer one to put back.
    void Forget(const QString &path);
    // Whether the program is in front of the other windows; the program
    // follows the application's state, tests set it themselves.
    void SetForeground(bool inFront);
    // Whether a question may be shown now; by default when no command runs
    // and no dialog is up.
    void SetCanAsk(std::function<bool()> canAsk) { canAsk_ = std::move(canAsk); }
    // Looks at every watched copy and asks about the changed ones.
    void CheckChanges();

private:
    struct Copy {
        QString path;
        QString storedName;
        QString archive;
        QString password;
        TCopyStamp seen;
    };
    void FileSystemChanged();
    void Rewatch();
    void Ask(Copy &copy);

    TCommandHost &form_;
    QFileSystemWatcher watcher_;
    QTimer settle_; // lets an editor finish saving before the question
    QTimer retry_;  // while the question has to wait
    std::function<bool()> canAsk_;
    std::vector<Copy> copies_;
    bool foreground_ = false;
    bool checking_ = false;
};

// Makes the window's watch and lets it follow the application's state.
void InstallViewEditWatch(TCommandHost &form);
