#include <QApplication>

#include "platform/ExitingThreads.h"

#include <gtest/gtest.h>

namespace {

// One QApplication for every test of the binary that links this object.
class QtApplication : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "tarnwick-test";
        static char *argv[] = {name, nullptr};
        app_ = new QApplication(argc, argv);
        QApplication::setApplicationName(QStringLiteral("Tarnwick for Windows 95"));
    }
    void TearDown() override {
        delete app_;
        // Qt's painting pool threads free their data in their own exit,
        // which the process end can overtake (as in the program's main).
        platform::WaitForExitingThreads(std::chrono::seconds(2));
    }

private:
    QApplication *app_ = nullptr;
};

const auto *const environment = ::testing::AddGlobalTestEnvironment(new QtApplication);

} // namespace
