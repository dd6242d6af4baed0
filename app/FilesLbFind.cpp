#include "FilesLbFind.h"

#include "NameMatch.h"
#include "RowListModel.h"
#include "platform/Desktop.h"
#include "platform/MessageDlg.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>

#include <vector>

TFilesLbFind::TFilesLbFind(QAbstractItemView &list, TRowListModel &rows)
    : list_(list), rows_(rows) {}

void TFilesLbFind::Find() {
    platform::TextQueryRequest request;
    request.caption = QStringLiteral("Find");
    request.prompt = QStringLiteral("Find a file whose name contains:");
    request.text = text_;
    const platform::TextQueryResult answer = platform::Desktop::current().textQuery(request);
    if (!answer.accepted || answer.text.isEmpty())
        return;
    text_ = answer.text;
    FindFromCurrent();
}

void TFilesLbFind::FindNext() {
    if (text_.isEmpty())
        Find();
    else
        FindFromCurrent();
}

void TFilesLbFind::FindFromCurrent() {
    const int count = rows_.Count();
    const QModelIndex current = list_.currentIndex();
    const int start = current.isValid() ? current.row() + 1 : 0;
    const TNameFinder finder(text_);
    for (int k = 0; k < count; ++k) {
        const int row = (start + k) % count;
        if (!finder.FoundIn(rows_.StoredNameUtf8(row)))
            continue;
        const QModelIndex found = rows_.RowIndex(row);
        list_.selectionModel()->setCurrentIndex(found, QItemSelectionModel::ClearAndSelect);
        list_.scrollTo(found, QAbstractItemView::PositionAtCenter);
        return;
    }
    platform::MessageDlg(QStringLiteral("Cannot find \"%1\".").arg(text_),
                         platform::MsgKind::Information, platform::MsgButton::OK);
}

int TFilesLbFind::SelectMatching() {
    platform::TextQueryRequest request;
    request.caption = QStringLiteral("Select Matching");
    request.prompt = QStringLiteral("Select the files whose names match (* and ? as wildcards):");
    request.text = pattern_;
    request.option = QStringLiteral("&Add to the selection");
    request.optionChecked = addToSelection_;
    const platform::TextQueryResult answer = platform::Desktop::current().textQuery(request);
    if (!answer.accepted)
        return -1;
    pattern_ = answer.text;
    addToSelection_ = answer.optionChecked;

    // One selection of runs, set at once: Qt merges ranges added one by
    // one pairwise, which at a million rows would not end.
    QItemSelectionModel &selection = *list_.selectionModel();
    const int count = rows_.Count();
    std::vector<bool> chosen(static_cast<std::size_t>(count));
    if (addToSelection_) {
        for (const QItemSelectionRange &range : selection.selection())
            for (int row = range.top(); row <= range.bottom(); ++row)
                chosen[static_cast<std::size_t>(row)] = true;
    }
    const TNamePattern pattern(pattern_);
    int firstMatch = -1;
    for (int row = 0; row < count; ++row) {
        if (pattern.Matches(rows_.StoredName(row))) {
            chosen[static_cast<std::size_t>(row)] = true;
            if (firstMatch < 0)
                firstMatch = row;
        }
    }
    QItemSelection runs;
    int selected = 0;
    for (int row = 0, runStart = -1; row <= count; ++row) {
        const bool in = row < count && chosen[static_cast<std::size_t>(row)];
        selected += in ? 1 : 0;
        if (in && runStart < 0)
            runStart = row;
        if (!in && runStart >= 0) {
            runs.append(QItemSelectionRange(rows_.RowIndex(runStart), rows_.RowIndex(row - 1)));
            runStart = -1;
        }
    }
    selection.select(runs, QItemSelectionModel::ClearAndSelect);
    if (firstMatch >= 0) {
        selection.setCurrentIndex(rows_.RowIndex(firstMatch), QItemSelectionModel::NoUpdate);
        list_.scrollTo(rows_.RowIndex(firstMatch));
    }
    return selected;
}
