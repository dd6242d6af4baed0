#include "platform/Desktop.h"

#include "HelpViewer.h"
#include "ProgramFileDialog.h"
#include "QtMessageBox.h"
#include "SelectDirectoryDialog.h"
#include "TextEditorWindow.h"
#include "TextQueryDialog.h"
#include "platform/ModalCursor.h"
#include "platform/Paths.h"
#include "platform/ProgMan.h"
#include "platform/Trash.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QUrl>
#include <QWindow>

namespace platform {

namespace {

// ShellExecute's answers (ShellOpened()).
constexpr int kShellSuccess = kShellOpenedAbove + 1;
constexpr int kShellFileNotFound = 2;
constexpr int kShellNoAssociation = 31;

bool IsNotepad(const QString &file) {
    return QFileInfo(file).fileName().compare(QStringLiteral("notepad.exe"), Qt::CaseInsensitive) ==
           0;
}

class QtDesktopImpl : public Desktop {
public:
    MsgResult messageBox(const MessageRequest &request) override {
        ProgramMessageBox box(request, QApplication::activeWindow());
        return box.ask();
    }

    FileDialogResult fileDialog(const FileDialogRequest &request) override {
        ProgramFileDialog dialog(request, QApplication::activeWindow());
        return dialog.run();
    }

    TextQueryResult textQuery(const TextQueryRequest &request) override {
        return RunTextQuery(request, QApplication::activeWindow());
    }

    std::optional<QString> selectDirectory(const SelectDirectoryRequest &request) override {
        SelectDirectoryDialog dialog(request.caption, request.initialDir,
                                     QApplication::activeWindow());
        const ModalCursor arrow;
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.folder();
    }

    int shellOpen(const QString &file, const QString &parameters) override {
        if (IsNotepad(file)) {
            openTextEditor(parameters.trimmed());
            return kShellSuccess;
        }
        const QString path = QFileInfo(file).absoluteFilePath();
        if (!QFileInfo::exists(path))
            return kShellFileNotFound;
        return QDesktopServices::openUrl(QUrl::fromLocalFile(path)) ? kShellSuccess
                                                                    : kShellNoAssociation;
    }

    // The system reports its own failures, as the shell does on Windows.
    bool moveToTrash(const QString &path) override {
        const TrashResult result = MoveToDesktopTrash(path);
        if (!result.moved)
            messageBox(MessageRequest{QStringLiteral("Cannot move \"%1\" to the Trash: %2.")
                                          .arg(QFileInfo(path).fileName(), result.error),
                                      MsgKind::Error, MsgButton::OK,
                                      QStringLiteral("Error Deleting File")});
        return result.moved;
    }

    void showHelp(const HelpRequest &request) override {
        const QString name =
            request.helpFile.isEmpty() ? QStringLiteral("Tarnwick.hlp") : request.helpFile;
        const QString path = name.contains(u'/') ? name : FindBesideProgram(name);
        if (!help_)
            help_ = new HelpViewer;
        if (!help_->handle(request, path)) {
            help_->close();
            return;
        }
        help_->show();
        // A dialog up now blocks every other window of the program; the help
        // stays usable beside it, as a help program of its own would, by
        // belonging to that dialog.
        const QWidget *modal = QApplication::activeModalWidget();
        if (help_->windowHandle())
            help_->windowHandle()->setTransientParent(modal ? modal->windowHandle() : nullptr);
        help_->raise();
        help_->activateWindow();
    }

    void openTextEditor(const QString &path) override {
        auto *editor = new TextEditorWindow;
        if (!path.isEmpty() && !editor->openFile(path)) {
            editor->close();
            return;
        }
        editor->show();
    }

    std::unique_ptr<DdeConversation> ddeConnect(const QString &service,
                                                const QString &topic) override {
        Q_UNUSED(topic);
        if (service.compare(QStringLiteral("ProgMan"), Qt::CaseInsensitive) != 0)
            return nullptr;
        return progman::Server::connect();
    }

private:
    QPointer<HelpViewer> help_;
};

} // namespace

std::unique_ptr<Desktop> CreateQtDesktop() {
    return std::make_unique<QtDesktopImpl>();
}

} // namespace platform
