#pragma once

#include "platform/Desktop.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// The "ProgMan" service: program-group commands turned into a freedesktop.org
// menu group. [CreateGroup(name)] writes a .directory file and a merged .menu
// file for the group; [AddItem(command line,title)] writes one .desktop
// launcher and lists it in the group's menu file.
namespace platform::progman {

struct Command {
    QString name;     // "CreateGroup", "AddItem", ...
    QStringList args; // split at "," outside double quotes, blanks trimmed
};

// The commands of one execute string: "[A(x)][B(y,z)]", blanks and CR LF
// between them allowed. Nothing when the text is not a command list.
std::optional<std::vector<Command>> ParseCommands(const QString &text);

// "My Tools!" -> "my-tools": the part of file names that stands for a group.
QString GroupId(const QString &groupName);

// The Exec= value for a command line: a quoted or bare path to a file that is
// not a program opens through xdg-open; anything else runs as it stands.
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
