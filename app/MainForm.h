// TMainFormFm: the program's one main window. It holds the archive session
// (whose engine component is MainZip), the settings in memory, the open
// archive and the contents list. New, Open, Close, the settings, help and
// the contents-view commands are its own handlers; the archive commands
// live in commands/ and the dialogs' in dialogs/, over the window as
// TCommandHost (commands/session/CommandHost.h) sees it.
#pragma once

#include "CommandHost.h"
#include "EngineResultText.h"
#include "EngineSession.h"
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

class TMainFormFm : public QMainWindow, public TCommandHost {
    Q_OBJECT
public:
    // arguments: the program's arguments after its own name.
    explicit TMainFormFm(const QStringList &arguments = QStringList(), QWidget *parent = nullptr);
    ~TMainFormFm() override;

    // --- services every command uses (TArchiveView, TCommandHost)
    void SetBusy(bool leaving) override;
    bool IsBusy() const override { return session_.BusyCount != 0; }
    TResultClass ShowOutcome(TSessionOutcome &outcome, const QString &verb) override;
    bool RefuseReadOnly() override;
    // The commands see it as TArchiveSession; the window's own wiring and
    // the program's install step need the engine's.
    TEngineSession &Session() override { return session_; }
    const TEngineSession &Session() const { return session_; }
    TSettings &CurrentSettings() override { return Settings; }
    QWidget &Window() override { return *this; }
    void UpdateArchiveButtons();
    void UpdateSelectionButtons();
    // Panel 0 of StatusBar1 and the position of ProgressBar2, for the
    // progress handlers of the running operation. They run once or more per
    // entry, far more often than the window can be drawn: the widgets take
    // the last value at the next event dispatch, which the engine's message
    // pump brings about while it works. The getters see the last value set.
    void SetStatusText(const QString &text) override;
    void SetProgressPosition(int position) override;
    int ProgressPosition() const;
    void MultidiskOff() override;
    // The selected rows of FilesLb, in list order.
    TEntryRefs SelectedEntries() const override;
    // Stored names of the selected rows of FilesLb, in list order.
    QStringList SelectedNames() const { return SelectedEntries().Names; }
    // Every row below `folder` (a stored name ending in "/"), in list order.
    TEntryRefs EntriesBelow(const QString &folder) const override;
    // TempFiles: the view command's files, deleted when the window closes.
    void AddTempFile(const QString &path) override;
    QStringList DroppedFiles() const override;
    void SetEntryDragHandlers(std::function<QMimeData *()> start,
                              std::function<void(Qt::DropAction)> ended) override;
    QStringList TempFileNames() const;

    // --- enabling rules, run when a menu drops down or a shortcut is pressed
    void FileMnClick();
    void EditMnClick();
    void OptionsMnClick();
    void PopupMenu1Popup();

    // --- the open archive
    void FileNewMnClick() override;
    void FileOpenMnClick();
    void FileCloseMnClick() override;
    void OpenZipFile(const QString &path, TOpenMode mode = TOpenMode::Quiet) override;
    void ListArchiveContents() override;
    bool ListingCurrent() const override;
    void KeepListingCurrent(bool wasCurrent) override;

    // --- the window's file dialogs, shown under the caller's title with an
    // empty name field; the dialogs themselves keep their own titles.
    // NewZipDg: the chosen path, empty when cancelled.
    QString ChooseNewArchive(const QString &title) override;
    // OpenZipDg, starting in LastDirectory when there is one.
    QString ChooseArchive(const QString &title) override;
    // AddFilesDg: the chosen files, none when cancelled.
    QStringList ChooseFilesToAdd() override;

    // --- settings
    void LoadSettings();
    // Writes the settings when SaveSettingsonExit1 is checked or fromMenuItem;
    // false when the write failed (the error has been shown).
    bool SaveSettings(bool fromMenuItem);
    void SaveSettingsNow1Click();

    // --- contents view
    void EditSelectAllMnClick() override;
    void DeselectAll2Click();
    void FilesLbDblClick();
    int SelectedCount() const override;
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
    void SetCommandHandler(const QString &itemName, std::function<void()> handler) override;
    bool HasCommandHandler(const QString &itemName) const;
    void RunItemCommand(const QString &itemName);
    // Run by every new window before it loads its settings and opens the
    // archive of its command line, so that the commands and the engine's
    // event handlers are in place from the start. The program installs its
    // commands here; an empty function installs none.
    static void SetCommandInstaller(std::function<void(TMainFormFm &)> installer);

    // --- window state
    TSettings Settings;
    bool QuietOpen = false;
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

    TEngineSession session_;
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
