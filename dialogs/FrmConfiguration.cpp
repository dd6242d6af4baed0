#include "FrmConfiguration.h"

#include "DecorativePictures.h"
#include "Settings.h"
#include "platform/Desktop.h"
#include "platform/ScreenCentre.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

const char *const HelpContextProperty = "HelpContext";

template <typename T> T *Named(T *widget, const char *name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QWidget *NewPage(QTabWidget *pages, const char *name, const QString &caption, int helpContext) {
    auto *page = Named(new QWidget, name);
    page->setProperty(HelpContextProperty, helpContext);
    pages->addTab(page, caption);
    return page;
}

QVBoxLayout *PageLayout(QWidget *page) {
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);
    return layout;
}

QLabel *BuddyLabel(const QString &caption, QWidget *buddy) {
    auto *label = new QLabel(caption);
    label->setBuddy(buddy);
    return label;
}

QLabel *PictureLabel(const QPixmap &picture) {
    auto *label = new QLabel;
    label->setPixmap(picture);
    label->setAlignment(Qt::AlignRight | Qt::AlignTop);
    return label;
}

// A combo box index that names an entry, or -1 (nothing selected).
int EntryIndex(const QComboBox *box, int value) {
    return value >= 0 && value < box->count() ? value : -1;
}

} // namespace

TFrmConfiguration::TFrmConfiguration(TSettings &settings, QWidget *mainWindow)
    : QDialog(mainWindow), settings_(settings), mainWindow_(mainWindow) {
    setObjectName(QStringLiteral("FrmConfiguration"));
    setWindowTitle(QStringLiteral("Tarnwick Configuration"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    // Modal to the whole program (exec's default): an archive browser must
    // not open another archive under the dialog. The help viewer stays usable.
    // The designed 8-point face, in the desktop's family.
    QFont face = font();
    face.setPointSize(8);
    setFont(face);

    PageControl1 = Named(new QTabWidget(this), "PageControl1");
    PageControl1->setUsesScrollButtons(false);
    BuildOptionsPage();
    BuildAddOptionsPage();
    BuildExtractOptionsPage();
    BuildPasswordPage();
    BuildOtherPage();

    auto *button3 = Named(new QPushButton(QStringLiteral("&Help"), this), "Button3");
    auto *button2 = Named(new QPushButton(QStringLiteral("OK"), this), "Button2");
    auto *button1 = Named(new QPushButton(QStringLiteral("Cancel"), this), "Button1");
    button2->setDefault(true);
    for (QPushButton *button : {button3, button1})
        button->setAutoDefault(false);
    // The designed 331 x 375; a face wider than the design's makes the dialog
    // grow with it rather than cut its captions.
    const QSize pages = PageControl1->minimumSizeHint().expandedTo(QSize(313, 330));
    PageControl1->setGeometry(8, 7, pages.width(), pages.height());
    const int right = 8 + pages.width();
    const int buttonTop = 7 + pages.height() + 7;
    button3->setGeometry(8, buttonTop, 75, 25);
    button2->setGeometry(right - 155, buttonTop, 75, 25);
    button1->setGeometry(right - 75, buttonTop, 75, 25);
    setFixedSize(right + 10, buttonTop + 31);
    connect(button2, &QPushButton::clicked, this, &TFrmConfiguration::Button2Click);
    connect(button1, &QPushButton::clicked, this, &TFrmConfiguration::Button1Click);
    connect(button3, &QPushButton::clicked, this, &TFrmConfiguration::Button3Click);

    // F1 asks for the topic of the page on show, whichever control has the focus.
    auto *help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, &TFrmConfiguration::ShowPageHelp);

    FormCreate();
    platform::CentreOnScreen(*this);
}

void TFrmConfiguration::BuildOptionsPage() {
    QWidget *page = NewPage(PageControl1, "TabSheet1", QStringLiteral("Options"), 1007);
    auto *layout = PageLayout(page);

    auto *settings = new QGroupBox(QStringLiteral("&Settings:"));
    CkBxOnTop = Named(new QCheckBox(QStringLiteral("&Always on Top")), "CkBxOnTop");
    CkBxUseTemp =
        Named(new QCheckBox(QStringLiteral("Use &Temp File during Add and Delete Options")),
              "CkBxUseTemp");
    EdTempFolder = Named(new QLineEdit, "EdTempFolder");
    auto *settingsGrid = new QGridLayout(settings);
    settingsGrid->addWidget(CkBxOnTop, 0, 0);
    settingsGrid->addWidget(PictureLabel(dialogs::ArchiveBoxPicture()), 0, 1);
    settingsGrid->addWidget(CkBxUseTemp, 1, 0, 1, 2);
    settingsGrid->addWidget(BuddyLabel(QStringLiteral("Temp &File Folder:"), EdTempFolder), 2, 0, 1,
                            2);
    settingsGrid->addWidget(EdTempFolder, 3, 0, 1, 2);
    layout->addWidget(settings);

    auto *confirm = new QGroupBox(QStringLiteral("Confirm &When:"));
    CkBxRemove = Named(new QCheckBox(QStringLiteral("Remove Button Pressed")), "CkBxRemove");
    CkBxAdd = Named(new QCheckBox(QStringLiteral("Add Button Pressed")), "CkBxAdd");
    CkBxExtract = Named(new QCheckBox(QStringLiteral("Extract Button Pressed")), "CkBxExtract");
    auto *confirmGrid = new QGridLayout(confirm);
    confirmGrid->addWidget(CkBxRemove, 0, 0);
    confirmGrid->addWidget(CkBxAdd, 0, 1);
    confirmGrid->addWidget(CkBxExtract, 1, 0);
    layout->addWidget(confirm);

    auto *level = new QGroupBox(QStringLiteral("Compression &Level:"));
    TrackBar1 = Named(new QSlider(Qt::Horizontal), "TrackBar1");
    TrackBar1->setRange(0, 8);
    TrackBar1->setTickInterval(1);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    TrackBar1->setPageStep(1);
    TrackBar1->setValue(6);
    auto *low = Named(new QLabel(QStringLiteral("0 (Stored)")), "LblStored");
    auto *high = Named(new QLabel(QStringLiteral("8 (Highest)")), "LblHighest");
    auto *levelGrid = new QGridLayout(level);
    levelGrid->addWidget(TrackBar1, 0, 0, 1, 2);
    levelGrid->addWidget(low, 1, 0, Qt::AlignLeft);
    levelGrid->addWidget(high, 1, 1, Qt::AlignRight);
    layout->addWidget(level);
    layout->addStretch();

    setTabOrder(CkBxRemove, CkBxAdd);
    setTabOrder(CkBxAdd, CkBxExtract);
}

void TFrmConfiguration::BuildAddOptionsPage() {
    QWidget *page = NewPage(PageControl1, "TabSheet2", QStringLiteral("Add Options"), 1005);
    auto *layout = PageLayout(page);

    auto *options = new QGroupBox(QStringLiteral("Add Options"));
    auto *column = new QVBoxLayout(options);
    CkBxClearDisk = Named(new QCheckBox(QStringLiteral("Clear Disks on Multiple &Disk Archive")),
                          "CkBxClearDisk");
    CkBxIncludeHidden =
        Named(new QCheckBox(QStringLiteral("Include &Hidden Files")), "CkBxIncludeHidden");
    CkBxMoveFiles = Named(new QCheckBox(QStringLiteral("Remove &Files ")), "CkBxMoveFiles");
    CkBxStorePath =
        Named(new QCheckBox(QStringLiteral("&Store Folder Path in Archive")), "CkBxStorePath");
    CkBxRecurse =
        Named(new QCheckBox(QStringLiteral("&Recurse Folders into Archive")), "CkBxRecurse");
    CkBxStoreSymlinks =
        Named(new QCheckBox(QStringLiteral("Store symbolic &links as links")), "CkBxStoreSymlinks");
    for (QCheckBox *box : {CkBxClearDisk, CkBxIncludeHidden, CkBxMoveFiles, CkBxStorePath,
                           CkBxRecurse, CkBxStoreSymlinks})
        column->addWidget(box);
    layout->addWidget(options);

    auto *stored = new QGroupBox(QStringLiteral("Store Files with &Extensions:"));
    EdStoredExt = Named(new QLineEdit(QStringLiteral(".ZIP;.LZH;.ARC;.ARJ;.ZOO")), "EdStoredExt");
    EdStoredExt->setMaxLength(TextSettingLimit);
    (new QVBoxLayout(stored))->addWidget(EdStoredExt);
    layout->addWidget(stored);
    layout->addStretch();
}

void TFrmConfiguration::BuildExtractOptionsPage() {
    QWidget *page = NewPage(PageControl1, "TabSheet3", QStringLiteral("Extract Options"), 1006);
    auto *layout = PageLayout(page);

    auto *options = new QGroupBox(QStringLiteral("&Extract Options:"));
    auto *column = new QVBoxLayout(options);
    CmOverwrite = Named(new QComboBox, "CmOverwrite");
    CmOverwrite->addItems({QStringLiteral("Never Overwrite"), QStringLiteral("Always Overwrite"),
                           QStringLiteral("Prompt User")});
    EdDefaultExtractPath = Named(new QLineEdit, "EdDefaultExtractPath");
    CmExtractMethod = Named(new QComboBox, "CmExtractMethod");
    CmExtractMethod->addItems(
        {QStringLiteral("Extract All"), QStringLiteral("Freshen"), QStringLiteral("Update")});
    CkBxExtractPath =
        Named(new QCheckBox(QStringLiteral("Extract Files to &Stored Folder")), "CkBxExtractPath");
    column->addWidget(BuddyLabel(QStringLiteral("Overwrite Existing File &Method:"), CmOverwrite));
    column->addWidget(CmOverwrite);
    column->addSpacing(6);
    column->addWidget(BuddyLabel(QStringLiteral("&Default Extract Folder:"), EdDefaultExtractPath));
    column->addWidget(EdDefaultExtractPath);
    column->addSpacing(6);
    column->addWidget(BuddyLabel(QStringLiteral("E&xtract Method:"), CmExtractMethod));
    column->addWidget(CmExtractMethod);
    column->addSpacing(6);
    column->addWidget(CkBxExtractPath);
    layout->addWidget(options);
    layout->addStretch();
}

void TFrmConfiguration::BuildPasswordPage() {
    QWidget *page = NewPage(PageControl1, "TabSheet4", QStringLiteral("Password"), 1009);
    auto *layout = PageLayout(page);

    auto *group = new QGroupBox(QStringLiteral("Password:"));
    auto *grid = new QGridLayout(group);
    auto *explanation = new QLabel(QStringLiteral(
        "The password will be used to encrypt any new files added to an archive and to unencrypt "
        "files in the archive that are password encrypted.  Leave the password blank if you "
        "desire no file encryption.  The password can be up to 80 characters."));
    explanation->setWordWrap(true);
    EdPassword = Named(new QLineEdit, "EdPassword");
    EdPassword->setMaxLength(PasswordLimit);
    EdPassword->setEchoMode(QLineEdit::Password);
    // Every character shows as "*", whatever the style would choose.
    EdPassword->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    grid->addWidget(explanation, 0, 0);
    grid->addWidget(PictureLabel(dialogs::KeyPicture()), 0, 1);
    grid->addWidget(BuddyLabel(QStringLiteral("Stored &Password for Files:"), EdPassword), 1, 0, 1,
                    2);
    grid->addWidget(EdPassword, 2, 0, 1, 2);
    // Ours: entries in the order of the setting's values.
    CmEncryption = Named(new QComboBox, "CmEncryption");
    CmEncryption->addItems(
        {QStringLiteral("ZipCrypto (readable everywhere)"), QStringLiteral("AES-256 (secure)")});
    grid->addWidget(BuddyLabel(QStringLiteral("&Encryption:"), CmEncryption), 3, 0, 1, 2);
    grid->addWidget(CmEncryption, 4, 0, 1, 2);
    CkBxAskPassword =
        Named(new QCheckBox(QStringLiteral("&Ask for a password when none is stored")),
              "CkBxAskPassword");
    grid->addWidget(CkBxAskPassword, 5, 0, 1, 2);
    layout->addWidget(group);
    layout->addStretch();
}

void TFrmConfiguration::BuildOtherPage() {
    QWidget *page = NewPage(PageControl1, "TabSheet5", QStringLiteral("Other"), 1008);
    auto *layout = PageLayout(page);

    auto *group =
        Named(new QGroupBox(QStringLiteral("&Mouse Double Click Action:")), "RdGrpMouseAction");
    group->setStatusTip(QStringLiteral(
        "Select Action for Tarnwick to Perform when you Double Click on a File in an Archive"));
    auto *column = new QVBoxLayout(group);
    auto *buttons = new QButtonGroup(group);
    const QString captions[] = {QStringLiteral("&View the File"),
                                QStringLiteral("&Extract the File from the Archive"),
                                QStringLiteral("&Remove the File from the Archive")};
    for (int i = 0; i < 3; ++i) {
        mouseActions_[i] = new QRadioButton(captions[i]);
        buttons->addButton(mouseActions_[i], i);
        column->addWidget(mouseActions_[i]);
    }
    mouseActions_[0]->setChecked(true);
    layout->addWidget(group);

    CkBxCloseBrowser =
        Named(new QCheckBox(QStringLiteral("Close Archive &Browser after opening an Archive")),
              "CkBxCloseBrowser");
    layout->addWidget(CkBxCloseBrowser);
    layout->addStretch();
}

void TFrmConfiguration::FormCreate() {
    const TSettings &s = settings_;
    TrackBar1->setValue(s.CompressionLevel);
    CkBxRemove->setChecked(s.ConfirmRemove);
    CkBxExtract->setChecked(s.ConfirmExtract);
    CkBxAdd->setChecked(s.ConfirmAdd);
    EdTempFolder->setText(s.TempFolder);
    CkBxOnTop->setChecked(s.OnTop);
    CkBxUseTemp->setChecked(s.UseTempFile);
    EdPassword->setText(s.Password);
    CmEncryption->setCurrentIndex(EntryIndex(CmEncryption, s.Encryption));
    CkBxCloseBrowser->setChecked(s.CloseBrowser);
    // A value that names no item leaves the group without a selection.
    auto *group = mouseActions_[0]->group();
    group->setExclusive(false);
    for (int i = 0; i < 3; ++i)
        mouseActions_[i]->setChecked(i == s.MouseAction);
    group->setExclusive(true);
    CkBxClearDisk->setChecked(s.ClearDisk);
    CkBxIncludeHidden->setChecked(s.IncludeHidden);
    CkBxMoveFiles->setChecked(s.MoveFiles);
    CkBxStorePath->setChecked(s.StorePath);
    CkBxRecurse->setChecked(s.Recurse);
    CkBxStoreSymlinks->setChecked(s.StoreSymlinks);
    CkBxAskPassword->setChecked(s.AskPassword);
    EdStoredExt->setText(s.StoredExt);
    CmOverwrite->setCurrentIndex(EntryIndex(CmOverwrite, s.Overwrite));
    EdDefaultExtractPath->setText(s.DefaultExtractPath);
    CkBxExtractPath->setChecked(s.ExtractPath);
    CmExtractMethod->setCurrentIndex(EntryIndex(CmExtractMethod, s.ExtractMethod));
    if (s.OnTop)
        setWindowFlag(Qt::WindowStaysOnTopHint, true);
    PageControl1->setCurrentIndex(0);
}

int TFrmConfiguration::MouseActionIndex() const {
    return mouseActions_[0]->group()->checkedId();
}

void TFrmConfiguration::Button2Click() {
    TSettings &s = settings_;
    s.CompressionLevel = TrackBar1->value();
    s.ConfirmRemove = CkBxRemove->isChecked();
    s.ConfirmExtract = CkBxExtract->isChecked();
    s.ConfirmAdd = CkBxAdd->isChecked();
    s.TempFolder = EdTempFolder->text().left(TextSettingLimit);
    s.OnTop = CkBxOnTop->isChecked();
    s.UseTempFile = CkBxUseTemp->isChecked();
    s.Password = EdPassword->text().left(PasswordLimit);
    // A stored value that names no entry stays as it is.
    if (CmEncryption->currentIndex() >= 0)
        s.Encryption = CmEncryption->currentIndex();
    s.CloseBrowser = CkBxCloseBrowser->isChecked();
    s.MouseAction = MouseActionIndex();
    s.ClearDisk = CkBxClearDisk->isChecked();
    s.IncludeHidden = CkBxIncludeHidden->isChecked();
    s.MoveFiles = CkBxMoveFiles->isChecked();
    s.StorePath = CkBxStorePath->isChecked();
    s.Recurse = CkBxRecurse->isChecked();
    s.StoreSymlinks = CkBxStoreSymlinks->isChecked();
    s.AskPassword = CkBxAskPassword->isChecked();
    s.StoredExt = EdStoredExt->text().left(TextSettingLimit);
    if (CmOverwrite->currentIndex() < 0)
        CmOverwrite->setCurrentIndex(2);
    s.Overwrite = CmOverwrite->currentIndex();
    s.DefaultExtractPath = EdDefaultExtractPath->text().left(TextSettingLimit);
    s.ExtractPath = CkBxExtractPath->isChecked();
    s.ExtractMethod = CmExtractMethod->currentIndex();
    // Switching it off waits for the next start: a window that is on top
    // stays so for this run.
    if (s.OnTop && mainWindow_ && !(mainWindow_->windowFlags() & Qt::WindowStaysOnTopHint)) {
        const bool visible = mainWindow_->isVisible();
        mainWindow_->setWindowFlag(Qt::WindowStaysOnTopHint, true);
        if (visible)
            mainWindow_->show();
    }
    if (s.TempFolder.endsWith(u'/'))
        s.TempFolder.chop(1);
    accept();
}

void TFrmConfiguration::Button1Click() {
    reject();
}

void TFrmConfiguration::Button3Click() {
    platform::HelpContext(HelpContextDialog);
}

void TFrmConfiguration::ShowPageHelp() {
    platform::HelpContext(PageControl1->currentWidget()->property(HelpContextProperty).toInt());
}
