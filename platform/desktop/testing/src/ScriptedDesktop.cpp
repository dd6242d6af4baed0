#include "platform/testing/ScriptedDesktop.h"

#include <gtest/gtest.h>

namespace platform::testing {

namespace {

std::string Describe(const QString &detail) {
    return detail.toStdString();
}

class ScriptedConversation : public DdeConversation {
public:
    ScriptedConversation(std::vector<ScriptedDesktop::Request> &log, bool accepted)
        : log_(log), accepted_(accepted) {}
    bool execute(const QString &command) override {
        ScriptedDesktop::Request r{
            ScriptedDesktop::Kind::DdeExecute, {}, {}, {}, {}, {}, command, {}};
        log_.push_back(r);
        return accepted_;
    }

private:
    std::vector<ScriptedDesktop::Request> &log_;
    bool accepted_;
};

} // namespace

const char *KindName(ScriptedDesktop::Kind kind) {
    switch (kind) {
    case ScriptedDesktop::Kind::Message:
        return "message box";
    case ScriptedDesktop::Kind::FileDialog:
        return "file dialog";
    case ScriptedDesktop::Kind::SelectDirectory:
        return "folder selection";
    case ScriptedDesktop::Kind::ShellOpen:
        return "shell open";
    case ScriptedDesktop::Kind::Trash:
        return "move to trash";
    case ScriptedDesktop::Kind::Help:
        return "help request";
    case ScriptedDesktop::Kind::TextEditor:
        return "text editor";
    case ScriptedDesktop::Kind::DdeConnect:
        return "DDE connect";
    case ScriptedDesktop::Kind::DdeExecute:
        return "DDE execute";
    case ScriptedDesktop::Kind::TextQuery:
        return "text query";
    }
    return "?";
}

ScriptedDesktop::ScriptedDesktop() {
    previous_ = Desktop::setCurrent(this);
}

ScriptedDesktop::~ScriptedDesktop() {
    Desktop::setCurrent(previous_);
    EXPECT_TRUE(answers_.empty()) << answers_.size() << " scripted answer(s) were never asked for";
}

template <typename T>
std::optional<T> ScriptedDesktop::take(const char *what, const QString &detail) {
    if (answers_.empty()) {
        ADD_FAILURE() << "Unscripted " << what << ": " << Describe(detail);
        return std::nullopt;
    }
    if (!std::holds_alternative<T>(answers_.front())) {
        ADD_FAILURE() << "The script expected another request than this " << what << ": "
                      << Describe(detail);
        return std::nullopt;
    }
    T answer = std::get<T>(answers_.front());
    answers_.pop_front();
    return answer;
}

ScriptedDesktop &ScriptedDesktop::answerMessage(MsgResult answer) {
    answers_.emplace_back(answer);
    return *this;
}

ScriptedDesktop &ScriptedDesktop::answerFiles(const QStringList &files, int filterIndex) {
    answers_.emplace_back(FilesAnswer{true, files, filterIndex});
    return *this;
}

ScriptedDesktop &ScriptedDesktop::cancelFileDialog() {
    answers_.emplace_back(FilesAnswer{false, {}, 1});
    return *this;
}

ScriptedDesktop &ScriptedDesktop::answerDirectory(const QString &folder) {
    answers_.emplace_back(DirectoryAnswer{folder});
    return *this;
}

ScriptedDesktop &ScriptedDesktop::cancelDirectory() {
    answers_.emplace_back(DirectoryAnswer{std::nullopt});
    return *this;
}

ScriptedDesktop &ScriptedDesktop::answerShellOpen(int result) {
    answers_.emplace_back(ShellAnswer{result});
    return *this;
}

ScriptedDesktop &ScriptedDesktop::answerTrash(bool moved) {
    answers_.emplace_back(TrashAnswer{moved});
    return *this;
}

ScriptedDesktop &ScriptedDesktop::answerDdeConnect(bool serverAnswers, bool accepted) {
    answers_.emplace_back(DdeAnswer{serverAnswers, accepted});
    return *this;
}

ScriptedDesktop &ScriptedDesktop::answerText(const QString &text, bool optionChecked) {
    answers_.emplace_back(TextQueryResult{true, text, optionChecked});
    return *this;
}

ScriptedDesktop &ScriptedDesktop::cancelText() {
    answers_.emplace_back(TextQueryResult{});
    return *this;
}

std::vector<ScriptedDesktop::Request> ScriptedDesktop::requestsOf(Kind kind) const {
    std::vector<Request> matching;
    for (const Request &r : requests_) {
        if (r.kind == kind)
            matching.push_back(r);
    }
    return matching;
}

std::vector<MessageRequest> ScriptedDesktop::messages() const {
    std::vector<MessageRequest> boxes;
    for (const Request &r : requests_) {
        if (r.kind == Kind::Message)
            boxes.push_back(r.message);
    }
    return boxes;
}

void ScriptedDesktop::clear() {
    requests_.clear();
    answers_.clear();
}

MsgResult ScriptedDesktop::messageBox(const MessageRequest &request) {
    Request r{Kind::Message, request, {}, {}, {}, {}, {}, {}};
    requests_.push_back(r);
    const auto answer =
        take<MsgResult>(KindName(Kind::Message),
                        (request.caption.isEmpty() ? CaptionOf(request.kind) : request.caption) +
                            QStringLiteral(" \"") + request.text + u'"');
    return answer.value_or(MsgResult::Cancel);
}

FileDialogResult ScriptedDesktop::fileDialog(const FileDialogRequest &request) {
    Request r{Kind::FileDialog, {}, request, {}, {}, {}, {}, {}};
    requests_.push_back(r);
    const auto answer = take<FilesAnswer>(KindName(Kind::FileDialog), request.title);
    if (!answer)
        return FileDialogResult{false, {}, request.filterIndex};
    return FileDialogResult{answer->accepted, answer->files, answer->filterIndex};
}

std::optional<QString> ScriptedDesktop::selectDirectory(const SelectDirectoryRequest &request) {
    Request r{Kind::SelectDirectory, {}, {}, request, {}, {}, {}, {}};
    requests_.push_back(r);
    const auto answer = take<DirectoryAnswer>(KindName(Kind::SelectDirectory), request.initialDir);
    return answer ? answer->folder : std::nullopt;
}

int ScriptedDesktop::shellOpen(const QString &file, const QString &parameters) {
    Request r{Kind::ShellOpen, {}, {}, {}, {}, file, parameters, {}};
    requests_.push_back(r);
    const auto answer = take<ShellAnswer>(KindName(Kind::ShellOpen), file);
    return answer ? answer->result : 2;
}

bool ScriptedDesktop::moveToTrash(const QString &path) {
    Request r{Kind::Trash, {}, {}, {}, {}, path, {}, {}};
    requests_.push_back(r);
    const auto answer = take<TrashAnswer>(KindName(Kind::Trash), path);
    return answer && answer->moved;
}

void ScriptedDesktop::showHelp(const HelpRequest &request) {
    Request r{Kind::Help, {}, {}, {}, request, {}, {}, {}};
    requests_.push_back(r);
}

void ScriptedDesktop::openTextEditor(const QString &path) {
    Request r{Kind::TextEditor, {}, {}, {}, {}, path, {}, {}};
    requests_.push_back(r);
}

TextQueryResult ScriptedDesktop::textQuery(const TextQueryRequest &request) {
    Request r{Kind::TextQuery, {}, {}, {}, {}, {}, {}, request};
    requests_.push_back(r);
    return take<TextQueryResult>(KindName(Kind::TextQuery), request.caption)
        .value_or(TextQueryResult{});
}

std::unique_ptr<DdeConversation> ScriptedDesktop::ddeConnect(const QString &service,
                                                             const QString &topic) {
    Request r{Kind::DdeConnect, {}, {}, {}, {}, service, topic, {}};
    requests_.push_back(r);
    const auto answer = take<DdeAnswer>(KindName(Kind::DdeConnect), service);
    if (!answer || !answer->serverAnswers)
        return nullptr;
    return std::make_unique<ScriptedConversation>(requests_, answer->accepted);
}

} // namespace platform::testing
