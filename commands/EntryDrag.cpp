#include "EntryDrag.h"

#include "CommandHost.h"
#include "ExtractFiles.h"
#include "StaleListing.h"
#include "ViewFolder.h"
#include "platform/IoError.h"
#include "platform/MessageDlg.h"
#include "platform/Paths.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMimeData>
#include <QSet>
#include <QUrl>
#include <QWidget>

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <sys/stat.h>
#include <utility>

namespace {

// The parts of a stored name as the engine writes it below its target
// folder; nullopt for a name it refuses to extract.
std::optional<QStringList> SafeParts(const QString &stored) {
    if (stored.startsWith(QLatin1Char('/')))
        return std::nullopt;
    QStringList parts;
    for (const QString &part : stored.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String(".."))
            return std::nullopt;
        if (part != QLatin1String("."))
            parts.append(part);
    }
    if (parts.isEmpty())
        return std::nullopt;
    const QString &first = parts.first();
    if (first.size() >= 2 && first[1] == QLatin1Char(':') && first[0].isLetter())
        return std::nullopt;
    return parts;
}

// Everything below `folder` and the folder itself; a folder entry may have
// been stored without write permission.
void RemoveDragFolder(const QString &folder) {
    QDirIterator folders(folder, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                         QDirIterator::Subdirectories);
    while (folders.hasNext()) {
        const QString path = folders.next();
        if (!folders.fileInfo().isSymLink())
            QFile::setPermissions(path, QFile::permissions(path) | QFile::ReadOwner |
                                            QFile::WriteOwner | QFile::ExeOwner);
    }
    QDir(folder).removeRecursively();
}

// Owned by the window: what was extracted for its drags goes with it.
class TDragFolderList : public QObject {
public:
    explicit TDragFolderList(QObject *owner) : QObject(owner) {
        setObjectName(QStringLiteral("DragFolders"));
    }
    ~TDragFolderList() override {
        for (const QString &folder : Folders)
            RemoveDragFolder(folder);
    }
    void Remove(const QString &folder) {
        RemoveDragFolder(folder);
        Folders.removeAll(folder);
    }
    QStringList Folders;
    // The folder of the drag under way, until it ends.
    QString Offered;
};

TDragFolderList &FolderListOf(TCommandHost &form) {
    auto *list = form.Window().findChild<TDragFolderList *>(QStringLiteral("DragFolders"),
                                                            Qt::FindDirectChildrenOnly);
    return list != nullptr ? *list : *new TDragFolderList(&form.Window());
}

// A fresh folder of this drag's own inside the view folder, so that its
// files meet no older copies and the folder can go as a whole.
std::optional<QString> NewDragFolder(TCommandHost &form) {
    const QString tempFolder = form.CurrentSettings().TempFolder.isEmpty()
                                   ? platform::TempPath()
                                   : form.CurrentSettings().TempFolder;
    const TViewFolder view = ViewFolderFor(tempFolder, platform::TempPath());
    if (!view.Error.isEmpty()) {
        platform::ShowUnexpectedError(view.Error);
        return std::nullopt;
    }
    QByteArray name = QFile::encodeName(view.Folder + QStringLiteral("/drag-XXXXXX"));
    if (::mkdtemp(name.data()) == nullptr) {
        platform::ShowUnexpectedError(platform::IoErrorFromErrno(errno).message);
        return std::nullopt;
    }
    const QString folder = QFile::decodeName(name);
    FolderListOf(form).Folders.append(folder);
    return folder;
}

} // namespace

TEntryRefs DragEntries(const TEntryRefs &selected,
                       const std::function<TEntryRefs(const QString &folder)> &below) {
    TEntryRefs entries;
    QSet<std::int32_t> seen;
    const auto add = [&](const QString &name, std::int32_t position) {
        if (!seen.contains(position)) {
            seen.insert(position);
            entries.Append(name, position);
        }
    };
    for (qsizetype i = 0; i < selected.size(); ++i) {
        const QString &name = selected.Names[i];
        add(name, selected.Positions[i]);
        if (name.endsWith(QLatin1Char('/'))) {
            const TEntryRefs inner = below(name);
            for (qsizetype k = 0; k < inner.size(); ++k)
                add(inner.Names[k], inner.Positions[k]);
        }
    }
    return entries;
}

QStringList DragItems(const QStringList &selected, bool extractPath) {
    QStringList folders;
    for (const QString &name : selected) {
        const auto parts = SafeParts(name);
        if (parts && name.endsWith(QLatin1Char('/')))
            folders.append(parts->join(QLatin1Char('/')) + QLatin1Char('/'));
    }
    QStringList items;
    for (const QString &name : selected) {
        const auto parts = SafeParts(name);
        if (!parts)
            continue;
        QString item = extractPath ? parts->first() : parts->join(QLatin1Char('/'));
        const bool inSelectedFolder =
            !extractPath &&
            std::any_of(folders.begin(), folders.end(),
                        [&item](const QString &folder) { return item.startsWith(folder); });
        if (!inSelectedFolder && !items.contains(item))
            items.append(std::move(item));
    }
    return items;
}

QMimeData *NewEntryDragData(TCommandHost &form) {
    TArchiveSession &session = form.Session();
    if (form.IsBusy() || session.ArchivePath().isEmpty() || form.SelectedCount() == 0 ||
        ListedArchiveChanged(session, form))
        return nullptr;
    const TEntryRefs selected = form.SelectedEntries();
    if (selected.isEmpty())
        return nullptr;
    const std::optional<QString> folder = NewDragFolder(form);
    if (!folder)
        return nullptr;
    // Everything lands with its stored folders, so that a dragged folder
    // can be offered whole; ExtractPath decides what is offered. The
    // folder is empty: freshening would write nothing, updating is all.
    TExtractRequest request;
    request.Entries =
        DragEntries(selected, [&form](const QString &below) { return form.EntriesBelow(below); });
    request.Folder = *folder;
    const TSessionOutcome outcome = ExtractFiles(session, form, request);
    TDragFolderList &folders = FolderListOf(form);
    QList<QUrl> urls;
    // Part of a selection would be taken for all of it.
    bool whole = outcome.Class == ResultNothing;
    for (const QString &item : DragItems(selected.Names, form.CurrentSettings().ExtractPath)) {
        const QString path = *folder + QLatin1Char('/') + item;
        struct stat info {};
        whole = whole && ::lstat(QFile::encodeName(path).constData(), &info) == 0;
        urls.append(QUrl::fromLocalFile(path));
    }
    if (!whole || urls.isEmpty()) {
        folders.Remove(*folder);
        return nullptr;
    }
    folders.Offered = *folder;
    auto *data = new QMimeData;
    data->setUrls(urls);
    return data;
}

void EntryDragEnded(TCommandHost &form, Qt::DropAction done) {
    TDragFolderList &folders = FolderListOf(form);
    const QString offered = std::exchange(folders.Offered, QString());
    // A target that took the files may still be copying them.
    if (done == Qt::IgnoreAction && !offered.isEmpty())
        folders.Remove(offered);
}

QStringList DragFolders(TCommandHost &form) {
    return FolderListOf(form).Folders;
}

void InstallEntryDrag(TCommandHost &form) {
    TCommandHost *window = &form;
    form.SetEntryDragHandlers([window] { return NewEntryDragData(*window); },
                              [window](Qt::DropAction done) { EntryDragEnded(*window, done); });
}
