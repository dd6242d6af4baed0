// Delivers a desktop file drop to a widget the way Qt hands it over: a drag
// entering with a URI list, then the drop.
#pragma once

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

// True when the drag was accepted on entering and the drop was accepted.
inline bool SendFileDrop(QWidget *target, const QList<QUrl> &urls) {
    QMimeData data;
    data.setUrls(urls);
    const QPoint pos = target->rect().center();
    QDragEnterEvent enter(pos, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    const bool entered = enter.isAccepted();
    QDropEvent drop(QPointF(pos), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return entered && drop.isAccepted();
}

inline QList<QUrl> FileUrls(const QStringList &paths) {
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls.append(QUrl::fromLocalFile(path));
    return urls;
}
