// TMainFormFm: the program's one main window. It owns the engine instance
// MainZip, the settings in memory, the open archive and the contents list.
// New, Open, Close, the settings, help and the contents-view commands are
// its own handlers; the archive commands live in commands/ and the dialogs'
// in dialogs/, as functions over the public services below.
#pragma once

#include "EngineResultText.h"
#include "EntryRefs.h"
#include "ListingTotals.h"
#include "MenuRules.h"
#include "Settings.h"
#include "ZipEngine.h"
#include "platform/Desktop.h"
#include "platform/FileStamp.h"

#include <QHash>
#include <QLocale>
#include <QMainWindow>
#include <QPoint>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QFrame;
class QHeaderView;
class QLabel;
class QListView;
class QListWidget;
class QMenu;
class QProgressBar;
class QTimer;
class QToolButton;
class TFileDrag;
class TPlacement;
class TProfileStore;
class TRecentList;
class TRowListModel;

class TMainFormFm : public QMainWindow {
    Q_OBJECT
public:
    // arguments: the program's arguments after its own name.
    explicit TMainFormFm(const QStringList &arguments = QStringList(), QWidget *parent = nullptr);
    ~TMainFormFm() override;

    // --- services every command uses
    // The busy state around a command, nesting; commands hold it through
    // TBusyScope (BusyScope.h), which leaves it on every way out.
    void SetBusy(bool leaving);
    bool IsBusy() const { return BusyCount != 0; }
    TResultClass ShowZipResult(int code, const QString &verb);
    // True, after saying so, when the open archive is of a format the
    // engine only reads: every command that would change it asks first.
    bool RefuseReadOnly();
    void UpdateArchiveButtons();
    void UpdateSelectionButtons();
    // Panel 0 of StatusBar1 and the position of ProgressBar2, for the
    // progress handlers of the running operation. They run once or more per
    // entry, far more often than the window can be drawn: the widgets take
    // the last value at the next event dispatch, which the engine's message
    // pump brings about while it works. The getters see the last value set.
    void SetStatusText(const QString &text);
    void SetProgressPosition(int position);
    int ProgressPosition() const;
    // Switches the engine's multidisk mode off and unchecks MultidiskmodeMn.
    void MultidiskOff();
    // The selected rows of FilesLb, in list order.
    TEntryRefs SelectedEntries() const;
    // Stored names of the selected rows of FilesLb, in list order.
    QStringList SelectedNames() const { return SelectedEntries().Names; }
    // Every row below `folder` (a stored name ending in "/"), in list order.
    TEntryRefs EntriesBelow(const QString &folder) const;
    // TempFiles: the view command's files, deleted when the window closes.
    void AddTempFile(const QString &path);
    QStringList TempFileNames() const;

    // --- enabling rules, run when a menu drops down or a shortcut is pressed
    void FileMnClick();
    void EditMnClick();
    void OptionsMnClick();
    void PopupMenu1Popup();

    // --- the open archive
    void FileNewMnClick();
    void FileOpenMnClick();
    void FileCloseMnClick();
    // How a path becomes the open archive. Quiet (the command line, a recent
    // item, the archive browser): the recent list stays as it is and a
    // listing failure without a message of its own goes unreported. Chosen
    // (Open, Rename Archive): the user picked the path, so it heads the
    // recent list and every listing failure is reported.
    enum class TOpenMode { Quiet, Chosen };
    // The one way an archive is opened: `path` becomes the open archive,
    // named in the caption, and is listed, inside a busy state of its own.
    // The path is not checked; a missing archive lists as empty.
    void OpenZipFile(const QString &path, TOpenMode mode = TOpenMode::Quiet);
    void ListArchiveContents();
    // Whether the open archive is still the file it was when it was last
    // listed: another program may have added or removed entries since, and
    // the rows would then stand for entries that are not there.
    bool ListingCurrent() const;
    // After a change of ours that leaves the entries as listed (the archive
    // date, the comment): the list stays current if it was before.
    void KeepListingCurrent(bool wasCurrent);

    // --- the window's file dialogs, shown under the caller's title with an
    // empty name field; the dialogs themselves keep their own titles.
    // NewZipDg: the chosen path, empty when cancelled.
    QString ChooseNewArchive(const QString &title);
    // OpenZipDg, starting in LastDirectory when there is one.
    QString ChooseArchive(const QString &title);
    // AddFilesDg: the chosen files, none when cancelled.
    QStringList ChooseFilesToAdd();

    // --- settings
    void LoadSettings();
    // Writes the settings when SaveSettingsonExit1 is checked or fromMenuItem;
    // false when the write failed (the error has been shown).
    bool SaveSettings(bool fromMenuItem);
    void SaveSettingsNow1Click();

    // --- contents view
    void EditSelectAllMnClick();
    void DeselectAll2Click();
    void FilesLbDblClick();
    int SelectedCount() const;
    // Every row's text: one string per row, for small lists.
    QStringList RowTexts() const;
    TColumnWidths ColumnWidths() const;

    // --- other menu items
    void MultidiskmodeMnClick();
    void FileExitMnClick();
    void HelpTopics1Click();
    void Searchforhelpon1Click();
    void HowtoUseHelp2Click();
    void QuickStartTutorial1Click();
    void ReadMeFile1Click();

    // The command behind a menu item or toolbar button, by the item's name
    // (buttons use their menu twin's name, AbortSb its own). The commands of
    // commands/ and dialogs/ plug in here; an item without one does nothing.
    void SetCommandHandler(const QString &itemName, std::function<void()> handler);
    bool HasCommandHandler(const QString &itemName) const;
    void RunItemCommand(const QString &itemName);
    // Run by every new window before it loads its settings and opens the
    // archive of its command line, so that the commands and the engine's
    // event handlers are in place from the start. The program installs its
    // commands here; an empty function installs none.
    static void SetCommandInstaller(std::function<void(TMainFormFm &)> installer);

    // --- window state
    TZipEngine MainZip;
    TSettings Settings;
    int BusyCount = 0;
    bool ZipResultSeen = false;
    bool QuietOpen = false;
    // 1 only while Test Archive is inside the engine's test operation.
    bool TestRunning = false;
    QPoint LastMouseDownPoint;
    QString TotalsHint() const { return totalsHint_; }
    QString StatusText() const; // panel 0 of StatusBar1
    const TListingTotals &Totals() const { return totals_; }

    // The dialogs of New, Open and Add, kept with the window as designed;
    // commands show them through the Choose verbs above.
    platform::FileDialogRequest NewZipDg;
    platform::FileDialogRequest OpenZipDg;
    platform::FileDialogRequest AddFilesDg;

    // The drop target; its OnDrop runs the command registered as "FileDrag1".
    TFileDrag *FileDrag1 = nullptr;

    static QString CaptionFor(const QString &archivePath);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void BuildLayout();
    void BuildToolbar();
    void BuildMenus();
    void BuildPopupMenu();
    void ConnectCommands();
    // Puts path at the head of the recent list; a failed write is reported
    // (once) and the caller goes on.
    void PushRecentArchive(const QString &path);
    void AddRecentMenuItem(int number, const QString &path);
    void MRUMenuClick(QAction *item);
    void ApplyCaption(const QString &caption);
    void RefreshMenuStates();
    void ClearContents();
    // Panel 0 and the bar at once, dropping what the progress handlers left
    // pending; for the texts of the window itself (totals, reading).
    void ShowStatusNow(const QString &text);
    void ShowProgressNow(int position);
    void PostPendingProgress();
    void ShowPendingProgress();
    void MainZipListing(const TZipFileStats &entry);
    void FormResize();
    void FormDestroy();
    void Timer1Timer();
    void RunCommand(const std::function<void()> &command);
    QAction *Item(const char *name) const;
    QToolButton *Button(const char *name) const;
    TArchiveViewState ViewState() const;

    std::unique_ptr<TProfileStore> profile_;
    std::unique_ptr<TRecentList> recent_;
    TPlacement *Placement1 = nullptr;
    TListingTotals totals_;
    int listingProgress_ = 0;  // entries listed, for the progress bar
    qint64 shownProgress_ = 0; // the bar's last drawn extent
    QString totalsHint_;
    QString listedPath_;
    platform::FileStamp listedStamp_; // taken before the listing read the archive
    std::optional<QString> pendingStatus_;
    std::optional<int> pendingProgress_;
    bool pendingPosted_ = false;
    bool bannerShown_ = false;
    bool placementSaved_ = false;

    QFrame *Panel2 = nullptr;
    QFrame *Banner1 = nullptr;
    QFrame *Panel1 = nullptr;
    QHeaderView *FilesHd = nullptr;
    QListView *FilesLb = nullptr;
    TRowListModel *rows_ = nullptr;
    QLabel *panel0_ = nullptr;
    QLabel *panel1_ = nullptr;
    QProgressBar *ProgressBar2 = nullptr;
    QListWidget *TempFiles = nullptr;
    QTimer *Timer1 = nullptr;
    QMenu *FileMn = nullptr;
    QMenu *EditMn = nullptr;
    QMenu *OptionsMn = nullptr;
    QMenu *HelpMn = nullptr;
    QMenu *PopupMenu1 = nullptr;
    QAction *recentSeparator_ = nullptr;
    QList<QAction *> recentItems_;
    QHash<QString, std::function<void()>> commands_;
};
