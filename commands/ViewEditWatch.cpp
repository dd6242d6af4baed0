#include "ViewEditWatch.h"

#include "CommandHost.h"
#include "UpdateViewedEntry.h"
#include "platform/MessageDlg.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QWidget>

#include <sys/stat.h>

namespace {

// Editors write a file in more than one step; the question comes once the
// copy has been still for this long.
constexpr int SettleMs = 300;
constexpr int RetryMs = 500;

QString AbsolutePath(const QString &path) {
    return path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
}

} // namespace

TCopyStamp TCopyStamp::Of(const QString &path) {
    struct stat info {};
    TCopyStamp stamp;
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return stamp;
    stamp.exists = true;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.size = info.st_size;
    stamp.modifiedNs = static_cast<qint64>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    return stamp;
}

TViewEditWatch::TViewEditWatch(TCommandHost &form) : QObject(&form.Window()), form_(form) {
    setObjectName(QStringLiteral("ViewEditWatch"));
    settle_.setSingleShot(true);
    settle_.setInterval(SettleMs);
    retry_.setSingleShot(true);
    retry_.setInterval(RetryMs);
    connect(&settle_, &QTimer::timeout, this, &TViewEditWatch::CheckChanges);
    connect(&retry_, &QTimer::timeout, this, &TViewEditWatch::CheckChanges);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, &TViewEditWatch::FileSystemChanged);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this,
            &TViewEditWatch::FileSystemChanged);
    canAsk_ = [this] { return !form_.IsBusy() && QApplication::activeModalWidget() == nullptr; };
}

TViewEditWatch *TViewEditWatch::Of(TCommandHost &form) {
    return form.Window().findChild<TViewEditWatch *>(QStringLiteral("ViewEditWatch"),
                                                     Qt::FindDirectChildrenOnly);
}

void TViewEditWatch::Watch(const QString &path, const QString &storedName, const QString &archive,
                           const QString &password) {
    // The copy of the latest View of that file name is the one on disk.
    Forget(path);
    if (!IsPlainStoredFileName(storedName))
        return;
    copies_.push_back(
        Copy{path, storedName, AbsolutePath(archive), password, TCopyStamp::Of(path)});
    Rewatch();
}

void TViewEditWatch::Forget(const QString &path) {
    std::erase_if(copies_, [&path](const Copy &c) { return c.path == path; });
}

void TViewEditWatch::SetForeground(bool inFront) {
    const bool returned = inFront && !foreground_;
    foreground_ = inFront;
    // Outside the handler of the activation: the question is a window of
    // its own.
    if (returned)
        QTimer::singleShot(0, this, &TViewEditWatch::CheckChanges);
}

void TViewEditWatch::FileSystemChanged() {
    Rewatch();
    if (foreground_)
        settle_.start();
}

// A copy replaced by a rename loses its watch; its new file is watched
// again, and its folder is watched to see it come back.
void TViewEditWatch::Rewatch() {
    const QStringList watched = watcher_.files() + watcher_.directories();
    for (const Copy &copy : copies_) {
        const QString folder = QFileInfo(copy.path).absolutePath();
        if (!watched.contains(folder))
            watcher_.addPath(folder);
        if (!watched.contains(copy.path) && QFileInfo::exists(copy.path))
            watcher_.addPath(copy.path);
    }
}

void TViewEditWatch::CheckChanges() {
    if (!foreground_ || checking_ || copies_.empty())
        return;
    if (!canAsk_()) {
        retry_.start();
        return;
    }
    checking_ = true;
    // A question, and the update after it, lets other events in; the list
    // is walked by index and a copy looked up again after each.
    for (std::size_t i = 0; i < copies_.size(); ++i) {
        const TCopyStamp now = TCopyStamp::Of(copies_[i].path);
        if (!now.exists || now == copies_[i].seen)
            continue;
        copies_[i].seen = now;
        Copy copy = copies_[i];
        Ask(copy);
    }
    checking_ = false;
}

void TViewEditWatch::Ask(Copy &copy) {
    if (copy.archive != AbsolutePath(form_.Session().ArchivePath())) {
        form_.SetStatusText(
            QStringLiteral("The file ") + copy.storedName +
            QStringLiteral(" has been changed, but its archive is no longer open."));
        return;
    }
    // An archive that is only read cannot take the change: say so once,
    // rather than offer an update that would be refused.
    if (form_.RefuseReadOnly())
        return;
    using platform::MsgButton;
    if (platform::MessageDlg(QStringLiteral("The file ") + copy.storedName +
                                 QStringLiteral(" has been changed. Update it in the archive?"),
                             platform::MsgKind::Confirm,
                             MsgButton::Yes | MsgButton::No) != platform::MsgResult::Yes)
        return;
    try {
        UpdateViewedEntry(form_.Session(), form_,
                          TViewedCopy{copy.path, copy.storedName, copy.seen.device, copy.seen.inode,
                                      copy.password});
    } catch (const std::exception &error) {
        platform::ShowUnexpectedError(QString::fromUtf8(error.what()));
    }
}

void InstallViewEditWatch(TCommandHost &form) {
    auto *watch = new TViewEditWatch(form);
    auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
    if (app == nullptr)
        return;
    watch->SetForeground(QGuiApplication::applicationState() == Qt::ApplicationActive);
    QObject::connect(app, &QGuiApplication::applicationStateChanged, watch,
                     [watch](Qt::ApplicationState state) {
                         watch->SetForeground(state == Qt::ApplicationActive);
                     });
}
