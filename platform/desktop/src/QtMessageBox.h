#pragma once

#include "platform/MessageDlg.h"

#include <QMessageBox>

#include <map>

namespace platform {

// QMessageBox with the program's rules: designed buttons in designed order, Esc
// answering Cancel / No / OK, the title-bar close answering Cancel, centred on
// the screen.
class ProgramMessageBox : public QMessageBox {
public:
    ProgramMessageBox(const MessageRequest &request, QWidget *parent);
    // Runs the box modally and returns the answer.
    MsgResult ask();

    // The push button for `button`, or nullptr (for tests).
    QAbstractButton *buttonFor(MsgButton button) const;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void finishWith(MsgResult answer);

    MsgButtons buttons_;
    std::map<QAbstractButton *, MsgButton> map_;
    MsgResult answer_ = MsgResult::None;
};

// The object name the box carries, so tests can find it among top-level widgets.
inline constexpr const char *kMessageBoxObjectName = "TarnwickMessageBox";

} // namespace platform
