#include "FrmActionProgress.h"

#include "EngineMessages.h"
#include "ZipEngine.h"
#include "platform/MessageDlg.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

using platform::MessageDlg;
using platform::MsgButton;
using platform::MsgKind;
using platform::MsgResult;

TFrmActionProgress::TFrmActionProgress(TZipEngine &engine) : engine_(engine) {
    setObjectName(QStringLiteral("FrmActionProgress"));
    setWindowTitle(QCoreApplication::applicationName());
    auto *column = new QVBoxLayout(this);
    LbAction = new QLabel(this);
    LbAction->setObjectName(QStringLiteral("LbAction"));
    LbFile = new QLabel(this);
    LbFile->setObjectName(QStringLiteral("LbFile"));
    // A long name must not widen the window past the screen.
    LbFile->setMinimumWidth(360);
    LbFile->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    BtnAbort = new QPushButton(QStringLiteral("&Abort"), this);
    BtnAbort->setObjectName(QStringLiteral("BtnAbort"));
    column->addWidget(LbAction);
    column->addWidget(LbFile);
    column->addWidget(ProgressBar1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnAbort);
    column->addLayout(buttons);
    connect(BtnAbort, &QPushButton::clicked, this, [this] { AbortClick(); });

    engine_.OnAdding = [this](TZipEngine &, const TZipFileStats &s) {
        ShowFile("Adding", s.FileName);
    };
    engine_.OnUpdating = [this](TZipEngine &, const TZipFileStats &s) {
        ShowFile("Updating", s.FileName);
    };
    engine_.OnExtracting = [this](TZipEngine &, const TZipFileStats &s) {
        ShowFile("Extracting", s.FileName);
    };
    engine_.OnStatus = [this](TZipEngine &, const TZipFileStats &s) {
        ProgressBar1->setValue(s.PercentDone);
    };
    engine_.OnSkippingFile = [this](TZipEngine &, const TZipSkipping &s) {
        MessageDlg(SkippingText(false, s.FileName, s.Reason), MsgKind::Warning, MsgButton::OK);
        ProgressBar1->setValue(0);
    };
    engine_.OnReplace = [](TZipEngine &running, TZipReplace &r) {
        const MsgResult answer = MessageDlg(ReplaceQuestion(r.FileName), MsgKind::Confirm,
                                            MsgButton::Yes | MsgButton::No | MsgButton::Abort);
        if (answer == MsgResult::Yes)
            r.DoReplace = 1;
        else if (answer == MsgResult::No)
            r.DoReplace = 0;
        else
            running.Abort = true;
    };
}

TFrmActionProgress::~TFrmActionProgress() {
    // The handlers hold this window.
    engine_.OnAdding = nullptr;
    engine_.OnUpdating = nullptr;
    engine_.OnExtracting = nullptr;
    engine_.OnStatus = nullptr;
    engine_.OnSkippingFile = nullptr;
    engine_.OnReplace = nullptr;
}

void TFrmActionProgress::SetAction(const QString &text) {
    LbAction->setText(text);
    LbFile->clear();
    ProgressBar1->setValue(0);
}

void TFrmActionProgress::ShowFile(const char *word, const QString &fileName) {
    LbFile->setText(FileProgressText(QString::fromLatin1(word), fileName));
    ProgressBar1->setValue(0);
}

void TFrmActionProgress::AbortClick() {
    if (MessageDlg(QStringLiteral("Are you sure you want to abort the current process?"),
                   MsgKind::Warning, MsgButton::OK | MsgButton::Cancel) == MsgResult::OK)
        engine_.Abort = true;
}
