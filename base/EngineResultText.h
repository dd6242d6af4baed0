// What each engine result code says, with the operation's verb, and how
// grave it is: the one table behind the window's result boxes and
// tarnwick-cli's messages, so that both word a failure alike.
#pragma once

#include <QString>

// How grave a result is: what callers act on, and tarnwick-cli's exit
// status, hence the fixed values.
enum TResultClass : int { ResultNothing = 0, ResultWarning = 1, ResultFailed = 2 };

struct TEngineResultText {
    QString Text; // empty: nothing to say
    TResultClass ResultClass = ResultNothing;
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

// What a repair answers when it found nothing it could save: its own text
// in place of the corrupted-archive one, which would suggest the very Fix
// that just failed. Empty for every other code; an unexpected failure of
// the engine (ENGINE_CORRUPTED) is a fault of ours, not a verdict on the
// archive, and keeps the general text.
QString TooCorruptedToFixText(int code);
