#include "FrmArchiveInfo.h"

#include "ArchiveComment.h"
#include "CommandHost.h"
#include "RowText.h"
#include "platform/IoError.h"
#include "platform/MessageDlg.h"
#include "platform/SystemDate.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

namespace {

constexpr int CommentLimit = 255;

QLabel *AddLabel(QWidget *parent, const char *name, const QString &text, int x, int y) {
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    // Paths and comments are shown as they are, never as markup.
    label->setTextFormat(Qt::PlainText);
    label->move(x, y);
    label->adjustSize();
    return label;
}

// Comments may end their lines the DOS way; the label starts a new line at
// each of them.
QString CommentLines(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

} // namespace

TFrmArchiveInfo::TFrmArchiveInfo(TCommandHost &owner) : QDialog(&owner.Window()), owner_(owner) {
    setObjectName(QStringLiteral("FrmArchiveInfo"));
    setWindowTitle(QStringLiteral("Archive Information"));
    // A dialog frame with a title and no buttons on it.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(365, 271);

    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setGeometry(6, 8, 353, 225);

    AddLabel(panel, "Label1", QStringLiteral("File:"), 16, 12);
    AddLabel(panel, "Label2", QStringLiteral("File Size:"), 16, 36);
    AddLabel(panel, "Label3", QStringLiteral("Files:"), 16, 60);
    AddLabel(panel, "Label4", QStringLiteral("Compression:"), 16, 84);
    AddLabel(panel, "Label10", QStringLiteral("File Date/Time:"), 16, 107);
    AddLabel(panel, "Label11", QStringLiteral("Comment:"), 16, 132);
    Label6 = AddLabel(panel, "Label6", QString(), 40, 12);
    Label6->setFixedSize(307, 21);
    Label6->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label7 = AddLabel(panel, "Label7", QString(), 104, 36);
    Label8 = AddLabel(panel, "Label8", QString(), 104, 60);
    Label9 = AddLabel(panel, "Label9", QString(), 104, 84);
    Label5 = AddLabel(panel, "Label5", QString(), 104, 107);
    Label12 = AddLabel(panel, "Label12", QString(), 104, 132);
    Label12->setFixedSize(233, 81);
    Label12->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label12->setWordWrap(false);

    EdComment = new QLineEdit(panel);
    EdComment->setObjectName(QStringLiteral("EdComment"));
    EdComment->setGeometry(104, 132, 225, 21);
    EdComment->setMaxLength(CommentLimit);
    EdComment->hide();

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry((365 - 75) / 2, 240, 75, 25);
    Button1->setDefault(true);
    Button1->setAutoDefault(true);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });

    FormCreate();
}

QString TFrmArchiveInfo::SizeText(const TArchiveFigures &figures) {
    return figures.FileError == 0 ? QString::number(figures.FileSize) : QString();
}

QString TFrmArchiveInfo::CompressionText(const TArchiveFigures &figures) {
    return DisplayLocale().toString(static_cast<qlonglong>(qRound64(figures.Saving()))) +
           QLatin1Char('%');
}

QString TFrmArchiveInfo::DateTimeText(const QDateTime &time) {
    if (!time.isValid())
        return QString();
    QString text = platform::SystemShortDate(time.date());
    if (time.time() != QTime(0, 0))
        text += QLatin1Char(' ') + platform::SystemLongTime(time.time());
    return text;
}

void TFrmArchiveInfo::FormCreate() {
    figures_ = owner_.Session().Figures();
    Label6->setText(figures_.FileName);
    Label5->setText(DateTimeText(figures_.FileDateTime));
    Label7->setText(SizeText(figures_));
    Label8->setText(QString::number(figures_.Entries));
    Label9->setText(CompressionText(figures_));
    Label12->setText(CommentLines(figures_.Comment));
    for (QLabel *label : {Label5, Label7, Label8, Label9})
        label->adjustSize();
    if (owner_.CurrentSettings().OnTop)
        setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (QScreen *screen = owner_.Window().screen())
        move(screen->geometry().center() - rect().center());
    // The size and time come from the file itself; when it cannot be read
    // the figures the engine could give are still worth showing.
    if (figures_.FileError != 0)
        platform::ShowUnexpectedError(platform::IoErrorFromErrno(figures_.FileError).message);
}

void TFrmArchiveInfo::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFrmArchiveInfo::FormShow() {
    if (Tag != 1)
        return;
    Label12->hide();
    EdComment->show();
    EdComment->setText(owner_.Session().Comment());
    EdComment->setFocus();
}

void TFrmArchiveInfo::Button1Click() {
    if (closing_)
        return;
    closing_ = true;
    if (Tag == 1)
        WriteArchiveComment(owner_.Session(), owner_, EdComment->text());
    accept();
}

void TFrmArchiveInfo::reject() {
    Button1Click();
}
