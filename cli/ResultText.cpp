#include "ResultText.h"

#include "EngineResultText.h"
#include "engine_contract.h"

namespace cli {

ResultText resultText(int code, const QString &verb) {
    if (code == ENGINE_OK)
        return {};
    if (code == kReportedFailure)
        return {QString(), 2};
    // From a repair a bad archive means there was nothing it could save.
    if ((code == ENGINE_BAD_ARCHIVE || code == ENGINE_CORRUPTED) && verb == QLatin1String("fixing"))
        return {QStringLiteral("The archive file is too corrupted to be fixed."), 2};
    const TEngineResultText result = EngineResultText(code, verb);
    return {result.Text, result.ResultClass};
}

QString failurePrefix(int code, const QString &archive, const QString &verb) {
    const QString path = archive + QStringLiteral(": ");
    switch (code) {
    case ENGINE_ARCHIVE_NOT_FOUND:
    case ENGINE_BAD_ARCHIVE:
    case ENGINE_CORRUPTED:
    case ENGINE_NOT_ARCHIVE:
    case ENGINE_SPANNED: // one disk of a set
        return path;
    default:
        return resultText(code, verb).text.contains(verb) ? path
                                                          : path + verb + QStringLiteral(": ");
    }
}

} // namespace cli
