// Sorting the contents list by a click on a column header: a second click
// on the same column reverses the order, and the header shows the arrow.
// Until the first click, and again whenever another archive is opened or
// the list is cleared, the rows are in row text order with no arrow.
#pragma once

#include <Qt>

class QAbstractItemView;
class QHeaderView;
class TRowListModel;

// Sorts by `section`, ascending unless it is the column sorted ascending
// now. The rows selected stay selected and the current row current.
void FilesHdSectionClick(QHeaderView &header, QAbstractItemView &list, TRowListModel &rows,
                         int section);
// Back to row text order, without the arrow.
void ResetFilesLbSort(QHeaderView &header, TRowListModel &rows);
