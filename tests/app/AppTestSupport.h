// Shared ground for the main-window tests: a QApplication, a private INI
// folder, the scripted desktop, the real engines from the bin folder and
// fixture archives written by Python's zipfile.
#pragma once

#include "platform/testing/ScriptedDesktop.h"

#include <QMap>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

class TMainFormFm;

// One stored entry of `size` zero bytes (past 4 GiB) in a ZIP64 archive
// whose data is a hole in a sparse file.
bool WriteSparseZip64(const QString &path, const QByteArray &name, quint64 size);

// The engine's message pump of the program, installed once.
void EnsureApplication();

class AppTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Path of a file inside the test's own temporary folder.
    QString TempPath(const QString &name) const;
    QString IniPath() const;
    QString IniText() const;
    void WriteIni(const QString &text) const;

    // Writes a ZIP archive holding name -> content, through Python's zipfile;
    // a name ending in "/" is a folder, a content starting "#!" executable.
    QString MakeZip(const QString &name, const QMap<QString, QByteArray> &entries) const;
    // An archive of `count` small entries named fNNNN.txt.
    QString MakeZipOfCount(const QString &name, int count) const;

    // A main window as the program creates it; shown and active.
    std::unique_ptr<TMainFormFm> NewForm(const QStringList &arguments = QStringList());

    QTemporaryDir temp_;
    std::unique_ptr<platform::testing::ScriptedDesktop> desktop_;
};
