// TCommandHost: the window as the commands and dialogs that need more than
// its verbs see it: its session, its settings, its widget as the parent of
// what they show, and its command table.
#pragma once

#include "ArchiveSession.h"
#include "ArchiveView.h"
#include "Settings.h"

#include <QString>
#include <Qt>

#include <functional>

class QMimeData;
class QWidget;

class TCommandHost : public TArchiveView {
public:
    virtual TArchiveSession &Session() = 0;
    virtual TSettings &CurrentSettings() = 0;
    virtual QWidget &Window() = 0;

    // The command behind a menu item or toolbar button, by the item's name
    // (buttons use their menu twin's name, AbortSb its own); an item without
    // one does nothing.
    virtual void SetCommandHandler(const QString &itemName, std::function<void()> handler) = 0;

    // Menu commands of the window's own that other commands run too.
    virtual void FileNewMnClick() = 0;
    virtual void FileCloseMnClick() = 0;
    virtual void EditSelectAllMnClick() = 0;
    // The view command's files, deleted when the window closes.
    virtual void AddTempFile(const QString &path) = 0;
    // The files of the last drop on the window, with their paths.
    virtual QStringList DroppedFiles() const = 0;
    // What a drag of the contents list's selected rows offers (null: no
    // drag), and how it ended.
    virtual void SetEntryDragHandlers(std::function<QMimeData *()> start,
                                      std::function<void(Qt::DropAction)> ended) = 0;
};
