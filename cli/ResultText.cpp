#include "ResultText.h"

#include "PrintableName.h"
#include "SkipReasonText.h"
#include "engine_contract.h"

namespace cli {

ResultText resultText(int code, const QString &verb) {
    if (code == ENGINE_OK)
        return {};
    if (code == kReportedFailure)
        return {QString(), ResultFailed};
    if (verb == QLatin1String("fixing")) {
        if (QString corrupted = TooCorruptedToFixText(code); !corrupted.isEmpty())
            return {corrupted, ResultFailed};
    }
    const TEngineResultText result = EngineResultText(code, verb);
    return {result.Text, result.ResultClass};
}

QString skippedLine(const QString &name, std::uint8_t reason) {
    QString line = QStringLiteral("skipped: ") + printable(name);
    const QString why = SkipReasonText(reason);
    if (!why.isEmpty())
        line += QStringLiteral(" (") + why + QLatin1Char(')');
    return line;
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
