#pragma once

#include "platform/Desktop.h"

#include <QFileDialog>

namespace platform {

// Qt's own widget file dialog set up from a request, with the questions the
// designed dialogs ask before accepting a name.
class ProgramFileDialog : public QFileDialog {
public:
    ProgramFileDialog(const FileDialogRequest &request, QWidget *parent);
    FileDialogResult run();
    // Public so that a test can press the dialog's Save / Open button.
    void accept() override;

private:
    FileDialogRequest request_;
};

} // namespace platform
