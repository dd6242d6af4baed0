// Settings, help and the contents-view commands of TMainFormFm.
#include "MainForm.h"

#include "ProfileStore.h"
#include "RecentList.h"
#include "RowListModel.h"
#include "platform/Desktop.h"
#include "platform/MessageDlg.h"
#include "platform/Paths.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelection>
#include <QListView>

#include <algorithm>
#include <utility>
#include <vector>

void TMainFormFm::LoadSettings() {
    Settings = ReadSettings(*profile_);
    const TColumnWidths widths = ReadColumnWidths(*profile_);
    for (int k = 0; k < ColumnCount; ++k)
        FilesHd->resizeSection(k, widths[k]);
    for (int number = TRecentList::Capacity; number >= 1; --number) {
        const QString entry = recent_->Entry(number);
        if (!entry.isEmpty())
            AddRecentMenuItem(number, entry);
    }
    if (Settings.OnTop)
        setWindowFlag(Qt::WindowStaysOnTopHint, true);
    session_.Configure(Settings);
}

bool TMainFormFm::SaveSettings(bool fromMenuItem) {
    if (!fromMenuItem && !findChild<QAction *>(QStringLiteral("SaveSettingsonExit1"))->isChecked())
        return true;
    try {
        WriteSettings(*profile_, Settings, ColumnWidths());
    } catch (const TProfileWriteError &error) {
        platform::ShowUnexpectedError(error.Message());
        return false;
    }
    return true;
}

void TMainFormFm::SaveSettingsNow1Click() {
    SaveSettings(true);
}

TColumnWidths TMainFormFm::ColumnWidths() const {
    TColumnWidths widths{};
    for (int k = 0; k < ColumnCount; ++k)
        widths[k] = FilesHd->sectionSize(k);
    return widths;
}

namespace {

// The selected rows as sorted runs that do not overlap: a selection built
// by clicks may hold ranges that do, and a list of a million selected rows
// must not be turned into a million indexes.
std::vector<std::pair<int, int>> SelectedRuns(const QItemSelection &selection) {
    std::vector<std::pair<int, int>> ranges;
    ranges.reserve(static_cast<std::size_t>(selection.size()));
    for (const QItemSelectionRange &range : selection)
        ranges.emplace_back(range.top(), range.bottom());
    std::sort(ranges.begin(), ranges.end());
    std::vector<std::pair<int, int>> runs;
    for (const auto &[top, bottom] : ranges) {
        if (!runs.empty() && top <= runs.back().second + 1)
            runs.back().second = std::max(runs.back().second, bottom);
        else
            runs.emplace_back(top, bottom);
    }
    return runs;
}

} // namespace

int TMainFormFm::SelectedCount() const {
    int count = 0;
    for (const auto &[top, bottom] : SelectedRuns(FilesLb->selectionModel()->selection()))
        count += bottom - top + 1;
    return count;
}

TEntryRefs TMainFormFm::SelectedEntries() const {
    const auto runs = SelectedRuns(FilesLb->selectionModel()->selection());
    qsizetype count = 0;
    for (const auto &[top, bottom] : runs)
        count += bottom - top + 1;
    TEntryRefs entries;
    entries.Names.reserve(count);
    entries.Positions.reserve(count);
    for (const auto &[top, bottom] : runs) {
        for (int row = top; row <= bottom; ++row)
            entries.Append(rows_->StoredName(row), rows_->Position(row));
    }
    return entries;
}

TEntryRefs TMainFormFm::EntriesBelow(const QString &folder) const {
    TEntryRefs entries;
    for (int row = 0; row < rows_->Count(); ++row) {
        QString name = rows_->StoredName(row);
        if (name.size() > folder.size() && name.startsWith(folder))
            entries.Append(name, rows_->Position(row));
    }
    return entries;
}

QStringList TMainFormFm::RowTexts() const {
    QStringList texts;
    for (int row = 0; row < rows_->Count(); ++row)
        texts.append(rows_->RowText(row));
    return texts;
}

void TMainFormFm::EditSelectAllMnClick() {
    if (rows_->Count() > 0) {
        const QItemSelection all(rows_->RowIndex(0), rows_->RowIndex(rows_->Count() - 1));
        FilesLb->selectionModel()->select(all, QItemSelectionModel::Select);
    }
    UpdateSelectionButtons();
}

void TMainFormFm::DeselectAll2Click() {
    FilesLb->setUpdatesEnabled(false);
    FilesLb->selectionModel()->clearSelection();
    FilesLb->setUpdatesEnabled(true);
    UpdateSelectionButtons();
}

void TMainFormFm::FilesLbDblClick() {
    static const char *const Actions[] = {"EditView1", "EditExtractMn", "EditDeleteMn"};
    if (Settings.MouseAction >= 0 && Settings.MouseAction <= 2)
        RunItemCommand(QString::fromLatin1(Actions[Settings.MouseAction]));
}

void TMainFormFm::HelpTopics1Click() {
    platform::HelpContents();
}

void TMainFormFm::Searchforhelpon1Click() {
    platform::HelpPartialKey(QString());
}

void TMainFormFm::HowtoUseHelp2Click() {
    platform::HelpOnHelp();
}

void TMainFormFm::QuickStartTutorial1Click() {
    platform::HelpContext(1036);
}

void TMainFormFm::ReadMeFile1Click() {
    QString folder = platform::ProgramFolder();
    if (folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    QString document = folder + QStringLiteral("/README.DOC");
    if (!QFileInfo::exists(document))
        document = platform::FindBesideProgram(QStringLiteral("README.DOC"));
    if (platform::ShellOpened(platform::ShellOpen(document)))
        return;
    // A failure to open the text file is not reported.
    QString text = folder + QStringLiteral("/README.TXT");
    if (!QFileInfo::exists(text))
        text = platform::FindBesideProgram(QStringLiteral("README.TXT"));
    platform::ShellOpen(QStringLiteral("notepad.exe"), text);
}
