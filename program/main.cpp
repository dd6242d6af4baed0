// Program entry: the application title and help file, the main window and
// the message loop. Usage: tarnwick [archive], or one of the file manager's
// actions (FileActions.h).
#include "DialogCommands.h"
#include "FileActions.h"
#include "InstallCommands.h"
#include "Interrupts.h"
#include "MainForm.h"
#include "ProgramTestHooks.h"
#include "ZipEngine.h"
#include "platform/Desktop.h"
#include "platform/ExitingThreads.h"

#include <QApplication>
#include <QDirIterator>
#include <QIcon>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

QIcon ProgramIcon() {
    QIcon icon;
    QDirIterator sizes(QStringLiteral(":/icons"));
    while (sizes.hasNext())
        icon.addFile(sizes.next());
    return icon;
}

// The application and its window, from start to the end of the message loop.
int RunApplication(int &argc, char *argv[]) {
    QApplication application(argc, argv);
    zipengine::InstallInterruptHandlers();
    QCoreApplication::setApplicationName(QStringLiteral("Tarnwick for Windows 95"));
    QGuiApplication::setDesktopFileName(QStringLiteral(TARNWICK_APP_ID));
    QApplication::setWindowIcon(ProgramIcon());
    QGuiApplication::setQuitOnLastWindowClosed(true);
    platform::SetApplicationHelpFile(QStringLiteral("Tarnwick.hlp"));
    // The engine's callback keeps the windows alive during an operation;
    // 10 ms between two dispatches is quicker than a person can notice.
    TZipEngine::SetMessagePump([] { QCoreApplication::processEvents(); },
                               std::chrono::milliseconds(10));

    if (const auto code = RunFileActionFromArguments(QCoreApplication::arguments().mid(1)))
        return *code;
    TMainFormFm::SetCommandInstaller([](TMainFormFm &window) {
        InstallCommands(window, window.Session());
        InstallDialogCommands(window);
    });
    TMainFormFm form(QCoreApplication::arguments().mid(1));
    InstallTestHooks(form);
    form.show();
    return application.exec();
}

} // namespace

int main(int argc, char *argv[]) {
    // Answered before the application object exists, which would need a display.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::puts("tarnwick " TARNWICK_VERSION);
        return 0;
    }
    // Without TZ, the C library checks /etc/localtime again for every local
    // time it converts, and a listing converts one per entry; naming the
    // same file lets it keep what it read.
    if (std::getenv("TZ") == nullptr)
        setenv("TZ", ":/etc/localtime", 0);
    const int code = RunApplication(argc, argv);
    // The threads Qt stopped with the application (its painting pool, the X
    // event reader) may not have run their exit yet, and Qt deletes the key
    // that exit needs as the process ends: leaving first loses their data.
    platform::WaitForExitingThreads(std::chrono::seconds(2));
    return code;
}
