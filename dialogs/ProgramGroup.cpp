#include "ProgramGroup.h"

namespace progmangroup {

namespace {

constexpr int TextLimit = 255;
const QString LineEnd = QStringLiteral("\r\n");

} // namespace

QString DefaultGroupName(const QString &archivePath) {
    const QString name = FileNamePart(archivePath.left(TextLimit));
    const qsizetype dot = name.indexOf(u'.');
    return dot < 0 ? QString() : name.left(dot);
}

QString FileNamePart(const QString &name) {
    return name.mid(name.lastIndexOf(u'/') + 1);
}

QString CreateGroupCommand(const QString &groupName) {
    return (QStringLiteral("[CreateGroup(") + groupName + QStringLiteral(")]") + LineEnd)
        .left(CommandLimit);
}

QString AddItemCommand(const QString &folder, const QString &storedName, bool storedFolders) {
    const QString commandLine =
        (storedFolders ? folder + u'/' + storedName
                       : u'"' + folder + u'/' + FileNamePart(storedName) + u'"')
            .left(TextLimit);
    const QString title = FileNamePart(storedName).left(TextLimit);
    return (QStringLiteral("[AddItem(") + commandLine + u',' + title + QStringLiteral(")]") +
            LineEnd)
        .left(CommandLimit);
}

} // namespace progmangroup
