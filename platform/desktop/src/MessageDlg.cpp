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

namespace {

struct KindFace {
    MsgKind kind;
    const char *caption;
};

constexpr KindFace kKindFaces[] = {
    {MsgKind::Warning, "Warning"},
    {MsgKind::Error, "Error"},
    {MsgKind::Information, "Information"},
    {MsgKind::Confirm, "Confirm"},
};

struct ButtonFace {
    MsgButton button;
    const char *text;
    MsgResult answer;
};

// In the order a box shows them, whatever order the caller lists them in.
constexpr ButtonFace kButtonFaces[] = {
    {MsgButton::Yes, "&Yes", MsgResult::Yes},
    {MsgButton::No, "&No", MsgResult::No},
    {MsgButton::OK, "OK", MsgResult::OK},
    {MsgButton::Cancel, "Cancel", MsgResult::Cancel},
    {MsgButton::Abort, "&Abort", MsgResult::Abort},
};

const ButtonFace *FaceOf(MsgButton button) {
    for (const ButtonFace &face : kButtonFaces)
        if (face.button == button)
            return &face;
    return nullptr;
}

} // namespace

QString CaptionOf(MsgKind kind) {
    for (const KindFace &face : kKindFaces)
        if (face.kind == kind)
            return QString::fromLatin1(face.caption);
    return {};
}

QList<MsgButton> ButtonsInOrder(MsgButtons buttons) {
    QList<MsgButton> order;
    for (const ButtonFace &face : kButtonFaces) {
        if (buttons.testFlag(face.button))
            order.append(face.button);
    }
    return order;
}

QString ButtonText(MsgButton button) {
    const ButtonFace *face = FaceOf(button);
    return face ? QString::fromLatin1(face->text) : QString();
}

MsgResult AnswerOf(MsgButton button) {
    const ButtonFace *face = FaceOf(button);
    return face ? face->answer : MsgResult::None;
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
