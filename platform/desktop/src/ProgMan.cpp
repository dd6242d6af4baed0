#include "platform/ProgMan.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace platform::progman {

namespace {

QString XdgHome(const char *variable, const QString &fallback) {
    const QString value = qEnvironmentVariable(variable);
    return value.isEmpty() || QDir::isRelativePath(value) ? QDir::homePath() + fallback : value;
}

bool WriteText(const QString &path, const QString &text) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) >= 0 && file.commit();
}

// Desktop-entry values hold one line; "\" and line breaks are escaped.
QString EntryValue(QString text) {
    text.replace(u'\\', QStringLiteral("\\\\"));
    text.replace(u'\n', QStringLiteral("\\n"));
    text.replace(u'\r', QStringLiteral("\\r"));
    return text;
}

QString XmlEscaped(const QString &text) {
    return text.toHtmlEscaped();
}

QString Unquoted(const QString &text) {
    const QString t = text.trimmed();
    if (t.size() >= 2 && t.startsWith(u'"') && t.endsWith(u'"'))
        return t.mid(1, t.size() - 2);
    return t;
}

// Quoting for an argument of Exec= (desktop entry specification).
QString ExecQuoted(const QString &argument) {
    QString quoted;
    for (const QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    quoted.replace(u'%', QStringLiteral("%%"));
    return u'"' + quoted + u'"';
}

} // namespace

std::optional<std::vector<Command>> ParseCommands(const QString &text) {
    std::vector<Command> commands;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (true) {
        while (i < n && text[i].isSpace())
            ++i;
        if (i == n)
            break;
        if (text[i] != u'[')
            return std::nullopt;
        const qsizetype open = text.indexOf(u'(', i);
        if (open < 0)
            return std::nullopt;
        Command command{text.mid(i + 1, open - i - 1).trimmed(), {}};
        QString arg;
        bool quoted = false;
        qsizetype j = open + 1;
        for (; j < n; ++j) {
            const QChar c = text[j];
            if (c == u'"')
                quoted = !quoted;
            if (!quoted && c == u')')
                break;
            if (!quoted && c == u',') {
                command.args << arg.trimmed();
                arg.clear();
                continue;
            }
            arg += c;
        }
        if (j + 1 >= n || text[j] != u')' || text[j + 1] != u']' || command.name.isEmpty())
            return std::nullopt;
        if (!arg.trimmed().isEmpty() || !command.args.isEmpty())
            command.args << arg.trimmed();
        commands.push_back(command);
        i = j + 2;
    }
    return commands;
}

QString GroupId(const QString &groupName) {
    QString id;
    for (const QChar c : groupName.toLower()) {
        if (c.isLetterOrNumber())
            id += c;
        else if (!id.isEmpty() && !id.endsWith(u'-'))
            id += u'-';
    }
    while (id.endsWith(u'-'))
        id.chop(1);
    return id.isEmpty() ? QStringLiteral("group") : id;
}

QString ExecLine(const QString &commandLine) {
    const QString path = Unquoted(commandLine);
    const QFileInfo info(path);
    if (info.isFile() && !info.isExecutable())
        return QStringLiteral("xdg-open ") + ExecQuoted(info.absoluteFilePath());
    if (info.isFile())
        return ExecQuoted(info.absoluteFilePath());
    return commandLine.trimmed();
}

Server::Server(QString dataHome, QString configHome)
    : dataHome_(std::move(dataHome)), configHome_(std::move(configHome)) {}

std::unique_ptr<Server> Server::connect() {
    const QString data = XdgHome("XDG_DATA_HOME", QStringLiteral("/.local/share"));
    const QString config = XdgHome("XDG_CONFIG_HOME", QStringLiteral("/.config"));
    for (const QString &folder :
         {data + QStringLiteral("/applications"), data + QStringLiteral("/desktop-directories"),
          config + QStringLiteral("/menus/applications-merged")}) {
        if (!QDir().mkpath(folder) || !QFileInfo(folder).isWritable())
            return nullptr;
    }
    return std::make_unique<Server>(data, config);
}

QString Server::directoryFile() const {
    return dataHome_ +
           QStringLiteral("/desktop-directories/tarnwick-%1.directory").arg(GroupId(group_));
}

QString Server::menuFile() const {
    return configHome_ +
           QStringLiteral("/menus/applications-merged/tarnwick-%1.menu").arg(GroupId(group_));
}

QString Server::launcherFile(int index) const {
    return dataHome_ +
           QStringLiteral("/applications/tarnwick-%1-%2.desktop").arg(GroupId(group_)).arg(index);
}

bool Server::execute(const QString &text) {
    const auto commands = ParseCommands(text);
    if (!commands)
        return false;
    bool ok = true;
    for (const Command &c : *commands) {
        if (c.name.compare(QStringLiteral("CreateGroup"), Qt::CaseInsensitive) == 0 &&
            !c.args.isEmpty())
            ok = createGroup(c.args.front()) && ok;
        else if (c.name.compare(QStringLiteral("AddItem"), Qt::CaseInsensitive) == 0 &&
                 !c.args.isEmpty())
            ok = addItem(c.args.front(), c.args.value(1)) && ok;
        else
            ok = false;
    }
    return ok;
}

bool Server::createGroup(const QString &name) {
    group_ = Unquoted(name);
    // An existing group is reopened: new items go after the ones it has.
    nextItem_ = 0;
    while (QFileInfo::exists(launcherFile(nextItem_)))
        ++nextItem_;
    const QString entry =
        QStringLiteral("[Desktop Entry]\nType=Directory\nName=%1\n").arg(EntryValue(group_));
    return WriteText(directoryFile(), entry) && writeMenu();
}

bool Server::addItem(const QString &commandLine, const QString &title) {
    if (group_.isEmpty())
        return false;
    QString name = Unquoted(title);
    if (name.isEmpty())
        name = QFileInfo(Unquoted(commandLine)).fileName();
    const QString entry =
        QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nExec=%2\n"
                       "Categories=X-Tarnwick-%3;\n")
            .arg(EntryValue(name), EntryValue(ExecLine(commandLine)), GroupId(group_));
    if (!WriteText(launcherFile(nextItem_), entry))
        return false;
    ++nextItem_;
    return writeMenu();
}

bool Server::writeMenu() const {
    QString includes;
    for (int i = 0; i < nextItem_; ++i) {
        includes += QStringLiteral("      <Filename>%1</Filename>\n")
                        .arg(XmlEscaped(QFileInfo(launcherFile(i)).fileName()));
    }
    const QString menu =
        QStringLiteral("<!DOCTYPE Menu PUBLIC \"-//freedesktop//DTD Menu 1.0//EN\"\n"
                       " \"http://www.freedesktop.org/standards/menu-spec/1.0/menu.dtd\">\n"
                       "<Menu>\n  <Name>Applications</Name>\n  <Menu>\n    <Name>%1</Name>\n"
                       "    <Directory>%2</Directory>\n    <Include>\n%3    </Include>\n  </Menu>\n"
                       "</Menu>\n")
            .arg(XmlEscaped(group_), XmlEscaped(QFileInfo(directoryFile()).fileName()), includes);
    return WriteText(menuFile(), menu);
}

} // namespace platform::progman
