#include "EngineMessages.h"

#include "SkipReasonText.h"

namespace {

QString Quoted(const QString &name) {
    return QLatin1Char('"') + name + QLatin1Char('"');
}

} // namespace

QString FileProgressText(const QString &word, const QString &fileName) {
    // Built once per entry of an operation: one allocation, not four.
    QString text;
    text.reserve(word.size() + fileName.size() + 4);
    text += word;
    text += QLatin1String(" \"");
    text += fileName;
    text += QLatin1String("\".");
    return text;
}

QString SkippingText(bool testRunning, const QString &fileName, std::uint8_t reason) {
    QString text =
        testRunning ? QStringLiteral("File ") + Quoted(fileName) + QStringLiteral(" failed test: ")
                    : QStringLiteral("Skipping ") + Quoted(fileName) + QStringLiteral(", ");
    const QString why = SkipReasonText(reason);
    if (!why.isEmpty())
        text += why + QLatin1Char('.');
    return text;
}

QString ReplaceQuestion(const QString &fileName) {
    return QStringLiteral("The file ") + Quoted(fileName) +
           QStringLiteral(" already exists. Do you want to replace this file?");
}

QString NewdiskText(std::int32_t disk) {
    if (disk == 0)
        return QStringLiteral("Please insert the last disk of the set.");
    return QStringLiteral("Please insert disk #") + QString::number(disk) +
           QStringLiteral(" of the set.");
}
