// Engine result codes as the program reports them: the message text (with
// the operation's verb) and the result class, 0 nothing to report, 1 a
// warning, 2 a failure.
#pragma once

#include "EngineResultText.h"

#include <QString>

#include <cstdint>

namespace cli {

struct ResultText {
    QString text; // empty: nothing to say
    TResultClass resultClass = ResultNothing;
};

// What a command returns when it has told the user what is wrong itself:
// a failure with nothing more to say.
constexpr int kReportedFailure = -2;

ResultText resultText(int code, const QString &verb);

// The line for a file an engine passed over: "skipped: NAME (REASON)", the
// name made printable.
QString skippedLine(const QString &name, std::uint8_t reason);

// What goes in front of a result's text so that it names what failed: the
// archive's path, and the operation unless the text names it already or is
// about the archive file itself ("PATH: " or "PATH: VERB: ").
QString failurePrefix(int code, const QString &archive, const QString &verb);

} // namespace cli
