// An Xvfb display of the tests' own, for what only a real X server shows.
#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QThread>

// An Xvfb display of 1280 x 900, with openbox managing it when asked.
class XDisplay {
public:
    ~XDisplay() {
        for (QProcess *process : {&windowManager_, &server_}) {
            if (process->state() != QProcess::NotRunning) {
                process->terminate();
                process->waitForFinished(5000);
            }
        }
    }

    // False, with the reason in `why`, when the display cannot be had.
    bool start(bool withWindowManager, const QString &folder, QString &why) {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        const QString openbox = QStandardPaths::findExecutable(QStringLiteral("openbox"));
        if (xvfb.isEmpty() || (withWindowManager && openbox.isEmpty())) {
            why = QStringLiteral("Xvfb and openbox are not installed (scripts/deps.sh)");
            return false;
        }
        // Xvfb picks a free display and names it on the descriptor given.
        server_.start(xvfb,
                      {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                       QStringLiteral("0"), QStringLiteral("1280x900x24"),
                       QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        QByteArray number;
        QElapsedTimer clock;
        clock.start();
        while (!number.endsWith('\n') && clock.elapsed() < 20000 &&
               server_.state() != QProcess::NotRunning) {
            server_.waitForReadyRead(200);
            number += server_.readAllStandardOutput();
        }
        if (!number.endsWith('\n')) {
            why = QStringLiteral("Xvfb did not start: ") +
                  QString::fromLocal8Bit(server_.readAllStandardError());
            return false;
        }
        display_ = u':' + QString::fromLatin1(number.trimmed());
        if (!withWindowManager)
            return true;
        // openbox runs its start-up command once it manages the screen.
        const QString ready = folder + QStringLiteral("/openbox-ready");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), display_);
        windowManager_.setProcessEnvironment(environment);
        windowManager_.start(
            openbox, {QStringLiteral("--startup"), QStringLiteral("touch '") + ready + u'\''});
        clock.restart();
        while (!QFile::exists(ready) && clock.elapsed() < 20000 &&
               windowManager_.state() != QProcess::NotRunning)
            QThread::msleep(50);
        if (!QFile::exists(ready)) {
            why = QStringLiteral("openbox did not start: ") +
                  QString::fromLocal8Bit(windowManager_.readAllStandardError());
            return false;
        }
        return true;
    }

    QString name() const { return display_; }

private:
    QProcess server_;
    QProcess windowManager_;
    QString display_;
};
