#include "ResultText.h"

namespace cli {

ResultText resultText(int code, const QString &verb) {
    if (code == 0)
        return {};
    switch (code) {
    case kReportedFailure:
        return {QString(), 2};
    case 10:
    case 30:
    case 140:
        return {QString(), 1};
    case 40:
        return {QStringLiteral("Some files were skipped while ") + verb + QStringLiteral("."), 1};
    case 100:
        return {QStringLiteral("Could not find the archive file."), 2};
    case 110:
    case 160:
        // From a repair the same code means there was nothing it could save.
        if (verb == QLatin1String("fixing"))
            return {QStringLiteral("The archive file is too corrupted to be fixed."), 2};
        return {QStringLiteral("The archive file is corrupted. Try using the Fix option on it."),
                2};
    case 120:
        return {QStringLiteral("Ran out of memory while ") + verb + QStringLiteral("."), 2};
    case 150:
        return {QStringLiteral("Disk full while ") + verb + QStringLiteral("."), 2};
    case 180:
        return {QStringLiteral("Another application is currently performing a similar task. "
                               "Wait until the other application has completed its operation."),
                2};
    case 190:
        return {QStringLiteral("The ") + verb + QStringLiteral(" operation was aborted."), 2};
    case 200:
        return {QStringLiteral("Test failed - Errors in the archive."), 2};
    case 210:
        return {QStringLiteral("No files ended up being tested in the archive."), 2};
    case 240:
        return {QStringLiteral("The ZIPENG.DLL or the UNZIPENG.DLL file could not be found."), 2};
    case 280:
        return {QStringLiteral("Problem with the temporary file."), 2};
    case 350:
        return {QStringLiteral("Attempt to remove parent directory."), 2};
    case 370:
        return {QStringLiteral("Names repeated in archive after discarding pathnames."), 2};
    case 380:
        return {QStringLiteral("Could not update the Zip archive date. Archive only contains "
                               "directories or is empty."),
                2};
    case 400:
        return {QStringLiteral("Could not access the Zip file or one of the files to process."), 2};
    case 410:
        return {QStringLiteral("Attempt to work with a multiple-disk Zip archive, but not in "
                               "multidisk mode."),
                2};
    default:
        // The program keeps its own spelling of this message.
        return {QStringLiteral("An error occured while ") + verb +
                    QStringLiteral(" the specified files."),
                2};
    }
}

QString failurePrefix(int code, const QString &archive, const QString &verb) {
    const QString path = archive + QStringLiteral(": ");
    switch (code) {
    case 100: // not found
    case 110: // corrupted
    case 160:
    case 410: // one disk of a set
        return path;
    default:
        return resultText(code, verb).text.contains(verb) ? path
                                                          : path + verb + QStringLiteral(": ");
    }
}

} // namespace cli
