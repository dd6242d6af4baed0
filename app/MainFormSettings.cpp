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
#include <QListView>

#include <algorithm>

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
    ApplySettingsToEngine(Settings, MainZip);
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

int TMainFormFm::SelectedCount() const {
    return static_cast<int>(FilesLb->selectionModel()->selectedRows().size());
}

QStringList TMainFormFm::SelectedRowTexts() const {
    QModelIndexList selected = FilesLb->selectionModel()->selectedRows();
    std::sort(selected.begin(), selected.end(),
              [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    QStringList texts;
    for (const QModelIndex &index : selected)
        texts.append(rows_->RowText(index.row()));
    return texts;
}

QStringList TMainFormFm::RowTexts() const {
    QStringList texts;
    for (int row = 0; row < rows_->Count(); ++row)
        texts.append(rows_->RowText(row));
    return texts;
}

void TMainFormFm::EditSelectAllMnClick() {
    if (rows_->Count() > 0) {
        const QItemSelection all(rows_->index(0), rows_->index(rows_->Count() - 1));
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
    if (platform::ShellOpen(document) > 32)
        return;
    // A failure to open the text file is not reported.
    QString text = folder + QStringLiteral("/README.TXT");
    if (!QFileInfo::exists(text))
        text = platform::FindBesideProgram(QStringLiteral("README.TXT"));
    platform::ShellOpen(QStringLiteral("notepad.exe"), text);
}
