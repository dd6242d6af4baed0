// Find, Find Next and Select Matching over the contents list: the rows are
// picked by their stored names, folders included, case ignored (NameMatch.h).
#pragma once

#include <QString>

class QAbstractItemView;
class TRowListModel;

class TFilesLbFind {
public:
    TFilesLbFind(QAbstractItemView &list, TRowListModel &rows);

    // Asks for a text, then finds the next row holding it.
    void Find();
    // Finds the next row holding the text asked for last; asks first when
    // none has been asked for yet.
    void FindNext();
    // Asks for a pattern and selects the rows matching it, added to the
    // selection or in its place as chosen in the box. Returns how many rows
    // are selected then, or -1 when the box was cancelled.
    int SelectMatching();

private:
    // From the row after the current one to the end, then from the top: the
    // first row holding the text becomes the current and only selected one.
    void FindFromCurrent();

    QAbstractItemView &list_;
    TRowListModel &rows_;
    QString text_;
    QString pattern_;
    bool addToSelection_ = false;
};
