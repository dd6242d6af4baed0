#include "ProgramFileDialog.h"

#include "FileFilter.h"
#include "platform/ModalCursor.h"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>

namespace platform {

ProgramFileDialog::ProgramFileDialog(const FileDialogRequest &request, QWidget *parent)
    : QFileDialog(parent), request_(request) {
    setObjectName(QStringLiteral("TarnwickFileDialog"));
    setOption(QFileDialog::DontUseNativeDialog);
    setOption(QFileDialog::HideNameFilterDetails);
    setWindowTitle(request.title);
    const bool save = request.mode == FileDialogRequest::Mode::Save;
    setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (save)
        setFileMode(QFileDialog::AnyFile);
    else if (request.multiSelect)
        setFileMode(QFileDialog::ExistingFiles);
    else
        setFileMode(request.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    // The overwrite question is ours (accept()), asked only when requested.
    setOption(QFileDialog::DontConfirmOverwrite);
    const QStringList filters = QtNameFilters(request.filter);
    setNameFilters(filters);
    const int index = std::clamp(request.filterIndex, 1, int(filters.size())) - 1;
    selectNameFilter(filters.at(index));
    setDirectory(request.initialDir.isEmpty() ? QDir::currentPath() : request.initialDir);
    if (!request.fileName.isEmpty())
        selectFile(request.fileName);
}

void ProgramFileDialog::accept() {
    const QStringList chosen = selectedFiles();
    if (chosen.size() == 1 && request_.mode == FileDialogRequest::Mode::Save) {
        const QString file = WithDefaultExtension(chosen.front(), request_.defaultExt);
        const QFileInfo info(file);
        if (request_.pathMustExist && !info.absoluteDir().exists())
            return;
        const ModalCursor arrow;
        if (info.exists() && request_.overwritePrompt &&
            QMessageBox::warning(
                this, windowTitle(),
                QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(file),
                QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
            return;
        if (!info.exists() && request_.createPrompt &&
            QMessageBox::question(this, windowTitle(),
                                  QStringLiteral("%1\nThis file does not exist.\nDo you want to "
                                                 "create the file?")
                                      .arg(file),
                                  QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
            return;
    }
    QFileDialog::accept();
}

FileDialogResult ProgramFileDialog::run() {
    const ModalCursor arrow;
    FileDialogResult result;
    result.filterIndex = request_.filterIndex;
    if (exec() != QDialog::Accepted)
        return result;
    result.accepted = true;
    // With the details hidden the selected filter may come back without its
    // pattern part.
    const QStringList filters = nameFilters();
    const QString selected = selectedNameFilter();
    for (qsizetype i = 0; i < filters.size(); ++i) {
        if (filters[i] == selected || filters[i].startsWith(selected + QStringLiteral(" ("))) {
            result.filterIndex = int(i) + 1;
            break;
        }
    }
    const QStringList chosen = selectedFiles();
    for (const QString &file : chosen) {
        QString path = QDir::cleanPath(QDir::current().absoluteFilePath(file));
        if (request_.mode == FileDialogRequest::Mode::Save)
            path = WithDefaultExtension(path, request_.defaultExt);
        else if (!QFileInfo::exists(path) &&
                 QFileInfo::exists(WithDefaultExtension(path, request_.defaultExt)))
            path = WithDefaultExtension(path, request_.defaultExt);
        result.files << path;
    }
    return result;
}

} // namespace platform
