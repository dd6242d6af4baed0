#include "ProgramTestHooks.h"

#include "MainForm.h"
#include "platform/Desktop.h"

#include <QCoreApplication>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QKeySequence>
#include <QListView>
#include <QMouseEvent>
#include <QTimer>

#include <chrono>
#include <memory>

namespace {

// Answers every question without a person: file and folder dialogs and
// text boxes with one path or text, message boxes with their default
// button. The texts of the boxes go to the report, so that a script can
// tell success from failure.
class TAnsweringDesktop : public platform::Desktop {
public:
    TAnsweringDesktop(QString answer, QString *log)
        : answer_(std::move(answer)), log_(log), qt_(platform::CreateQtDesktop()) {}

    platform::MsgResult messageBox(const platform::MessageRequest &request) override {
        *log_ += QStringLiteral("box: ") + request.text + QLatin1Char('\n');
        switch (platform::DefaultButtonOf(request.buttons)) {
        case platform::MsgButton::OK:
            return platform::MsgResult::OK;
        case platform::MsgButton::Yes:
            return platform::MsgResult::Yes;
        default:
            return platform::EscapeAnswerOf(request.buttons);
        }
    }
    platform::FileDialogResult fileDialog(const platform::FileDialogRequest &) override {
        return platform::FileDialogResult{true, {answer_}, 1};
    }
    std::optional<QString> selectDirectory(const platform::SelectDirectoryRequest &) override {
        return answer_;
    }
    int shellOpen(const QString &file, const QString &parameters) override {
        return qt_->shellOpen(file, parameters);
    }
    bool moveToTrash(const QString &path) override { return qt_->moveToTrash(path); }
    void showHelp(const platform::HelpRequest &request) override { qt_->showHelp(request); }
    void openTextEditor(const QString &path) override { qt_->openTextEditor(path); }
    platform::TextQueryResult textQuery(const platform::TextQueryRequest &) override {
        return platform::TextQueryResult{true, answer_, false};
    }
    std::unique_ptr<platform::DdeConversation> ddeConnect(const QString &service,
                                                          const QString &topic) override {
        return qt_->ddeConnect(service, topic);
    }

private:
    QString answer_;
    QString *log_;
    std::unique_ptr<platform::Desktop> qt_;
};

// "key:End", "key:Shift+PgDown": a key pressed in the contents list, as a
// user moves through it, scrolls it and selects rows.
void PressKeyInList(TMainFormFm &form, const QString &keyName) {
    auto *list = form.findChild<QListView *>(QStringLiteral("FilesLb"));
    const QKeySequence sequence = QKeySequence::fromString(keyName);
    if (list == nullptr || sequence.isEmpty())
        return;
    const QKeyCombination key = sequence[0];
    QKeyEvent press(QEvent::KeyPress, key.key(), key.keyboardModifiers());
    QKeyEvent release(QEvent::KeyRelease, key.key(), key.keyboardModifiers());
    QCoreApplication::sendEvent(list, &press);
    QCoreApplication::sendEvent(list, &release);
    // Drawn before the time is taken, as a user would see it.
    list->viewport()->repaint();
}

// "header:3": a click on section 3 of FilesHd, as a user sorts by a column.
void ClickHeader(TMainFormFm &form, int section) {
    auto *header = form.findChild<QHeaderView *>(QStringLiteral("FilesHd"));
    auto *list = form.findChild<QListView *>(QStringLiteral("FilesLb"));
    if (header == nullptr || list == nullptr)
        return;
    const QPointF at(header->sectionViewportPosition(section) + 4, header->height() / 2.0);
    const QPointF global = header->viewport()->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(header->viewport(), &press);
    QCoreApplication::sendEvent(header->viewport(), &release);
    list->viewport()->repaint();
}

// Runs each named menu command or key in turn; the report gets one line
// per step with its wall-clock seconds.
QString RunCommands(TMainFormFm &form, const QStringList &names, const QString &answer) {
    QString log;
    TAnsweringDesktop desktop(answer, &log);
    platform::Desktop *previous = platform::Desktop::setCurrent(&desktop);
    const QString keyPrefix = QStringLiteral("key:");
    const QString headerPrefix = QStringLiteral("header:");
    for (const QString &name : names) {
        const auto start = std::chrono::steady_clock::now();
        if (name.startsWith(keyPrefix))
            PressKeyInList(form, name.mid(keyPrefix.size()));
        else if (name.startsWith(headerPrefix))
            ClickHeader(form, name.mid(headerPrefix.size()).toInt());
        else
            form.RunItemCommand(name);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        log += name + QLatin1Char(' ') + QString::number(took.count(), 'f', 3) + QLatin1Char('\n');
    }
    platform::Desktop::setCurrent(previous);
    return log;
}

} // namespace

void InstallTestHooks(TMainFormFm &form) {
    bool ok = false;
    const int quitAfter = qEnvironmentVariableIntValue("TARNWICK_QUIT_AFTER_MS", &ok);
    if (!ok)
        return;
    QTimer::singleShot(quitAfter, &form, [&form] {
        // The commands run here rather than on a timer of their own: a quit
        // that came during a command would find the window busy and be lost.
        const QStringList commands = qEnvironmentVariable("TARNWICK_RUN_COMMANDS")
                                         .split(QLatin1Char(','), Qt::SkipEmptyParts);
        const QString log =
            RunCommands(form, commands, qEnvironmentVariable("TARNWICK_ANSWER_PATH"));
        const QString picture = qEnvironmentVariable("TARNWICK_GRAB_PNG");
        if (!picture.isEmpty())
            form.grab().save(picture);
        const QString report = qEnvironmentVariable("TARNWICK_QUIT_REPORT");
        QFile file(report);
        if (!report.isEmpty() && file.open(QIODevice::WriteOnly))
            file.write((form.windowTitle() + QLatin1Char('\n') + form.TotalsHint() +
                        QLatin1Char('\n') + log)
                           .toUtf8());
        form.close();
    });
}
