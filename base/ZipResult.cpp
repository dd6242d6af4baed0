#include "ZipResult.h"

namespace {

TZipResultReport Report(TZipResultBox box, const QString &text, int resultClass) {
    return TZipResultReport{text, box, resultClass, true};
}

TZipResultReport Failure(const QString &text) {
    return Report(TZipResultBox::Error, text, 2);
}

} // namespace

TZipResultReport ZipResultReportFor(int code, const QString &verb, bool quietOpen) {
    if (code <= 0)
        return {};
    switch (code) {
    case 10:
    case 30:
    case 140:
        return Report(TZipResultBox::None, QString(), 1);
    case 40:
        return Report(TZipResultBox::Information,
                      QStringLiteral("Some files were skipped while ") + verb + QStringLiteral("."),
                      1);
    case 100:
        return Failure(QStringLiteral("Could not find the archive file."));
    case 110:
    case 160:
        return Failure(
            QStringLiteral("The archive file is corrupted. Try using the Fix option on it."));
    case 120:
        return Failure(QStringLiteral("Ran out of memory while ") + verb + QStringLiteral("."));
    case 150:
        return Failure(QStringLiteral("Disk full while ") + verb + QStringLiteral("."));
    case 180:
        return Failure(QStringLiteral(
            "Another application is currently performing a similar task. Wait until the other "
            "application has completed its operation."));
    case 190:
        return Report(TZipResultBox::Information,
                      QStringLiteral("The ") + verb + QStringLiteral(" operation was aborted."), 2);
    case 200:
        return Failure(QStringLiteral("Test failed - Errors in the archive."));
    case 210:
        return Failure(QStringLiteral("No files ended up being tested in the archive."));
    case 240:
        return Failure(
            QStringLiteral("The ZIPENG.DLL or the UNZIPENG.DLL file could not be found."));
    case 280:
        return Failure(QStringLiteral("Problem with the temporary file."));
    case 350:
        return Failure(QStringLiteral("Attempt to remove parent directory."));
    case 370:
        return Failure(QStringLiteral("Names repeated in archive after discarding pathnames."));
    case 380:
        return Failure(QStringLiteral("Could not update the Zip archive date. Archive only "
                                      "contains directories or is empty."));
    case 400:
        return Failure(
            QStringLiteral("Could not access the Zip file or one of the files to process."));
    case 410:
        return Failure(QStringLiteral(
            "Attempt to work with a multiple-disk Zip archive, but not in multidisk mode."));
    default:
        break;
    }
    if (quietOpen)
        return Report(TZipResultBox::None, QString(), 0);
    return Failure(QStringLiteral("An error occured while ") + verb +
                   QStringLiteral(" the specified files."));
}
