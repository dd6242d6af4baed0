#include "platform/Desktop.h"

#include "platform/Paths.h"

#include <QDir>
#include <QFileInfo>

namespace platform {

namespace {

Desktop *installed = nullptr;
QString helpFileName;

Desktop &QtDesktop() {
    static const std::unique_ptr<Desktop> desktop = CreateQtDesktop();
    return *desktop;
}

void RequestHelp(HelpRequest request) {
    request.helpFile = ApplicationHelpFile();
    Desktop::current().showHelp(request);
}

} // namespace

Desktop &Desktop::current() {
    return installed ? *installed : QtDesktop();
}

Desktop *Desktop::setCurrent(Desktop *desktop) {
    Desktop *previous = installed;
    installed = desktop;
    return previous;
}

std::optional<QString> SelectDirectory(const QString &initialDir) {
    auto chosen = Desktop::current().selectDirectory(SelectDirectoryRequest{initialDir});
    if (!chosen)
        return std::nullopt;
    const QString folder = QDir::cleanPath(QDir::current().absoluteFilePath(*chosen));
    if (QFileInfo(folder).isDir())
        return folder;
    if (MessageDlg(QStringLiteral("The specified directory does not exist. Create it?"),
                   MsgKind::Confirm, MsgButton::Yes | MsgButton::No) != MsgResult::Yes)
        return std::nullopt;
    if (!QDir().mkpath(folder)) {
        ShowUnexpectedError(QStringLiteral("Unable to create directory %1").arg(folder));
        return std::nullopt;
    }
    return folder;
}

bool SendToTrash(const QString &path) {
    const QString name = QFileInfo(path).fileName();
    const MsgResult answer = Desktop::current().messageBox(MessageRequest{
        QStringLiteral("Are you sure you want to send \"%1\" to the Trash?").arg(name),
        MsgKind::Confirm, MsgButton::Yes | MsgButton::No, QStringLiteral("Confirm File Delete")});
    if (answer != MsgResult::Yes)
        return false;
    return Desktop::current().moveToTrash(QDir::current().absoluteFilePath(path));
}

int ShellOpen(const QString &file, const QString &parameters) {
    return Desktop::current().shellOpen(file, parameters);
}

void SetApplicationHelpFile(const QString &name) {
    helpFileName = name;
}

QString ApplicationHelpFile() {
    return helpFileName;
}

void HelpContents() {
    RequestHelp({HelpRequest::Command::Contents, 0, {}, {}});
}

void HelpPartialKey(const QString &key) {
    RequestHelp({HelpRequest::Command::PartialKey, 0, key, {}});
}

void HelpOnHelp() {
    RequestHelp({HelpRequest::Command::HelpOnHelp, 0, {}, {}});
}

void HelpContext(int context) {
    RequestHelp({HelpRequest::Command::Context, context, {}, {}});
}

} // namespace platform
