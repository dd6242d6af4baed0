// The window as the program builds it, commands installed, with the
// scripted desktop and the real engines.
#pragma once

#include "AppTestSupport.h"
#include "platform/testing/QtPrinters.h"

#include <QByteArray>

class CommandsTest : public AppTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes `content` to the test's temporary folder and returns its path.
    QString WriteFile(const QString &name, const QByteArray &content) const;
    static QByteArray ReadFile(const QString &path);
    // Entry names of an archive, read by Python's zipfile, after a line
    // "BAD" when its testzip() finds a damaged entry.
    QStringList ZipNames(const QString &archive) const;
};
