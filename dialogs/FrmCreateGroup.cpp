#include "FrmCreateGroup.h"

#include "CommandHost.h"
#include "ExtractFiles.h"
#include "ProgramGroup.h"
#include "platform/Desktop.h"
#include "platform/MessageDlg.h"
#include "platform/ScreenCentre.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QWidget>

#include <algorithm>

namespace {

constexpr int TextLimit = 255;

QString CurrentFolder() {
    return QDir::currentPath();
}

} // namespace

TFrmCreateGroup::TFrmCreateGroup(TCommandHost &form) : QDialog(&form.Window()), form_(form) {
    setObjectName(QStringLiteral("FrmCreateGroup"));
    setWindowTitle(QStringLiteral("Create Program Group"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    // Modal to the whole program (exec's default): an archive browser must
    // not open another archive while the group for this one is asked for.
    QFont face = font();
    face.setPointSize(8);
    setFont(face);

    auto *text = new QLabel(
        QStringLiteral("This option will extract all files within this archive to the selected "
                       "directory.  It will also create a windows program group and add an icon "
                       "representing each file in the archive.  Select the name of the windows "
                       "program group to create."),
        this);
    text->setWordWrap(true);
    text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    text->setFixedWidth(305);
    const int textHeight = std::max(60, text->heightForWidth(305));
    text->setGeometry(8, 8, 305, textHeight);

    auto *folderLabel = new QLabel(QStringLiteral("Extract to Folder:"), this);
    auto *groupLabel = new QLabel(QStringLiteral("Program Group Name:"), this);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    const int labelWidth =
        std::max(folderLabel->sizeHint().width(), groupLabel->sizeHint().width()) + 8;
    const int editLeft = std::max(136, 8 + labelWidth);
    const int rowTop = 8 + textHeight + 8;
    const int rowHeight = std::max(21, Edit1->sizeHint().height());
    folderLabel->setGeometry(8, rowTop, labelWidth, rowHeight);
    Edit1->setGeometry(editLeft, rowTop, 177, rowHeight);
    groupLabel->setGeometry(8, rowTop + rowHeight + 6, labelWidth, rowHeight);
    Edit2->setGeometry(editLeft, rowTop + rowHeight + 6, 177, rowHeight);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("BtnOk"));
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("BtnCancel"));
    ok->setDefault(true);
    cancel->setAutoDefault(false);
    const int right = std::max(313, editLeft + 177);
    const int buttonTop = rowTop + 2 * rowHeight + 6 + 12;
    ok->setGeometry(right - 155, buttonTop, 75, 25);
    cancel->setGeometry(right - 75, buttonTop, 75, 25);
    // The designed 320 x 171, or more where the desktop's face needs it.
    setFixedSize(std::max(320, right + 7), std::max(171, buttonTop + 25 + 8));

    connect(ok, &QPushButton::clicked, this, &TFrmCreateGroup::BtnOkClick);
    connect(cancel, &QPushButton::clicked, this, &TFrmCreateGroup::BtnCancelClick);
    auto *help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, [] { platform::HelpContext(HelpContextDialog); });

    FormCreate();
    platform::CentreOnScreen(*this);
}

void TFrmCreateGroup::FormCreate() {
    const QString group = progmangroup::DefaultGroupName(form_.Session().ArchivePath());
    const QString base = form_.CurrentSettings().DefaultExtractPath.isEmpty()
                             ? CurrentFolder()
                             : form_.CurrentSettings().DefaultExtractPath;
    Edit1->setText(base + u'/' + group);
    Edit2->setText(group);
    if (form_.CurrentSettings().OnTop)
        setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

void TFrmCreateGroup::BtnOkClick() {
    hide();
    // Everything the archive holds now: rows listed before another program
    // changed it would name entries that are gone and miss new ones.
    if (!form_.ListingCurrent())
        form_.ListArchiveContents();
    form_.EditSelectAllMnClick();
    QString folder = Edit1->text().left(TextLimit);
    if (folder.isEmpty())
        folder = CurrentFolder();
    // The group is made whatever the extraction gave; ExtractFiles has
    // reported any failure already.
    TArchiveSession &session = form_.Session();
    ExtractFiles(session, form_, ExtractRequestFor(form_.CurrentSettings(), folder));
    const int count = session.EntryCount();

    auto conversation =
        platform::Desktop::current().ddeConnect(QStringLiteral("ProgMan"), QString());
    if (!conversation || !conversation->execute(progmangroup::CreateGroupCommand(Edit2->text())))
        platform::MessageDlg(QStringLiteral("Unable to create group."),
                             platform::MsgKind::Information, platform::MsgButton::OK);
    int leftOut = 0;
    if (conversation) {
        for (int i = 0; i < std::min(count, progmangroup::MaxItems); ++i) {
            const QString stored = session.EntryName(i);
            const auto command =
                progmangroup::AddItemCommand(folder, stored, form_.CurrentSettings().ExtractPath);
            if (command)
                conversation->execute(*command);
            else
                ++leftOut;
        }
    }
    conversation.reset();
    if (leftOut > 0)
        platform::MessageDlg(progmangroup::LeftOutMessage(leftOut), platform::MsgKind::Information,
                             platform::MsgButton::OK);
    accept();
}

void TFrmCreateGroup::BtnCancelClick() {
    reject();
}
