#include "TextEditorWindow.h"

#include "platform/Desktop.h"
#include "platform/IoError.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSaveFile>

#include <cerrno>

namespace platform {

namespace {

const QString kFilter = QStringLiteral("Text Documents (*.TXT)|*.TXT|All files (*.*)|*.*");

// Qt 6.4 dereferences nothing when asked to paste an empty clipboard (after a
// reboot, or when the program that copied has quit), taking the program down
// with every unsaved text; a paste of no data is nothing to do.
class PlainTextEdit : public QPlainTextEdit {
public:
    using QPlainTextEdit::QPlainTextEdit;

protected:
    bool canInsertFromMimeData(const QMimeData *source) const override {
        return holdsData(source) && QPlainTextEdit::canInsertFromMimeData(source);
    }
    void insertFromMimeData(const QMimeData *source) override {
        if (holdsData(source))
            QPlainTextEdit::insertFromMimeData(source);
    }

private:
    static bool holdsData(const QMimeData *source) {
        return source != nullptr && !source->formats().isEmpty();
    }
};

} // namespace

TextEditorWindow::TextEditorWindow(QWidget *parent)
    : QMainWindow(parent), edit_(new PlainTextEdit(this)) {
    setObjectName(QStringLiteral("TextEditorWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setCentralWidget(edit_);
    resize(600, 420);
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("&Open..."), QKeySequence::Open, this,
                    [this] { openWithDialog(); });
    file->addAction(QStringLiteral("&Save"), QKeySequence::Save, this, [this] { save(); });
    file->addAction(QStringLiteral("Save &As..."), this, [this] { saveAs(); });
    file->addSeparator();
    file->addAction(QStringLiteral("E&xit"), this, [this] { close(); });
    connect(edit_->document(), &QTextDocument::modificationChanged, this,
            [this] { updateTitle(); });
    updateTitle();
}

void TextEditorWindow::updateTitle() {
    const QString name =
        path_.isEmpty() ? QStringLiteral("(Untitled)") : QFileInfo(path_).fileName();
    setWindowTitle(name + (edit_->document()->isModified() ? QStringLiteral(" *") : QString()) +
                   QStringLiteral(" - Text Editor"));
}

bool TextEditorWindow::openFile(const QString &path) {
    QFile file(path);
    if (file.exists() && !file.open(QIODevice::ReadOnly)) {
        ShowUnexpectedError(IoErrorFromErrno(EACCES).message);
        return false;
    }
    edit_->setPlainText(file.isOpen() ? QString::fromUtf8(file.readAll()) : QString());
    edit_->document()->setModified(false);
    path_ = path;
    updateTitle();
    return true;
}

bool TextEditorWindow::writeTo(const QString &path) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(edit_->toPlainText().toUtf8()) < 0 ||
        !file.commit()) {
        const int error = QFileInfo(path).absoluteDir().exists() ? EACCES : ENOENT;
        ShowUnexpectedError(IoErrorFromErrno(error).message);
        return false;
    }
    path_ = path;
    edit_->document()->setModified(false);
    updateTitle();
    return true;
}

bool TextEditorWindow::save() {
    return path_.isEmpty() ? saveAs() : writeTo(path_);
}

bool TextEditorWindow::saveAs() {
    FileDialogRequest request;
    request.mode = FileDialogRequest::Mode::Save;
    request.title = QStringLiteral("Save As");
    request.filter = kFilter;
    request.defaultExt = QStringLiteral("TXT");
    request.fileName = QFileInfo(path_).fileName();
    request.initialDir = path_.isEmpty() ? QString() : QFileInfo(path_).absolutePath();
    request.overwritePrompt = true;
    request.pathMustExist = true;
    const FileDialogResult result = Desktop::current().fileDialog(request);
    return result.accepted && !result.files.isEmpty() && writeTo(result.files.front());
}

void TextEditorWindow::openWithDialog() {
    if (!askToSaveChanges())
        return;
    FileDialogRequest request;
    request.title = QStringLiteral("Open");
    request.filter = kFilter;
    request.fileMustExist = true;
    request.pathMustExist = true;
    const FileDialogResult result = Desktop::current().fileDialog(request);
    if (result.accepted && !result.files.isEmpty())
        openFile(result.files.front());
}

bool TextEditorWindow::askToSaveChanges() {
    if (!edit_->document()->isModified())
        return true;
    const QString name = path_.isEmpty() ? QStringLiteral("(Untitled)") : path_;
    switch (MessageDlg(QStringLiteral("The text in the %1 file has changed.\rDo you want to save "
                                      "the changes?")
                           .arg(name),
                       MsgKind::Confirm, MsgButton::Yes | MsgButton::No | MsgButton::Cancel)) {
    case MsgResult::Yes:
        return save();
    case MsgResult::No:
        return true;
    default:
        return false;
    }
}

void TextEditorWindow::closeEvent(QCloseEvent *event) {
    if (askToSaveChanges())
        event->accept();
    else
        event->ignore();
}

} // namespace platform

namespace platform {

bool CloseTextEditors() {
    // Collected first: closing deletes the windows and changes the list.
    QList<QPointer<QWidget>> editors;
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (dynamic_cast<TextEditorWindow *>(widget) != nullptr && widget->isVisible())
            editors.append(widget);
    bool allClosed = true;
    for (const QPointer<QWidget> &editor : editors)
        if (editor && !editor->close())
            allClosed = false;
    return allClosed;
}

} // namespace platform
