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

protected:
    void accept() override;

private:
    FileDialogRequest request_;
};

} // namespace platform
