#pragma once

#include <QFlags>
#include <QString>

// The program's one message box: every question and report goes through
// MessageDlg(), which hands it to the current Desktop (see Desktop.h), so tests
// answer it from a script.
namespace platform {

// Caption and icon: "Warning", "Error", "Information", "Confirm".
enum class MsgKind { Warning, Error, Information, Confirm };

// Shown in this order whatever order the caller lists them in:
// "&Yes", "&No", "OK", "Cancel", "&Abort".
enum class MsgButton : unsigned { Yes = 0x1, No = 0x2, OK = 0x4, Cancel = 0x8, Abort = 0x10 };
Q_DECLARE_FLAGS(MsgButtons, MsgButton)
Q_DECLARE_OPERATORS_FOR_FLAGS(MsgButtons)

// The answer. Closing the box from its title bar answers Cancel, even when no
// Cancel button is shown.
enum class MsgResult { None, Yes, No, OK, Cancel, Abort };

struct MessageRequest {
    QString text; // a carriage return ("\r", also "\r\n") starts a new line
    MsgKind kind = MsgKind::Information;
    MsgButtons buttons = MsgButton::OK;
    QString caption; // empty: the kind's caption
};

// Default button: OK if present, else Yes (else none).
MsgButton DefaultButtonOf(MsgButtons buttons);
// Esc answer: Cancel if present, else No, else OK (Cancel when none of them).
MsgResult EscapeAnswerOf(MsgButtons buttons);
// "Warning", "Error", "Information" or "Confirm".
QString CaptionOf(MsgKind kind);
// The designed buttons in display order.
QList<MsgButton> ButtonsInOrder(MsgButtons buttons);
// "&Yes", "&No", "OK", "Cancel", "&Abort".
QString ButtonText(MsgButton button);
// What clicking the button answers.
MsgResult AnswerOf(MsgButton button);
// Text as the box shows it: carriage returns turned into line breaks.
QString DisplayText(const QString &text);

// Shows the box modally and returns the answer.
MsgResult MessageDlg(const QString &text, MsgKind kind, MsgButtons buttons);

// The general error report for an error no command handles: an error box
// captioned with the application title holding `message` followed by ".".
void ShowUnexpectedError(const QString &message);

} // namespace platform
