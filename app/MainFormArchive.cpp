// New, Open, Close, the listing and the recent-archive list of TMainFormFm.
#include "MainForm.h"

#include "BusyScope.h"
#include "EngineResultText.h"
#include "FilesLbSort.h"
#include "ProfileStore.h"
#include "RecentList.h"
#include "RowListModel.h"
#include "RowText.h"
#include "platform/MessageDlg.h"

#include <QFileInfo>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QProgressBar>
#include <QScopeGuard>

#include <algorithm>

namespace {

// The folder of a chosen path, as LastDirectory keeps it; a path splits
// as a stored name does.
QString FolderOf(const QString &path) {
    return StoredNameFolderPart(path).left(TextSettingLimit);
}

// `dialog` under `title` with an empty name field; the chosen paths, none
// when cancelled.
QStringList ShowFileDialog(platform::FileDialogRequest dialog, const QString &title) {
    dialog.title = title;
    dialog.fileName.clear();
    const platform::FileDialogResult chosen = platform::Desktop::current().fileDialog(dialog);
    return chosen.accepted ? chosen.files : QStringList();
}

QString FirstOf(const QStringList &paths) {
    return paths.isEmpty() ? QString() : paths.first();
}

} // namespace

void TMainFormFm::ClearContents() {
    ResetFilesLbSort(*FilesHd, *rows_);
    rows_->Clear();
    totals_.Clear();
    totalsHint_.clear();
    FilesLb->setStatusTip(QString());
    ShowStatusNow(QString());
}

QString TMainFormFm::ChooseNewArchive(const QString &title) {
    return FirstOf(ShowFileDialog(NewZipDg, title));
}

QString TMainFormFm::ChooseArchive(const QString &title) {
    if (!Settings.LastDirectory.isEmpty())
        OpenZipDg.initialDir = Settings.LastDirectory;
    return FirstOf(ShowFileDialog(OpenZipDg, title));
}

QStringList TMainFormFm::ChooseFilesToAdd() {
    return ShowFileDialog(AddFilesDg, AddFilesDg.title);
}

void TMainFormFm::FileNewMnClick() {
    const TBusyScope busy(*this);
    const QString path = ChooseNewArchive(NewZipDg.title);
    if (path.isEmpty())
        return;
    Settings.LastDirectory = FolderOf(path);
    // The dialog has asked before replacing; the first add creates the file.
    if (QFileInfo::exists(path))
        QFile::remove(path);
    session_.MainZip.ZipFileName = path;
    PushRecentArchive(path);
    ApplyCaption(CaptionFor(path));
    ClearContents();
    UpdateArchiveButtons();
}

void TMainFormFm::FileOpenMnClick() {
    const TBusyScope busy(*this);
    const QString path = ChooseArchive(OpenZipDg.title);
    if (path.isEmpty())
        return;
    Settings.LastDirectory = FolderOf(path);
    OpenZipFile(path, TOpenMode::Chosen);
}

void TMainFormFm::FileCloseMnClick() {
    session_.MainZip.ZipFileName.clear();
    session_.ForgetPassword();
    ApplyCaption(CaptionFor(QString()));
    ClearContents();
    UpdateArchiveButtons();
}

void TMainFormFm::OpenZipFile(const QString &path, TOpenMode mode) {
    const TBusyScope busy(*this);
    const auto unquiet = qScopeGuard([this] {
        QuietOpen = false;
        UpdateArchiveButtons();
    });
    if (mode == TOpenMode::Chosen)
        PushRecentArchive(path);
    session_.MainZip.ZipFileName = path;
    ApplyCaption(CaptionFor(path));
    ResetFilesLbSort(*FilesHd, *rows_);
    QuietOpen = mode == TOpenMode::Quiet;
    ListArchiveContents();
}

void TMainFormFm::ListArchiveContents() {
    totals_.Clear();
    rows_->Clear();
    // Taken first: a change made while the listing reads counts as a change.
    listedPath_ = session_.MainZip.ZipFileName;
    listedStamp_ = platform::FileStampOf(listedPath_);
    const int count = session_.MainZip.EntryCount();
    listingProgress_ = 0;
    shownProgress_ = 0;
    // A range of 0 to 0 would turn the bar into a busy indicator.
    ProgressBar2->setMaximum(std::max(count, 1));
    ShowProgressNow(0);
    if (count > 100)
        ShowStatusNow(QStringLiteral("Reading ") + QString::number(count) +
                      QStringLiteral(" items..."));
    int result = ENGINE_OK;
    {
        FilesLb->setUpdatesEnabled(false);
        rows_->BeginListing(DisplayLocale(), count);
        // Whatever the engine delivered goes into the list, also when the
        // listing failed part way.
        const auto resume = qScopeGuard([this] {
            rows_->EndListing();
            FilesLb->setUpdatesEnabled(true);
        });
        result = session_.MainZip.ListArchive();
    }
    // A missing archive lists as empty without a message.
    if (result != ENGINE_ARCHIVE_NOT_FOUND)
        ShowZipResult(result, QStringLiteral("reading"));
    totalsHint_ =
        TotalsText(rows_->Count(), totals_.TotalSize, totals_.TotalPacked, DisplayLocale());
    FilesLb->setStatusTip(totalsHint_);
    ShowProgressNow(0);
    ProgressBar2->setMaximum(100);
}

bool TMainFormFm::ListingCurrent() const {
    return session_.MainZip.ZipFileName == listedPath_ &&
           platform::FileStampOf(listedPath_) == listedStamp_;
}

void TMainFormFm::KeepListingCurrent(bool wasCurrent) {
    if (wasCurrent && session_.MainZip.ZipFileName == listedPath_)
        listedStamp_ = platform::FileStampOf(listedPath_);
}

bool TMainFormFm::RefuseReadOnly() {
    if (session_.MainZip.ZipFileName.isEmpty() || session_.MainZip.ReadOnlyType().isEmpty())
        return false;
    platform::MessageDlg(
        ReadOnlyArchiveText(session_.MainZip.ZipFileName, session_.MainZip.ReadOnlyType()),
        platform::MsgKind::Information, platform::MsgButton::OK);
    return true;
}

void TMainFormFm::MainZipListing(const TZipFileStats &entry) {
    rows_->AddEntry(entry);
    totals_.AddEntry(entry.TrueSize(), entry.TrueCompressedSize());
    if (ProgressBar2->maximum() > 100) {
        // Moving the bar costs more than listing an entry; only a position
        // that shows differently is worth it.
        ++listingProgress_;
        const qint64 shown =
            qint64(listingProgress_) * ProgressBar2->width() / ProgressBar2->maximum();
        if (shown != shownProgress_) {
            shownProgress_ = shown;
            ProgressBar2->setValue(listingProgress_);
        }
    }
}

void TMainFormFm::PushRecentArchive(const QString &path) {
    // A settings folder that cannot be written must not keep the archive
    // from opening: the failure is told once and the command goes on.
    try {
        if (!recent_->Push(path))
            return;
    } catch (const TProfileWriteError &error) {
        platform::ShowUnexpectedError(error.Message());
    }
    // Rebuilt from the keys, so each caption's digit names the key it shows.
    for (QAction *item : recentItems_) {
        FileMn->removeAction(item);
        // Later, since the item may be the one whose click got us here.
        item->setObjectName(QString());
        item->deleteLater();
    }
    recentItems_.clear();
    for (int number = TRecentList::Capacity; number >= 1; --number) {
        const QString entry = recent_->Entry(number);
        if (!entry.isEmpty())
            AddRecentMenuItem(number, entry);
    }
}

void TMainFormFm::AddRecentMenuItem(int number, const QString &path) {
    QAction *exitItem = Item("FileExitMn");
    if (!recentSeparator_) {
        recentSeparator_ = new QAction(FileMn);
        recentSeparator_->setSeparator(true);
        recentSeparator_->setObjectName(QStringLiteral("RecentSeparator"));
        FileMn->insertAction(exitItem, recentSeparator_);
    }
    auto *item = new QAction(QStringLiteral("&") + QString::number(number) + QLatin1Char(' ') +
                                 RecentDisplayText(path),
                             FileMn);
    item->setObjectName(QStringLiteral("MRU") + QString::number(number));
    // The new item becomes the first recent item, right after FileFixMn's separator.
    FileMn->insertAction(recentItems_.isEmpty() ? recentSeparator_ : recentItems_.first(), item);
    recentItems_.prepend(item);
    connect(item, &QAction::triggered, this,
            [this, item] { RunCommand([this, item] { MRUMenuClick(item); }); });
}

void TMainFormFm::MRUMenuClick(QAction *item) {
    const int number = RecentCaptionNumber(item->text());
    const QString path = recent_->Entry(number);
    if (QFileInfo(path).isFile()) {
        OpenZipFile(path);
        return;
    }
    platform::MessageDlg(QStringLiteral("The archive file, ") + path +
                             QStringLiteral(", Cannot be located.  Please select another archive."),
                         platform::MsgKind::Information, platform::MsgButton::OK);
}
