#pragma once

#include "platform/Desktop.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

// The "ProgMan" service: program-group commands turned into a freedesktop.org
// menu group. [CreateGroup(name)] writes a .directory file and a merged .menu
// file for the group; [AddItem(command line,title)] writes one .desktop
// launcher and lists it in the group's menu file.
namespace platform::progman {

struct Command {
    QString name;     // "CreateGroup", "AddItem", ...
    QStringList args; // split at "," outside double quotes, blanks trimmed
    QString raw;      // everything between the parentheses
};

// The commands of one execute string: "[A(x)][B(y,z)]", blanks and CR LF
// between them allowed. Nothing when the text is not a command list.
std::optional<std::vector<Command>> ParseCommands(const QString &text);

// The command line and the title of an AddItem's arguments. Names may hold
// commas and quotes, so the split is where the title ends the command line.
std::pair<QString, QString> SplitAddItem(const QString &raw);

// "My Tools!" -> "my-tools": the part of file names that stands for a group.
QString GroupId(const QString &groupName);

// The file a command line names: the whole line, in double quotes or bare
// (a closing quote may be missing), made absolute, without a trailing "/".
QString LauncherTarget(const QString &commandLine);

// The Exec= value for a command line, quoted as desktop entries require: an
// executable file runs (through "sh -c" when its name holds "%"), any other
// file or folder opens with xdg-open.
QString ExecLine(const QString &commandLine);

class Server : public DdeConversation {
public:
    // Files go below `dataHome` ($XDG_DATA_HOME) and `configHome` ($XDG_CONFIG_HOME).
    Server(QString dataHome, QString configHome);

    // A server over the user's XDG folders, or nothing when they cannot be
    // written (no server answers).
    static std::unique_ptr<Server> connect();

    bool execute(const QString &text) override;

    QString groupName() const { return group_; }
    QString directoryFile() const;
    QString menuFile() const;
    QString launcherFile(int index) const;

private:
    bool createGroup(const QString &name);
    bool addItem(const QString &commandLine, const QString &title);
    bool writeMenu() const;

    QString dataHome_;
    QString configHome_;
    QString group_;
    int nextItem_ = 0;
};

} // namespace platform::progman
