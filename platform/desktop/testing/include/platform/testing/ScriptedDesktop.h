#pragma once

#include "platform/Desktop.h"

#include <deque>
#include <variant>
#include <vector>

namespace platform::testing {

// A Desktop for tests: every question is answered from a queue filled by the
// test, every request is recorded. A request whose next scripted answer is
// missing or of another type is a test failure (reported through GoogleTest)
// and gets the "cancel" answer, so nothing ever waits for a person.
// Installs itself as Desktop::current() for its lifetime.
class ScriptedDesktop : public Desktop {
public:
    enum class Kind {
        Message,
        FileDialog,
        SelectDirectory,
        ShellOpen,
        Trash,
        Help,
        TextEditor,
        DdeConnect,
        DdeExecute,
        TextQuery
    };

    struct Request {
        Kind kind;
        MessageRequest message;       // Message
        FileDialogRequest fileDialog; // FileDialog
        SelectDirectoryRequest directory;
        HelpRequest help;
        QString path;      // ShellOpen file, Trash / TextEditor path, DdeConnect service
        QString parameter; // ShellOpen parameters, DdeExecute command, DdeConnect topic
        TextQueryRequest textQuery;
    };

    ScriptedDesktop();
    ~ScriptedDesktop() override; // also a failure when scripted answers were left over

    ScriptedDesktop(const ScriptedDesktop &) = delete;
    ScriptedDesktop &operator=(const ScriptedDesktop &) = delete;

    // ---- script ----
    ScriptedDesktop &answerMessage(MsgResult answer);
    ScriptedDesktop &answerFiles(const QStringList &files, int filterIndex = 1);
    ScriptedDesktop &cancelFileDialog();
    ScriptedDesktop &answerDirectory(const QString &folder);
    ScriptedDesktop &cancelDirectory();
    ScriptedDesktop &answerShellOpen(int result);
    ScriptedDesktop &answerTrash(bool moved);
    // Whether a DDE server answers; its execute() results are all `accepted`.
    ScriptedDesktop &answerDdeConnect(bool serverAnswers, bool accepted = true);
    ScriptedDesktop &answerText(const QString &text, bool optionChecked = false);
    ScriptedDesktop &cancelText();

    // ---- record ----
    const std::vector<Request> &requests() const { return requests_; }
    std::vector<Request> requestsOf(Kind kind) const;
    std::vector<MessageRequest> messages() const;
    size_t pendingAnswers() const { return answers_.size(); }
    void clear(); // forgets requests and unused answers

    // ---- Desktop ----
    MsgResult messageBox(const MessageRequest &request) override;
    FileDialogResult fileDialog(const FileDialogRequest &request) override;
    std::optional<QString> selectDirectory(const SelectDirectoryRequest &request) override;
    int shellOpen(const QString &file, const QString &parameters) override;
    bool moveToTrash(const QString &path) override;
    void showHelp(const HelpRequest &request) override;
    void openTextEditor(const QString &path) override;
    TextQueryResult textQuery(const TextQueryRequest &request) override;
    std::unique_ptr<DdeConversation> ddeConnect(const QString &service,
                                                const QString &topic) override;

private:
    struct FilesAnswer {
        bool accepted;
        QStringList files;
        int filterIndex;
    };
    struct DirectoryAnswer {
        std::optional<QString> folder;
    };
    struct ShellAnswer {
        int result;
    };
    struct TrashAnswer {
        bool moved;
    };
    struct DdeAnswer {
        bool serverAnswers;
        bool accepted;
    };
    using Answer = std::variant<MsgResult, FilesAnswer, DirectoryAnswer, ShellAnswer, TrashAnswer,
                                DdeAnswer, TextQueryResult>;

    template <typename T> std::optional<T> take(const char *what, const QString &detail);

    std::deque<Answer> answers_;
    std::vector<Request> requests_;
    Desktop *previous_ = nullptr;

    friend class ScriptedConversation;
};

const char *KindName(ScriptedDesktop::Kind kind);

} // namespace platform::testing
