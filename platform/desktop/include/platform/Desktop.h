#pragma once

#include "platform/MessageDlg.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QWidget;

// Everything that asks the user or talks to the desktop, behind one interface.
// The program reaches it through Desktop::current() (or the free functions in
// the headers beside this one); tests install a scripted double instead.
namespace platform {

struct FileDialogRequest {
    enum class Mode { Open, Save };
    Mode mode = Mode::Open;
    QString title;
    QString initialDir;         // empty: the current folder
    QString fileName;           // preset name field
    QString filter;             // "Zip file (*.ZIP)|*.ZIP|All files (*.*)|*.*"; any letter case
    int filterIndex = 1;        // 1-based, as the filter list counts
    QString defaultExt;         // "ZIP": appended to a typed name that has no extension
    bool multiSelect = false;   // open only
    bool fileMustExist = false; // open only
    bool pathMustExist = false;
    bool overwritePrompt = false; // save only: ask before replacing an existing file
    bool createPrompt = false;    // save only: ask before creating a file that does not exist
};

struct FileDialogResult {
    bool accepted = false;
    QStringList files; // full paths; one unless multiSelect
    int filterIndex = 1;
};

struct SelectDirectoryRequest {
    QString initialDir;
    QString caption = QStringLiteral("Select Directory");
};

struct HelpRequest {
    enum class Command { Contents, PartialKey, HelpOnHelp, Context };
    Command command = Command::Contents;
    int context = 0;  // Context
    QString key;      // PartialKey; empty opens the search with nothing typed
    QString helpFile; // as the application names it, e.g. "Tarnwick.hlp"
};

// A short text asked for in a small box, such as a name to find or a
// pattern to select by.
struct TextQueryRequest {
    QString caption;
    QString prompt; // the label over the text field
    QString text;   // the field's text at first, all of it selected
    QString option; // a check box's label under the field; empty: none
    bool optionChecked = false;
    bool masked = false; // a password: what is typed shows as "*"
};

struct TextQueryResult {
    bool accepted = false; // OK; Cancel and closing the box are not
    QString text;
    bool optionChecked = false;
};

// One open conversation with a DDE-style service (only "ProgMan" exists here).
class DdeConversation {
public:
    virtual ~DdeConversation() = default;
    // Sends one execute command such as "[CreateGroup(Tools)]"; false when it
    // could not be carried out.
    virtual bool execute(const QString &command) = 0;
};

class Desktop {
public:
    virtual ~Desktop() = default;

    // The message box of the program (see MessageDlg.h for its rules).
    virtual MsgResult messageBox(const MessageRequest &request) = 0;
    virtual FileDialogResult fileDialog(const FileDialogRequest &request) = 0;
    // The folder the user chose (typed names may not exist yet), or nothing on
    // Cancel. Creating a missing folder is SelectDirectory()'s business.
    virtual std::optional<QString> selectDirectory(const SelectDirectoryRequest &request) = 0;
    // Opens `file` with the desktop's default application; "notepad.exe" opens
    // `parameters` in the program's own text editor. See ShellOpened().
    virtual int shellOpen(const QString &file, const QString &parameters) = 0;
    // Moves `path` to the desktop trash without asking; false when it failed.
    virtual bool moveToTrash(const QString &path) = 0;
    virtual void showHelp(const HelpRequest &request) = 0;
    // Opens `path` (may be empty or missing) in the plain-text editor window.
    virtual void openTextEditor(const QString &path) = 0;
    // The box of a TextQueryRequest, over the active window.
    virtual TextQueryResult textQuery(const TextQueryRequest &request) = 0;
    // nullptr when no server answers.
    virtual std::unique_ptr<DdeConversation> ddeConnect(const QString &service,
                                                        const QString &topic) = 0;

    // The process-wide instance: the one set by setCurrent(), else the Qt one.
    static Desktop &current();
    // Installs `desktop` (not owned); nullptr goes back to the Qt implementation.
    // Returns the one installed before.
    static Desktop *setCurrent(Desktop *desktop);
};

// The Qt implementation; widgets are parented to QApplication::activeWindow().
std::unique_ptr<Desktop> CreateQtDesktop();

// ---- Helpers every caller uses; they go through Desktop::current() ----

// Folder selection with the designed follow-up: a chosen folder that does not
// exist is created with its parents after the Confirm box "The specified
// directory does not exist. Create it?" answered Yes. Returns the folder, or
// nothing on Cancel, No or a failed creation.
std::optional<QString> SelectDirectory(const QString &initialDir);

// Asks "Are you sure you want to send "NAME" to the Trash?" and on Yes moves the
// file there. True when the file was moved.
bool SendToTrash(const QString &path);

// Closes every text-editor window the program opened in place of Notepad;
// one with unsaved changes asks first. False when one of them stays open.
bool CloseTextEditors();

// ShellExecute("open"): see ShellOpened() for its result.
int ShellOpen(const QString &file, const QString &parameters = QString());

// ShellExecute's rule, kept by every shellOpen(): an answer above 32 means the
// file was opened, anything else is an error number.
inline constexpr int kShellOpenedAbove = 32;
inline bool ShellOpened(int result) {
    return result > kShellOpenedAbove;
}

// The application's help file (bare names are looked up beside the program).
void SetApplicationHelpFile(const QString &name);
QString ApplicationHelpFile();
void HelpContents();
void HelpPartialKey(const QString &key = QString());
void HelpOnHelp();
void HelpContext(int context);

} // namespace platform
