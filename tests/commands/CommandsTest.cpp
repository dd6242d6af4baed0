#include "CommandsTest.h"

#include "InstallCommands.h"
#include "MainForm.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

void CommandsTest::SetUp() {
    AppTest::SetUp();
    TMainFormFm::SetCommandInstaller(
        [](TMainFormFm &window) { InstallCommands(window, window.Session()); });
}

void CommandsTest::TearDown() {
    TMainFormFm::SetCommandInstaller({});
    AppTest::TearDown();
}

QString CommandsTest::WriteFile(const QString &name, const QByteArray &content) const {
    const QString path = TempPath(name);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(content);
    return path;
}

QByteArray CommandsTest::ReadFile(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QStringList CommandsTest::ZipNames(const QString &archive) const {
    QProcess python;
    python.start(QStringLiteral("python3"), {QStringLiteral("-c"),
                                             QStringLiteral("import sys, zipfile\n"
                                                            "z = zipfile.ZipFile(sys.argv[1])\n"
                                                            "if z.testzip(): print('BAD')\n"
                                                            "for n in z.namelist(): print(n)\n"),
                                             archive});
    EXPECT_TRUE(python.waitForFinished(60000));
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    QStringList lines = QString::fromUtf8(python.readAllStandardOutput()).split(QLatin1Char('\n'));
    lines.removeAll(QString());
    return lines;
}
