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

// A command line names one file, in double quotes or bare; a line cut short
// may have lost its closing quote.
QString Unquoted(const QString &text) {
    QString t = text.trimmed();
    if (t.startsWith(u'"')) {
        t.remove(0, 1);
        if (t.endsWith(u'"'))
            t.chop(1);
    }
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

namespace {

// Splits at "," outside double quotes; each piece trimmed, quotes kept.
QStringList SplitArguments(const QString &raw) {
    QStringList args;
    QString arg;
    bool quoted = false;
    for (const QChar c : raw) {
        if (c == u'"')
            quoted = !quoted;
        if (!quoted && c == u',') {
            args << arg.trimmed();
            arg.clear();
            continue;
        }
        arg += c;
    }
    if (!arg.trimmed().isEmpty() || !args.isEmpty())
        args << arg.trimmed();
    return args;
}

// Where the arguments of a command end: the first ")]" followed by nothing
// but blanks up to the end or the next "[". Names may hold ")", "]", "," and
// quotes of their own, so neither quotes nor brackets can be trusted.
qsizetype ArgumentsEnd(const QString &text, qsizetype from) {
    for (qsizetype j = text.indexOf(QStringLiteral(")]"), from); j >= 0;
         j = text.indexOf(QStringLiteral(")]"), j + 1)) {
        qsizetype k = j + 2;
        while (k < text.size() && text[k].isSpace())
            ++k;
        if (k == text.size() || text[k] == u'[')
            return j;
    }
    return -1;
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
        const qsizetype close = ArgumentsEnd(text, open + 1);
        Command command{text.mid(i + 1, open - i - 1).trimmed(), {}, {}};
        if (close < 0 || command.name.isEmpty() || command.name.contains(u'[') ||
            command.name.contains(u']'))
            return std::nullopt;
        command.raw = text.mid(open + 1, close - open - 1);
        command.args = SplitArguments(command.raw);
        commands.push_back(command);
        i = close + 2;
    }
    return commands;
}

std::pair<QString, QString> SplitAddItem(const QString &raw) {
    // The title is the file name that ends the command line: the comma
    // between them is the one that makes the two agree, whatever commas and
    // quotes the names themselves hold.
    for (qsizetype p = raw.indexOf(u','); p >= 0; p = raw.indexOf(u',', p + 1)) {
        QString path = Unquoted(raw.left(p));
        // A folder's command line ends in "/", its title does not.
        while (path.size() > 1 && path.endsWith(u'/'))
            path.chop(1);
        const QString title = raw.mid(p + 1).trimmed();
        if (!title.isEmpty() && (path == title || path.endsWith(u'/' + title)))
            return {raw.left(p).trimmed(), title};
    }
    const QStringList args = SplitArguments(raw);
    return {args.value(0), args.value(1)};
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

QString LauncherTarget(const QString &commandLine) {
    // Without a trailing "/", so that a folder has a name of its own.
    return QDir::cleanPath(QFileInfo(Unquoted(commandLine)).absoluteFilePath());
}

QString ExecLine(const QString &commandLine) {
    // The whole line is one file: blanks, quotes, "%" and "$" in its name
    // stay part of the name and can never start anything else.
    const QString path = LauncherTarget(commandLine);
    const QFileInfo info(path);
    if (!info.isFile() || !info.isExecutable())
        return QStringLiteral("xdg-open ") + ExecQuoted(path);
    // Launchers look the program up by its name before "%%" becomes "%",
    // so a program whose name holds "%" is started by the shell, which is
    // handed the name as an argument and runs exactly that file.
    if (path.contains(u'%'))
        return QStringLiteral("sh -c ") + ExecQuoted(QStringLiteral("exec \"$0\"")) + u' ' +
               ExecQuoted(path);
    return ExecQuoted(path);
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
        // A group name is all of the text: a comma in it is part of the name.
        if (c.name.compare(QStringLiteral("CreateGroup"), Qt::CaseInsensitive) == 0 &&
            !c.raw.trimmed().isEmpty())
            ok = createGroup(c.raw) && ok;
        else if (c.name.compare(QStringLiteral("AddItem"), Qt::CaseInsensitive) == 0 &&
                 !c.args.isEmpty()) {
            const auto [commandLine, title] = SplitAddItem(c.raw);
            ok = addItem(commandLine, title) && ok;
        } else
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
    const QString target = LauncherTarget(commandLine);
    QString name = title.trimmed();
    if (name.isEmpty())
        name = QFileInfo(target).fileName();
    // Path= starts the program in its own folder, as the program manager did.
    const QString entry =
        QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nExec=%2\nPath=%3\n"
                       "Terminal=false\nCategories=X-Tarnwick-%4;\n")
            .arg(EntryValue(name), EntryValue(ExecLine(commandLine)),
                 EntryValue(QFileInfo(target).absolutePath()), GroupId(group_));
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
