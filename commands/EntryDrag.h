// Dragging entries out of the contents list onto the file manager, the
// desktop or another program: the drag offers the entries as local files
// (text/uri-list) and extracts them only when a target asks for that list,
// into a fresh folder of its own inside the view folder (ViewFolder.h),
// through ExtractFiles. What was extracted for drags is removed when the
// window goes, as View's copies are.
#pragma once

#include <QList>
#include <QMimeData>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <optional>

class TMainFormFm;

// The entries one drag extracts: the selected ones and, for a selected
// folder entry (a name ending in "/"), every entry `below` it; each once.
QStringList DragEntries(const QStringList &selected,
                        const std::function<QStringList(const QString &folder)> &below);

// What the drag offers, as paths below the folder its entries were
// extracted into with their stored folders. With ExtractPath on, the
// topmost part of each selected name, so that everything keeps its stored
// path below the drop point. Off, each selected entry itself, a folder
// with what lies below it, unless it lies in another selected folder. A
// name the engine would not extract (absolute, "..", a drive) offers
// nothing.
QStringList DragItems(const QStringList &selected, bool extractPath);

// The data of one drag: "text/uri-list" only, made by `extract` on the
// first request for it and kept for every later one. A request while
// `extract` runs (the engine dispatches window events) gets nothing.
class TEntryDragData : public QMimeData {
    Q_OBJECT
public:
    explicit TEntryDragData(std::function<QList<QUrl>()> extract);

    QStringList formats() const override;
    bool hasFormat(const QString &mimeType) const override;
    bool Extracted() const { return uriList_.has_value(); }

protected:
    QVariant retrieveData(const QString &mimeType, QMetaType type) const override;

private:
    std::function<QList<QUrl>()> extract_;
    mutable std::optional<QByteArray> uriList_;
    mutable bool extracting_ = false;
};

// The data a drag of the selected rows offers; null while the window is
// busy or without a selection. The entries are taken now; the extraction
// runs only when the data is asked for, and then not while the window is
// busy or when another archive has been opened since.
TEntryDragData *NewEntryDragData(TMainFormFm &form);

// Extracts `selected` (with what lies below selected folders) into a fresh
// folder and returns the files to offer; none when the extraction failed
// or was aborted. ExtractPath and ExtractMethod are borrowed and given
// back on every path.
QList<QUrl> ExtractForDrag(TMainFormFm &form, const QStringList &selected);

// The folders extracted for drags so far, removed with the window.
QStringList DragFolders(TMainFormFm &form);

// Lets the contents list start drags of its selected rows.
void InstallEntryDrag(TMainFormFm &form);
