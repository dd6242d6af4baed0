#include "QtMessageBox.h"

#include "platform/ModalCursor.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>

namespace platform {

namespace {

struct KindIcon {
    MsgKind kind;
    QMessageBox::Icon icon;
};

constexpr KindIcon kKindIcons[] = {
    {MsgKind::Warning, QMessageBox::Warning},
    {MsgKind::Error, QMessageBox::Critical},
    {MsgKind::Information, QMessageBox::Information},
    {MsgKind::Confirm, QMessageBox::Question},
};

QMessageBox::Icon IconOf(MsgKind kind) {
    for (const KindIcon &k : kKindIcons)
        if (k.kind == kind)
            return k.icon;
    return QMessageBox::NoIcon;
}

} // namespace

ProgramMessageBox::ProgramMessageBox(const MessageRequest &request, QWidget *parent)
    : QMessageBox(parent), buttons_(request.buttons) {
    setObjectName(QString::fromLatin1(kMessageBoxObjectName));
    setWindowTitle(request.caption.isEmpty() ? CaptionOf(request.kind) : request.caption);
    setIcon(IconOf(request.kind));
    setTextFormat(Qt::PlainText);
    setText(DisplayText(request.text));
    // One role for all, so the button box keeps the designed order instead of
    // sorting them by the desktop's convention.
    for (MsgButton b : ButtonsInOrder(buttons_)) {
        QPushButton *push = addButton(ButtonText(b), QMessageBox::ActionRole);
        map_[push] = b;
        if (b == DefaultButtonOf(buttons_))
            setDefaultButton(push);
    }
}

QAbstractButton *ProgramMessageBox::buttonFor(MsgButton button) const {
    for (const auto &[push, b] : map_) {
        if (b == button)
            return push;
    }
    return nullptr;
}

MsgResult ProgramMessageBox::ask() {
    const ModalCursor arrow;
    answer_ = MsgResult::None;
    exec();
    if (answer_ != MsgResult::None)
        return answer_;
    const auto it = map_.find(clickedButton());
    return it == map_.end() ? MsgResult::Cancel : AnswerOf(it->second);
}

void ProgramMessageBox::finishWith(MsgResult answer) {
    answer_ = answer;
    done(QDialog::Rejected);
}

void ProgramMessageBox::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        finishWith(EscapeAnswerOf(buttons_));
        return;
    }
    QMessageBox::keyPressEvent(event);
}

void ProgramMessageBox::closeEvent(QCloseEvent *event) {
    // QMessageBox refuses a close it cannot map to a button; ours answers Cancel.
    event->accept();
    if (isVisible() && answer_ == MsgResult::None)
        finishWith(MsgResult::Cancel);
}

void ProgramMessageBox::showEvent(QShowEvent *event) {
    QMessageBox::showEvent(event);
    if (QScreen *s = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(s->availableGeometry().center());
        move(frame.topLeft());
    }
}

} // namespace platform
