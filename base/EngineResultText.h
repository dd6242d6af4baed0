// What each engine result code says, with the operation's verb, and how
// grave it is: the one table behind the window's result boxes and
// tarnwick-cli's messages, so that both word a failure alike.
#pragma once

#include <QString>

struct TEngineResultText {
    QString Text;        // empty: nothing to say
    int ResultClass = 0; // 0 nothing, 1 a warning, 2 failed or aborted
    bool Listed = false; // false: a code without a message of its own
};

// verb is the lower-case gerund of the operation ("reading", "adding", ...).
// Every code but ENGINE_OK has a text or a class; an unlisted one (negative
// codes too) gets the general failure text.
TEngineResultText EngineResultText(int code, const QString &verb);

// The one answer to a command that would change an archive of a format the
// engine only reads (TZipEngine::ReadOnlyType, "tar.gz"): named by its
// file name, whatever folder it lies in.
QString ReadOnlyArchiveText(const QString &archivePath, const QString &type);
