#include "FileDrag.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace {

// The local files of a drop, in its order. Other URLs (a web page dragged
// from a browser) are no files the program could add.
QStringList LocalFilesOf(const QMimeData *data) {
    QStringList files;
    if (data == nullptr || !data->hasUrls())
        return files;
    for (const QUrl &url : data->urls()) {
        if (!url.isLocalFile())
            continue;
        QString path = url.toLocalFile();
        // A folder arrives as "file:///some/dir/" from some file managers.
        while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
            path.chop(1);
        if (!path.isEmpty())
            files.append(path);
    }
    return files;
}

} // namespace

TFileDrag::TFileDrag(QObject *owner) : QObject(owner), owner_(qobject_cast<QWidget *>(owner)) {
    // The hook stays in place for the owner's whole life, also while its
    // drop registration comes from elsewhere or its native window is
    // replaced (a stay-on-top switch): it watches the widget, not a handle.
    if (owner_)
        owner_->installEventFilter(this);
    SetEnableDrop(false);
}

TFileDrag::~TFileDrag() {
    if (owner_) {
        owner_->removeEventFilter(this);
        // Only what this component registered is withdrawn.
        if (enableDrop_)
            owner_->setAcceptDrops(false);
    }
}

void TFileDrag::SetEnableDrop(bool enable) {
    if (!owner_) {
        enableDrop_ = false;
        return;
    }
    if (enable != enableDrop_)
        owner_->setAcceptDrops(enable);
    enableDrop_ = enable;
}

QString TFileDrag::NamePartOf(const QString &path) {
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString TFileDrag::ExtensionOf(const QString &path) {
    const QString name = NamePartOf(path);
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1);
}

void TFileDrag::HandleDrop(const QStringList &names) {
    nameWithPath_.clear();
    nameOnly_.clear();
    extension_.clear();
    fileCount_ = static_cast<int>(names.size());
    for (const QString &name : names) {
        nameWithPath_.append(name);
        nameOnly_.append(NamePartOf(name));
        extension_.append(ExtensionOf(name));
    }
    if (OnDrop)
        OnDrop(*this);
}

bool TFileDrag::eventFilter(QObject *watched, QEvent *event) {
    if (watched != owner_)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDragMoveEvent *>(event);
        // A drag that started in this program carries its own archive's
        // entries: taken, they would be added back. Its data is not even
        // looked at.
        if (refuseDrops_ || drag->source() != nullptr || LocalFilesOf(drag->mimeData()).isEmpty())
            drag->ignore();
        else
            drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        if (refuseDrops_ || drop->source() != nullptr) {
            drop->ignore();
            return true;
        }
        const QStringList files = LocalFilesOf(drop->mimeData());
        if (files.isEmpty()) {
            drop->ignore();
            return true;
        }
        // Accepted first: the handler may run a whole command, boxes included.
        drop->acceptProposedAction();
        HandleDrop(files);
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}
