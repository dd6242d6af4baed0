#include "MainForm.h"

#include "FileDrag.h"
#include "FilesLbDelegate.h"
#include "FilesLbView.h"
#include "Placemnt.h"
#include "ProfileStore.h"
#include "RecentList.h"
#include "RowListModel.h"
#include "RowText.h"
#include "StatusBarGeometry.h"
#include "ZipResult.h"
#include "platform/Desktop.h"
#include "platform/HintRouter.h"
#include "platform/MessageDlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString AppTitle = QStringLiteral("Tarnwick for Windows 95");

std::function<void(TMainFormFm &)> &CommandInstaller() {
    static std::function<void(TMainFormFm &)> installer;
    return installer;
}

// New and Open share all but the direction and their prompts.
platform::FileDialogRequest ArchiveDialog(platform::FileDialogRequest::Mode mode,
                                          const QString &title) {
    platform::FileDialogRequest dialog;
    dialog.mode = mode;
    dialog.title = title;
    dialog.defaultExt = QStringLiteral("ZIP");
    dialog.filter = QStringLiteral("Zip file (*.ZIP)|*.ZIP|All files (*.*)|*.*");
    dialog.pathMustExist = true;
    return dialog;
}

} // namespace

TMainFormFm::TMainFormFm(const QStringList &arguments, QWidget *parent)
    : QMainWindow(parent), profile_(std::make_unique<TProfileStore>()),
      recent_(std::make_unique<TRecentList>(*profile_)) {
    setObjectName(QStringLiteral("MainFormFm"));
    setAttribute(Qt::WA_DeleteOnClose, false);

    // Design properties of the engine, before the settings overwrite some.
    session_.MainZip.Compression = 6;
    session_.MainZip.StoredExtensions = QStringLiteral(".ZIP;.LZH;.ARC;.ARJ;.ZOO");
    session_.MainZip.UsePaths = false;
    session_.MainZip.UseTempFile = false;
    session_.MainZip.OnListing = [this](TZipEngine &, const TZipFileStats &entry) {
        MainZipListing(entry);
    };

    NewZipDg =
        ArchiveDialog(platform::FileDialogRequest::Mode::Save, QStringLiteral("New Archive"));
    NewZipDg.overwritePrompt = true;
    NewZipDg.createPrompt = true;
    OpenZipDg =
        ArchiveDialog(platform::FileDialogRequest::Mode::Open, QStringLiteral("Open Archive"));
    OpenZipDg.fileMustExist = true;
    AddFilesDg.mode = platform::FileDialogRequest::Mode::Open;
    AddFilesDg.title = QStringLiteral("Add Files");
    AddFilesDg.filter = QStringLiteral("All files (*.*)|*.*");
    AddFilesDg.defaultExt = QStringLiteral("*.*");
    AddFilesDg.multiSelect = true;
    AddFilesDg.fileMustExist = true;
    AddFilesDg.pathMustExist = true;

    BuildLayout();
    BuildMenus();
    BuildPopupMenu();
    ConnectCommands();
    if (CommandInstaller())
        CommandInstaller()(*this);
    // The design's client area is 475 x 283 below the menu bar.
    resize(475, 283 + menuBar()->sizeHint().height());

    Placement1 = new TPlacement(this);
    Placement1->setObjectName(QStringLiteral("Placement1"));
    Placement1->IniFileName = profile_->FileName();
    Placement1->Entry = QStringLiteral("MainFormFm");

    // Its own registration stays off: the window registers itself below.
    FileDrag1 = new TFileDrag(this);
    FileDrag1->setObjectName(QStringLiteral("FileDrag1"));
    FileDrag1->OnDrop = [this](TFileDrag &) { RunItemCommand(QStringLiteral("FileDrag1")); };

    // FormCreate
    platform::HintRouter::instance().registerPanel(this, panel0_);
    ApplyCaption(CaptionFor(QString()));
    RunCommand([this] { LoadSettings(); });
    UpdateArchiveButtons();
    // Registered after LoadSettings has applied stay-on-top.
    setAcceptDrops(true);
    // One application-wide filter sees the shortcuts before they are
    // dispatched, the keys of the open menus and the list's mouse presses.
    qApp->installEventFilter(this);

    // Arguments are joined with blanks, so an unquoted path with blanks
    // still arrives whole.
    const QString path = arguments.mid(0, 8).join(QLatin1Char(' '));
    if (!path.isEmpty())
        RunCommand([this, &path] { OpenZipFile(path); });
}

TMainFormFm::~TMainFormFm() {
    qApp->removeEventFilter(this);
    FormDestroy();
    setAcceptDrops(false);
}

void TMainFormFm::FormDestroy() {
    // Saved once, at the close that ends the window: the window manager
    // still has it framed then, so the outer rectangle is the one seen.
    if (placementSaved_ || !Placement1)
        return;
    placementSaved_ = true;
    if (!Placement1->SavePlacement() &&
        Placement1->ErrorText != QLatin1String(TPlacement::kNoPlacementText) &&
        !Placement1->ErrorText.isEmpty())
        platform::ShowUnexpectedError(Placement1->ErrorText);
}

void TMainFormFm::SetCommandInstaller(std::function<void(TMainFormFm &)> installer) {
    CommandInstaller() = std::move(installer);
}

QString TMainFormFm::CaptionFor(const QString &archivePath) {
    if (archivePath.isEmpty())
        return QStringLiteral("Untitled - ") + AppTitle;
    return archivePath.mid(archivePath.lastIndexOf(QLatin1Char('/')) + 1) + QStringLiteral(" - ") +
           AppTitle;
}

void TMainFormFm::ApplyCaption(const QString &caption) {
    setWindowTitle(caption);
    // The application title (caption of the general error report) follows
    // the caption. Not the display name: on X11 Qt would append that to the
    // title of every dialog and message box.
    QCoreApplication::setApplicationName(caption);
}

void TMainFormFm::BuildLayout() {
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("ClientArea"));
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Panel2 = new QFrame(central);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel2->setFixedHeight(67);
    // The advertisement banner is an empty placeholder of the designed size.
    Banner1 = new QFrame(Panel2);
    Banner1->setObjectName(QStringLiteral("Banner1"));
    Banner1->setGeometry(3, 4, 468, 60);
    Banner1->setVisible(false);
    layout->addWidget(Panel2);

    Panel1 = new QFrame(central);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setFixedHeight(45);
    layout->addWidget(Panel1);
    BuildToolbar();

    FilesHd = new QHeaderView(Qt::Horizontal, central);
    FilesHd->setObjectName(QStringLiteral("FilesHd"));
    auto *headerModel = new QStandardItemModel(0, ColumnCount, FilesHd);
    const char *titles[ColumnCount] = {"Name", "Date", "Time", "Size", "Packed", "Ratio", "Path"};
    for (int k = 0; k < ColumnCount; ++k)
        headerModel->setHeaderData(k, Qt::Horizontal, QString::fromLatin1(titles[k]));
    FilesHd->setModel(headerModel);
    // Clicked, a section sorts the rows by its column (FilesLbSort.h).
    FilesHd->setSectionsClickable(true);
    FilesHd->setSectionsMovable(false);
    FilesHd->setStretchLastSection(false);
    FilesHd->setSectionResizeMode(QHeaderView::Interactive);
    FilesHd->setMinimumSectionSize(0);
    FilesHd->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    FilesHd->setFixedHeight(17);
    // The sections run past the window's edge; they must not widen it.
    FilesHd->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    for (int k = 0; k < ColumnCount; ++k)
        FilesHd->resizeSection(k, DefaultColumnWidths[k]);
    layout->addWidget(FilesHd);

    FilesLb = new TFilesLbView(central);
    FilesLb->setObjectName(QStringLiteral("FilesLb"));
    rows_ = new TRowListModel(FilesLb);
    FilesLb->setModel(rows_);
    FilesLb->setItemDelegate(new TFilesLbDelegate(FilesHd, FilesLb));
    FilesLb->setSelectionMode(QAbstractItemView::ExtendedSelection);
    FilesLb->setUniformItemSizes(true);
    FilesLb->setFrameShape(QFrame::NoFrame);
    FilesLb->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    FilesLb->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FilesLb->setContextMenuPolicy(Qt::CustomContextMenu);
    layout->addWidget(FilesLb, 1);
    setCentralWidget(central);

    auto *status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("StatusBar1"));
    status->setSizeGripEnabled(false);
    status->setFixedHeight(19);
    // The panels are placed by FormResize, not by the status bar's layout,
    // so that a narrow window clips them instead of refusing to shrink.
    panel0_ = new QLabel(status);
    panel0_->setObjectName(QStringLiteral("StatusPanel0"));
    panel0_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel0_->setGeometry(0, 1, 260, 18);
    panel1_ = new QLabel(status);
    panel1_->setObjectName(QStringLiteral("StatusPanel1"));
    panel1_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel1_->setGeometry(262, 1, 200, 18);
    setStatusBar(status);

    ProgressBar2 = new QProgressBar(this);
    ProgressBar2->setObjectName(QStringLiteral("ProgressBar2"));
    ProgressBar2->setRange(0, 100);
    ProgressBar2->setValue(0);
    ProgressBar2->setTextVisible(false);

    TempFiles = new QListWidget(this);
    TempFiles->setObjectName(QStringLiteral("TempFiles"));
    TempFiles->setVisible(false);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(10);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
}

QString TMainFormFm::StatusText() const {
    return pendingStatus_.value_or(panel0_->text());
}

void TMainFormFm::SetStatusText(const QString &text) {
    pendingStatus_ = text;
    PostPendingProgress();
}

void TMainFormFm::SetProgressPosition(int position) {
    pendingProgress_ = position;
    PostPendingProgress();
}

int TMainFormFm::ProgressPosition() const {
    return pendingProgress_.value_or(ProgressBar2->value());
}

void TMainFormFm::PostPendingProgress() {
    if (pendingPosted_)
        return;
    pendingPosted_ = true;
    QMetaObject::invokeMethod(
        this, [this] { ShowPendingProgress(); }, Qt::QueuedConnection);
}

void TMainFormFm::ShowPendingProgress() {
    pendingPosted_ = false;
    if (pendingStatus_)
        panel0_->setText(*std::exchange(pendingStatus_, std::nullopt));
    if (pendingProgress_)
        ProgressBar2->setValue(*std::exchange(pendingProgress_, std::nullopt));
}

void TMainFormFm::ShowStatusNow(const QString &text) {
    pendingStatus_.reset();
    panel0_->setText(text);
}

void TMainFormFm::ShowProgressNow(int position) {
    pendingProgress_.reset();
    ProgressBar2->setValue(position);
}

void TMainFormFm::showEvent(QShowEvent *event) {
    QMainWindow::showEvent(event);
    if (event->spontaneous())
        return;
    // FormShow
    Placement1->RestorePlacement();
    if (!bannerShown_)
        Timer1->start();
}

void TMainFormFm::Timer1Timer() {
    Timer1->stop();
    bannerShown_ = true;
    Banner1->move(3, 4);
    Banner1->setVisible(true);
}

void TMainFormFm::resizeEvent(QResizeEvent *event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TMainFormFm::FormResize() {
    const TStatusLayout layout = StatusLayoutFor(frameGeometry().width(), statusBar()->y());
    panel0_->setGeometry(0, 1, layout.Panel0Width, panel0_->height());
    panel1_->setGeometry(layout.Panel0Width + 2, 1, 200, panel1_->height());
    ProgressBar2->setGeometry(layout.ProgressBar);
    ProgressBar2->raise();
}

void TMainFormFm::closeEvent(QCloseEvent *event) {
    // The engine pumps window events during a call; closing then would
    // destroy MainZip inside its own operation.
    if (session_.BusyCount != 0) {
        event->ignore();
        return;
    }
    // FormClose
    if (!SaveSettings(false)) {
        event->ignore();
        return;
    }
    // The editor windows standing in for Notepad belong to this program and
    // would keep it running; closed before the copies they show are deleted,
    // so that a last save cannot bring one back.
    if (!platform::CloseTextEditors()) {
        event->ignore();
        return;
    }
    for (int i = 0; i < TempFiles->count(); ++i)
        QFile::remove(TempFiles->item(i)->text().left(255));
    event->accept();
    FormDestroy();
}

void TMainFormFm::AddTempFile(const QString &path) {
    TempFiles->addItem(path);
}

QStringList TMainFormFm::DroppedFiles() const {
    return FileDrag1->NameWithPath();
}

void TMainFormFm::SetEntryDragHandlers(std::function<QMimeData *()> start,
                                       std::function<void(Qt::DropAction)> ended) {
    auto *list = static_cast<TFilesLbView *>(FilesLb);
    list->OnStartDrag = [start = std::move(start)](TFilesLbView &) { return start(); };
    list->OnDragEnded = [ended = std::move(ended)](TFilesLbView &, Qt::DropAction done) {
        ended(done);
    };
}

QStringList TMainFormFm::TempFileNames() const {
    QStringList names;
    for (int i = 0; i < TempFiles->count(); ++i)
        names.append(TempFiles->item(i)->text());
    return names;
}

void TMainFormFm::FileExitMnClick() {
    close();
}

void TMainFormFm::RunCommand(const std::function<void()> &command) {
    try {
        command();
    } catch (const std::exception &error) {
        platform::ShowUnexpectedError(QString::fromUtf8(error.what()));
    }
}

void TMainFormFm::SetBusy(bool leaving) {
    session_.BusyCount += leaving ? -1 : 1;
    if (session_.BusyCount < 0)
        session_.BusyCount = 0;
    const bool idle = session_.BusyCount == 0;
    for (QMenu *menu : {FileMn, EditMn, OptionsMn, HelpMn})
        menu->menuAction()->setEnabled(idle);
    FilesLb->setEnabled(idle);
    // Both engines leave the archive as it was when stopped, in place as well
    // as through a temporary file, so every operation may be aborted.
    Button("AbortSb")->setEnabled(!idle);
    // A drop now could not be added; refused, the source keeps its files.
    FileDrag1->SetRefuseDrops(!idle);
    // No second operation may enter the engine from the toolbar meanwhile.
    for (const char *name : {"SpdBtnNew", "SpdBtnOpen", "SpdBtnOptions", "SpdBtnHelp"})
        Button(name)->setEnabled(idle);
    UpdateArchiveButtons();
    if (idle)
        unsetCursor();
    else
        setCursor(Qt::WaitCursor);
    if (leaving) {
        ShowProgressNow(0);
        ShowStatusNow(
            TotalsText(rows_->Count(), totals_.TotalSize, totals_.TotalPacked, DisplayLocale()));
    }
}

TResultClass TMainFormFm::ShowOutcome(TSessionOutcome &outcome, const QString &verb) {
    const TZipResultReport report = ZipResultReportFor(outcome.Code, verb, QuietOpen);
    if (report.Seen)
        outcome.Reported = true;
    outcome.Class = report.ResultClass;
    if (!report.Text.isEmpty() && report.Box != TZipResultBox::None)
        platform::MessageDlg(report.Text,
                             report.Box == TZipResultBox::Information
                                 ? platform::MsgKind::Information
                                 : platform::MsgKind::Error,
                             platform::MsgButton::OK);
    return report.ResultClass;
}

TArchiveViewState TMainFormFm::ViewState() const {
    return TArchiveViewState{!session_.MainZip.ZipFileName.isEmpty(),
                             session_.MainZip.MultidiskMode, rows_->Count(), SelectedCount()};
}

void TMainFormFm::UpdateArchiveButtons() {
    const TToolbarEnabling e = ToolbarEnabling(ViewState());
    const bool idle = session_.BusyCount == 0;
    for (const char *name : {"SpdBtnClose", "SpdBtnInfo", "SpdBtnAdd"})
        Button(name)->setEnabled(idle && e.ArchiveButtons);
    UpdateSelectionButtons();
}

void TMainFormFm::UpdateSelectionButtons() {
    const bool enabled = session_.BusyCount == 0 && ToolbarEnabling(ViewState()).SelectionButtons;
    for (const char *name : {"SpdBtnRemove", "SpdBtnExtract", "SpdBtnView"})
        Button(name)->setEnabled(enabled);
    // Keeps the shortcuts current even when no key reaches our filter first.
    RefreshMenuStates();
}

QAction *TMainFormFm::Item(const char *name) const {
    return findChild<QAction *>(QString::fromLatin1(name));
}

QToolButton *TMainFormFm::Button(const char *name) const {
    return Panel1->findChild<QToolButton *>(QString::fromLatin1(name));
}
