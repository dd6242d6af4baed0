#include "AppTestSupport.h"

#include "MainForm.h"
#include "ZipEngine.h"
#include "platform/Module.h"
#include "platform/PrivateProfile.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

void EnsureApplication() {
    // The QApplication itself comes from the shared test environment.
    static const bool pumpInstalled = [] {
        TZipEngine::SetMessagePump([] { QCoreApplication::processEvents(); });
        return true;
    }();
    ASSERT_TRUE(pumpInstalled && QApplication::instance());
}

void AppTest::SetUp() {
    EnsureApplication();
    ASSERT_TRUE(temp_.isValid());
    QDir(temp_.path()).mkpath(QStringLiteral("windir"));
    qputenv("TARNWICK_WINDIR", TempPath(QStringLiteral("windir")).toLocal8Bit());
    platform::SetModuleSearchFolders({TARNWICK_BIN_DIR});
    desktop_ = std::make_unique<platform::testing::ScriptedDesktop>();
}

void AppTest::TearDown() {
    desktop_.reset();
    platform::ResetModuleSearchFolders();
}

QString AppTest::TempPath(const QString &name) const {
    return temp_.path() + QLatin1Char('/') + name;
}

QString AppTest::IniPath() const {
    return TempPath(QStringLiteral("windir/TARNWICK.INI"));
}

QString AppTest::IniText() const {
    QFile file(IniPath());
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

void AppTest::WriteIni(const QString &text) const {
    QFile file(IniPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.toUtf8());
}

QString AppTest::MakeZip(const QString &name, const QMap<QString, QByteArray> &entries) const {
    const QString path = TempPath(name);
    QStringList args{
        QStringLiteral("-c"),
        QStringLiteral("import sys, zipfile\n"
                       "z = zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED)\n"
                       "for i in range(2, len(sys.argv), 2):\n"
                       "    info = zipfile.ZipInfo(sys.argv[i], (2024, 5, 17, 13, 45, 30))\n"
                       "    info.compress_type = zipfile.ZIP_DEFLATED\n"
                       "    z.writestr(info, open(sys.argv[i + 1], 'rb').read())\n"
                       "z.close()\n"),
        path};
    int index = 0;
    for (auto it = entries.begin(); it != entries.end(); ++it, ++index) {
        const QString content = TempPath(QStringLiteral("content-%1").arg(index));
        QFile file(content);
        if (!file.open(QIODevice::WriteOnly))
            ADD_FAILURE() << "cannot write " << content.toStdString();
        file.write(it.value());
        file.close();
        args << it.key() << content;
    }
    QProcess python;
    python.start(QStringLiteral("python3"), args);
    EXPECT_TRUE(python.waitForFinished(60000));
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    return path;
}

QString AppTest::MakeZipOfCount(const QString &name, int count) const {
    const QString path = TempPath(name);
    QProcess python;
    python.start(
        QStringLiteral("python3"),
        {QStringLiteral("-c"),
         QStringLiteral("import sys, zipfile\n"
                        "z = zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_STORED)\n"
                        "for i in range(int(sys.argv[2])):\n"
                        "    info = zipfile.ZipInfo('f%04d.txt' % i, (2024, 1, 2, 3, 4, 6))\n"
                        "    z.writestr(info, b'x' * 10)\n"
                        "z.close()\n"),
         path, QString::number(count)});
    EXPECT_TRUE(python.waitForFinished(60000));
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    return path;
}

std::unique_ptr<TMainFormFm> AppTest::NewForm(const QStringList &arguments) {
    auto form = std::make_unique<TMainFormFm>(arguments);
    form->show();
    form->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
    return form;
}
