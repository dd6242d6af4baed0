// How an engine result code becomes the one report of an operation: the
// text, the kind of box and the result class that callers act on.
#pragma once

#include "EngineResultText.h"

#include <QString>

enum class TZipResultBox { None, Information, Error };

struct TZipResultReport {
    QString Text; // empty: nothing is shown
    TZipResultBox Box = TZipResultBox::None;
    TResultClass ResultClass = ResultNothing;
    bool Seen = false; // the user has been told something (TSessionOutcome::Reported)
};

// verb is the lower-case gerund of the operation ("reading", "adding", ...).
// quietOpen swallows the codes that have no message of their own.
TZipResultReport ZipResultReportFor(int code, const QString &verb, bool quietOpen);
