#include "FrmBrowse.h"

#include "BrowseList.h"
#include "BusyScope.h"
#include "CommandHost.h"
#include "Placemnt.h"
#include "platform/Desktop.h"
#include "platform/HintRouter.h"

#include <QCloseEvent>
#include <QDir>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QScopeGuard>
#include <QShortcut>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWidget>

namespace {

constexpr int HelpContextBrowser = 1048;
constexpr int PathLimit = 255;

QString &SharedLastFolder() {
    static QString folder;
    return folder;
}

QToolButton *PictureButton(QWidget *parent, const char *name, QStyle::StandardPixmap picture,
                           const QString &hint, int x) {
    auto *button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(parent->style()->standardIcon(picture));
    button->setIconSize(QSize(24, 24));
    button->setStatusTip(hint);
    button->setAutoRaise(true);
    button->setGeometry(x, 2, 38, 38);
    return button;
}

} // namespace

TFrmBrowse::TFrmBrowse(TCommandHost &mainForm) : QWidget(nullptr, Qt::Window), mainForm_(mainForm) {
    setObjectName(QStringLiteral("FrmBrowse"));
    setAttribute(Qt::WA_DeleteOnClose);
    // Closing the main window ends the program with its browsers open.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QStringLiteral("Tarnwick Archive Browser"));
    resize(334, 280);
    // The designed 8-point face, in the desktop's family: the status panel's
    // 200 pixels then hold the hints.
    QFont face = font();
    face.setPointSize(8);
    setFont(face);

    ZipEngine1.Compression = 6;
    ZipEngine1.StoredExtensions = QStringLiteral(".ZIP;.LZH;.ARC;.ARJ;.ZOO");
    ZipEngine1.UsePaths = false;
    ZipEngine1.UseTempFile = false;

    auto *panel1 = new QFrame(this);
    panel1->setObjectName(QStringLiteral("Panel1"));
    panel1->setFixedHeight(43);
    panel1->setFrameShape(QFrame::StyledPanel);
    SpdBtnBrowse = PictureButton(panel1, "SpdBtnBrowse", QStyle::SP_DirOpenIcon,
                                 QStringLiteral("Select Archive Directory to Browse"), 2);
    SpdBtnOpen = PictureButton(panel1, "SpdBtnOpen", QStyle::SP_DialogOpenButton,
                               QStringLiteral("Open the Selected Archive "), 40);

    auto *sections = new QStandardItemModel(0, 2, this);
    sections->setHorizontalHeaderLabels(
        {QStringLiteral("Archive Name"), QStringLiteral("Archive Comment")});
    FilesHd = new QHeaderView(Qt::Horizontal, this);
    FilesHd->setObjectName(QStringLiteral("FilesHd"));
    FilesHd->setModel(sections);
    FilesHd->setSectionsClickable(false);
    FilesHd->setSectionResizeMode(QHeaderView::Interactive);
    FilesHd->setStretchLastSection(false);
    FilesHd->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    FilesHd->setMinimumSectionSize(0);
    FilesHd->resizeSection(0, 150);
    FilesHd->resizeSection(1, 300);
    FilesHd->setFixedHeight(17);

    FilesLb = new QListWidget(this);
    FilesLb->setObjectName(QStringLiteral("FilesLb"));
    FilesLb->setFrameShape(QFrame::NoFrame);
    FilesLb->setSelectionMode(QAbstractItemView::ExtendedSelection);
    FilesLb->setUniformItemSizes(true);
    FilesLb->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    FilesLb->setItemDelegate(new browse::ArchiveRowDelegate(FilesHd, FilesLb));

    auto *statusBar1 = new QStatusBar(this);
    statusBar1->setObjectName(QStringLiteral("StatusBar1"));
    statusBar1->setSizeGripEnabled(true);
    panel0_ = new QLabel(statusBar1);
    panel0_->setObjectName(QStringLiteral("StatusPanel0"));
    panel0_->setFixedWidth(200);
    statusBar1->addWidget(panel0_);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(panel1);
    layout->addWidget(FilesHd);
    layout->addWidget(FilesLb, 1);
    layout->addWidget(statusBar1);

    Placement1 = new TPlacement(this);
    Placement1->setObjectName(QStringLiteral("Placement1"));
    Placement1->IniFileName = QStringLiteral("TARNWICK.INI");
    Placement1->Entry = QStringLiteral("FrmBrowse");

    connect(SpdBtnBrowse, &QToolButton::clicked, this, &TFrmBrowse::SpdBtnBrowseClick);
    connect(SpdBtnOpen, &QToolButton::clicked, this, &TFrmBrowse::FilesLbDblClick);
    connect(FilesLb, &QListWidget::itemSelectionChanged, this, &TFrmBrowse::FilesLbClick);
    connect(FilesLb, &QListWidget::itemDoubleClicked, this, &TFrmBrowse::FilesLbDblClick);
    FilesLb->installEventFilter(this);
    connect(FilesHd, &QHeaderView::sectionResized, this, [this] { FilesLb->viewport()->update(); });
    auto *help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, [] { platform::HelpContext(HelpContextBrowser); });
    // The program ends with its main window; a browser left open goes with it.
    connect(&mainForm_.Window(), &QObject::destroyed, this, [this] { delete this; });

    // FormActivate: this window's status bar shows the hints while it is active.
    platform::HintRouter::instance().registerPanel(this, panel0_);
    FilesLbClick();
}

TFrmBrowse::~TFrmBrowse() {
    // FormDestroy
    Placement1->SavePlacement();
}

QString TFrmBrowse::LastScanFolder() {
    return SharedLastFolder();
}

void TFrmBrowse::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    if (placed_)
        return;
    placed_ = true;
    FilesLbClick();
    Placement1->RestorePlacement();
}

void TFrmBrowse::closeEvent(QCloseEvent *event) {
    // The engine pumps events while it reads a comment; the window must
    // outlive that call.
    if (scanning_) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

bool TFrmBrowse::eventFilter(QObject *watched, QEvent *event) {
    // Enter on a row opens it, as a double click does.
    if (watched == FilesLb && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            FilesLbDblClick();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

int TFrmBrowse::SelectedCount() const {
    return static_cast<int>(FilesLb->selectedItems().size());
}

void TFrmBrowse::FilesLbClick() {
    SpdBtnOpen->setEnabled(SelectedCount() > 0);
}

void TFrmBrowse::SpdBtnBrowseClick() {
    // One engine call at a time: an operation of the main window and a scan
    // would share the engine's comment buffer.
    if (scanning_ || mainForm_.IsBusy())
        return;
    const QString start = SharedLastFolder().isEmpty() ? QDir::currentPath() : SharedLastFolder();
    if (const auto folder = platform::SelectDirectory(start))
        ScanFolder(*folder);
    FilesLbClick();
}

void TFrmBrowse::ScanFolder(const QString &folder) {
    SharedLastFolder() = folder;
    FilesLb->clear();
    scanning_ = true;
    SpdBtnBrowse->setEnabled(false);
    FilesLb->setUpdatesEnabled(false);
    const auto resume = qScopeGuard([this] {
        FilesLb->setUpdatesEnabled(true);
        SpdBtnBrowse->setEnabled(true);
        scanning_ = false;
    });
    // The main window starts no command while the comments are read.
    const TBusyScope busy(mainForm_);
    const auto archives = browse::ScanFolder(folder, [this](const QString &path) {
        ZipEngine1.ZipFileName = path;
        const QString comment = ZipEngine1.ArchiveComment();
        ZipEngine1.ZipFileName.clear();
        return comment;
    });
    for (const browse::Archive &archive : archives) {
        auto *item = new QListWidgetItem(archive.path + u',' + archive.comment);
        item->setData(browse::PathRole, archive.path);
        item->setData(browse::CommentRole, archive.comment);
        FilesLb->addItem(item);
    }
    FilesLb->setStatusTip(QStringLiteral("Archives in ") + folder);
}

void TFrmBrowse::FilesLbDblClick() {
    // Opening in the middle of a main-window operation would pull the
    // archive from under it.
    if (scanning_ || mainForm_.IsBusy())
        return;
    for (int row = 0; row < FilesLb->count(); ++row) {
        const QListWidgetItem *item = FilesLb->item(row);
        if (!item->isSelected())
            continue;
        mainForm_.OpenZipFile(item->data(browse::PathRole).toString().left(PathLimit));
        if (mainForm_.Window().isMinimized())
            mainForm_.Window().showNormal();
        mainForm_.Window().raise();
        mainForm_.Window().activateWindow();
        if (mainForm_.CurrentSettings().CloseBrowser)
            close();
        return;
    }
}
