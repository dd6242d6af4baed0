#include "platform/MessageDlg.h"

#include "platform/Desktop.h"

#include <QCoreApplication>

namespace platform {

MsgButton DefaultButtonOf(MsgButtons buttons) {
    if (buttons.testFlag(MsgButton::OK))
        return MsgButton::OK;
    if (buttons.testFlag(MsgButton::Yes))
        return MsgButton::Yes;
    return MsgButton{};
}

MsgResult EscapeAnswerOf(MsgButtons buttons) {
    if (buttons.testFlag(MsgButton::Cancel))
        return MsgResult::Cancel;
    if (buttons.testFlag(MsgButton::No))
        return MsgResult::No;
    if (buttons.testFlag(MsgButton::OK))
        return MsgResult::OK;
    return MsgResult::Cancel;
}

QString CaptionOf(MsgKind kind) {
    switch (kind) {
    case MsgKind::Warning:
        return QStringLiteral("Warning");
    case MsgKind::Error:
        return QStringLiteral("Error");
    case MsgKind::Information:
        return QStringLiteral("Information");
    case MsgKind::Confirm:
        return QStringLiteral("Confirm");
    }
    return {};
}

QList<MsgButton> ButtonsInOrder(MsgButtons buttons) {
    QList<MsgButton> order;
    for (MsgButton b :
         {MsgButton::Yes, MsgButton::No, MsgButton::OK, MsgButton::Cancel, MsgButton::Abort}) {
        if (buttons.testFlag(b))
            order.append(b);
    }
    return order;
}

QString ButtonText(MsgButton button) {
    switch (button) {
    case MsgButton::Yes:
        return QStringLiteral("&Yes");
    case MsgButton::No:
        return QStringLiteral("&No");
    case MsgButton::OK:
        return QStringLiteral("OK");
    case MsgButton::Cancel:
        return QStringLiteral("Cancel");
    case MsgButton::Abort:
        return QStringLiteral("&Abort");
    }
    return {};
}

QString DisplayText(const QString &text) {
    QString display = text;
    display.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    display.replace(u'\r', u'\n');
    return display;
}

MsgResult MessageDlg(const QString &text, MsgKind kind, MsgButtons buttons) {
    return Desktop::current().messageBox(MessageRequest{text, kind, buttons, QString()});
}

void ShowUnexpectedError(const QString &message) {
    Desktop::current().messageBox(MessageRequest{message + u'.', MsgKind::Error, MsgButton::OK,
                                                 QCoreApplication::applicationName()});
}

} // namespace platform
