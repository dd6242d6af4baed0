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

namespace {

void Put16(QByteArray &out, quint16 v) {
    out.append(char(v & 0xFF)).append(char(v >> 8));
}
void Put32(QByteArray &out, quint32 v) {
    Put16(out, quint16(v & 0xFFFF));
    Put16(out, quint16(v >> 16));
}
void Put64(QByteArray &out, quint64 v) {
    Put32(out, quint32(v & 0xFFFFFFFFu));
    Put32(out, quint32(v >> 32));
}

} // namespace

bool WriteSparseZip64(const QString &path, const QByteArray &name, quint64 size) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    // Listing reads only the central directory, so the CRC is left 0.
    const quint32 crc = 0;
    const quint16 dosTime = (13 << 11) | (45 << 5) | 15,
                  dosDate = ((2024 - 1980) << 9) | (5 << 5) | 17;

    QByteArray local;
    Put32(local, 0x04034b50);
    Put16(local, 45);
    Put16(local, 0);
    Put16(local, 0);
    Put16(local, dosTime);
    Put16(local, dosDate);
    Put32(local, crc);
    Put32(local, 0xFFFFFFFFu);
    Put32(local, 0xFFFFFFFFu);
    Put16(local, quint16(name.size()));
    Put16(local, 20);
    local.append(name);
    Put16(local, 1);
    Put16(local, 16);
    Put64(local, size);
    Put64(local, size);
    file.write(local);
    const quint64 centralOffset = quint64(local.size()) + size;

    QByteArray central;
    Put32(central, 0x02014b50);
    Put16(central, 45);
    Put16(central, 45);
    Put16(central, 0);
    Put16(central, 0);
    Put16(central, dosTime);
    Put16(central, dosDate);
    Put32(central, crc);
    Put32(central, 0xFFFFFFFFu);
    Put32(central, 0xFFFFFFFFu);
    Put16(central, quint16(name.size()));
    Put16(central, 20);
    Put16(central, 0);
    Put16(central, 0);
    Put16(central, 0);
    Put32(central, 0);
    Put32(central, 0);
    central.append(name);
    Put16(central, 1);
    Put16(central, 16);
    Put64(central, size);
    Put64(central, size);

    QByteArray tail;
    const quint64 zip64End = centralOffset + quint64(central.size());
    Put32(tail, 0x06064b50);
    Put64(tail, 44);
    Put16(tail, 45);
    Put16(tail, 45);
    Put32(tail, 0);
    Put32(tail, 0);
    Put64(tail, 1);
    Put64(tail, 1);
    Put64(tail, quint64(central.size()));
    Put64(tail, centralOffset);
    Put32(tail, 0x07064b50);
    Put32(tail, 0);
    Put64(tail, zip64End);
    Put32(tail, 1);
    Put32(tail, 0x06054b50);
    Put16(tail, 0);
    Put16(tail, 0);
    Put16(tail, 0xFFFF);
    Put16(tail, 0xFFFF);
    Put32(tail, 0xFFFFFFFFu);
    Put32(tail, 0xFFFFFFFFu);
    Put16(tail, 0);
    if (!file.seek(qint64(centralOffset)))
        return false;
    file.write(central);
    file.write(tail);
    return true;
}

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
                       "    data = open(sys.argv[i + 1], 'rb').read()\n"
                       "    if sys.argv[i].endswith('/'):\n"
                       "        info.external_attr = 0o40755 << 16 | 0x10\n"
                       "    elif data.startswith(b'#!'):\n"
                       "        info.external_attr = 0o100755 << 16\n"
                       "    z.writestr(info, data)\n"
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
