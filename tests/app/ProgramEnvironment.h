// The environment the tests start the built program in: theirs, with
// LateThreadExit.cpp preloaded so that a thread the program leaves ending at
// its exit shows in the leak check of every run, not of a loaded one now and
// then.
#pragma once

#include <QProcessEnvironment>

inline QProcessEnvironment ProgramEnvironment() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(TARNWICK_LATE_THREAD_EXIT));
    // The sanitizer runtime wants to be first; the preloaded library uses none.
    QString asan = environment.value(QStringLiteral("ASAN_OPTIONS"));
    if (!asan.isEmpty())
        asan += QLatin1Char(':');
    asan += QStringLiteral("verify_asan_link_order=0");
    environment.insert(QStringLiteral("ASAN_OPTIONS"), asan);
    return environment;
}
