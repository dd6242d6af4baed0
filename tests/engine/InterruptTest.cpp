// A signal during an operation of the real engines: the process still ends
// killed by it, and the engine first undoes what it had begun, so the
// folder holds exactly what it held before.
#include "Interrupts.h"
#include "ZipEngine.h"
#include "platform/Module.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <functional>
#include <map>
#include <random>
#include <unistd.h>

namespace {

using Snapshot = std::map<std::string, std::string>; // relative path -> SHA-256 in hex

Snapshot Take(const QString &root) {
    Snapshot files;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        QByteArray hash;
        if (it.fileInfo().isFile() && file.open(QIODevice::ReadOnly))
            hash = QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex();
        files[QDir(root).relativeFilePath(path).toStdString()] = hash.toStdString();
    }
    return files;
}

struct Case {
    const char *name;
    bool archiveExists;
    // Runs the operation in the child; the signal comes from its callbacks.
    std::function<void(TZipEngine &, const QString &dir)> run;
};

void PrintTo(const Case &c, std::ostream *os) {
    *os << c.name;
}

void Add(TZipEngine &engine, const QString &dir, bool inPlace) {
    engine.FilesToProcess = QStringList{dir + "/big.bin"};
    engine.UsePaths = false;
    engine.UseTempFile = !inPlace;
    engine.AddToArchive(TZipAddMode::Add);
}

void Extract(TZipEngine &engine, const QString &dir) {
    engine.ExtractDirectory = dir + "/out";
    engine.ExtractFromArchive(TZipExtractMode::All);
}

const Case kCases[] = {
    {"AddToNewArchive", false, [](TZipEngine &e, const QString &d) { Add(e, d, false); }},
    {"AddThroughTemporaryFile", true, [](TZipEngine &e, const QString &d) { Add(e, d, false); }},
    {"AddInPlace", true, [](TZipEngine &e, const QString &d) { Add(e, d, true); }},
    {"Extract", true, Extract},
};

class Interrupts : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override {
        for (const char *file : {"/libzipeng32.so", "/libunzeng32.so"})
            if (!QFile::exists(QStringLiteral(TARNWICK_BIN_DIR) + file))
                GTEST_SKIP() << "engine libraries not built";
        platform::SetModuleSearchFolders({TARNWICK_BIN_DIR});
        // Forked as it is: the child works in the folder the parent looks at.
        GTEST_FLAG_SET(death_test_style, "fast");
        ASSERT_TRUE(temp.isValid());
        dir = temp.path();
        ASSERT_TRUE(QDir(dir).mkdir("out"));
        // Incompressible, so that every entry takes many progress messages.
        std::mt19937 random(26);
        QByteArray bytes(8 << 20, Qt::Uninitialized);
        for (auto &b : bytes)
            b = static_cast<char>(random());
        QFile big(dir + "/big.bin");
        ASSERT_TRUE(big.open(QIODevice::WriteOnly));
        big.write(bytes);
        big.close();
        if (GetParam().archiveExists) {
            TZipEngine engine;
            engine.ZipFileName = dir + "/a.zip";
            Add(engine, dir, false);
            ASSERT_TRUE(QFile::exists(engine.ZipFileName));
        }
    }
    void TearDown() override { platform::ResetModuleSearchFolders(); }

    QTemporaryDir temp;
    QString dir;
};

TEST_P(Interrupts, LeaveTheFolderAsItWas) {
    const Snapshot before = Take(dir);
    EXPECT_EXIT(
        {
            zipengine::InstallInterruptHandlers();
            bool interrupted = false;
            TZipEngine engine;
            // Half-way through the entry's data.
            engine.OnStatus = [&](TZipEngine &, const TZipFileStats &s) {
                if (!interrupted && s.PercentDone > 0 && s.PercentDone < 100) {
                    interrupted = true;
                    ::kill(::getpid(), SIGINT);
                }
            };
            engine.ZipFileName = dir + "/a.zip";
            GetParam().run(engine, dir);
            std::_Exit(interrupted ? 3 : 4); // 4: no message to interrupt at
        },
        ::testing::KilledBySignal(SIGINT), "");
    EXPECT_EQ(Take(dir), before);
}

INSTANTIATE_TEST_SUITE_P(Operations, Interrupts, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case> &row) {
                             return std::string(row.param.name);
                         });

[[noreturn]] void ExtractOverAFileWhileTheQuestionWaits(const QTemporaryDir &temp,
                                                        const QString &file) {
    int argc = 1;
    char name[] = "test";
    char *argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    zipengine::InstallInterruptHandlers();
    platform::SetModuleSearchFolders({TARNWICK_BIN_DIR});
    TZipEngine engine;
    engine.ZipFileName = temp.filePath("a.zip");
    engine.UsePaths = false;
    engine.FilesToProcess = QStringList{file};
    engine.AddToArchive(TZipAddMode::Add);
    engine.ExtractDirectory = temp.path();
    engine.Overwrite = zowAsk;
    engine.OnReplace = [](TZipEngine &, TZipReplace &) {
        ::kill(::getpid(), SIGTERM);
        QEventLoop prompt;
        bool unanswered = false;
        QTimer::singleShot(5000, &prompt, [&] {
            unanswered = true;
            prompt.quit();
        });
        prompt.exec();
        if (unanswered)
            std::_Exit(5); // the signal did not end the question
    };
    engine.ExtractFromArchive(TZipExtractMode::All);
    std::_Exit(3);
}

// A question shown from a callback runs an event loop of its own; the
// signal ends it, and the operation stops there.
TEST(InterruptedPrompt, EndsTheOperation) {
    // Forked as it is: the child works in the folder the parent looks at.
    GTEST_FLAG_SET(death_test_style, "fast");
    if (!QFile::exists(QStringLiteral(TARNWICK_BIN_DIR) + "/libunzeng32.so"))
        GTEST_SKIP() << "engine libraries not built";
    QTemporaryDir temp;
    const QString file = temp.filePath("f.txt");
    QFile(file).open(QIODevice::WriteOnly);
    EXPECT_EXIT(ExtractOverAFileWhileTheQuestionWaits(temp, file),
                ::testing::KilledBySignal(SIGTERM), "");
}

} // namespace
