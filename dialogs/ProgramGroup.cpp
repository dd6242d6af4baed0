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

QString ItemTitle(const QString &storedName) {
    QString name = storedName;
    while (name.endsWith(u'/'))
        name.chop(1);
    return FileNamePart(name).left(TextLimit);
}

std::optional<QString> AddItemCommand(const QString &folder, const QString &storedName,
                                      bool storedFolders) {
    const QString commandLine = storedFolders
                                    ? folder + u'/' + storedName
                                    : u'"' + folder + u'/' + FileNamePart(storedName) + u'"';
    const QString command = QStringLiteral("[AddItem(") + commandLine + u',' +
                            ItemTitle(storedName) + QStringLiteral(")]") + LineEnd;
    if (command.size() > CommandLimit)
        return std::nullopt;
    return command;
}

QString LeftOutMessage(int count) {
    if (count == 1)
        return QStringLiteral("1 item was left out of the program group: its command line is "
                              "too long.");
    return QStringLiteral("%1 items were left out of the program group: their command lines are "
                          "too long.")
        .arg(count);
}

} // namespace progmangroup
