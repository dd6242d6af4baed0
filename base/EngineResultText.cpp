#include "EngineResultText.h"

#include "engine_contract.h"

#include <QFileInfo>

namespace {

TEngineResultText Listed(const QString &text, TResultClass resultClass) {
    return {text, resultClass, true};
}

TEngineResultText Failure(const QString &text) {
    return Listed(text, ResultFailed);
}

} // namespace

TEngineResultText EngineResultText(int code, const QString &verb) {
    switch (code) {
    case ENGINE_OK:
        return {};
    case ENGINE_NOTHING_MATCHED:
    case ENGINE_COMPLETED_30:
    case ENGINE_COMPLETED_140:
        return Listed(QString(), ResultWarning);
    case ENGINE_SOME_SKIPPED:
        return Listed(QStringLiteral("Some files were skipped while ") + verb + QStringLiteral("."),
                      ResultWarning);
    case ENGINE_ARCHIVE_NOT_FOUND:
        return Failure(QStringLiteral("Could not find the archive file."));
    case ENGINE_BAD_ARCHIVE:
    case ENGINE_CORRUPTED:
        return Failure(
            QStringLiteral("The archive file is corrupted. Try using the Fix option on it."));
    case ENGINE_NO_MEMORY:
        return Failure(QStringLiteral("Ran out of memory while ") + verb + QStringLiteral("."));
    case ENGINE_DISK_FULL:
        return Failure(QStringLiteral("Disk full while ") + verb + QStringLiteral("."));
    case ENGINE_BUSY:
        return Failure(QStringLiteral(
            "Another application is currently performing a similar task. Wait until the other "
            "application has completed its operation."));
    case ENGINE_ABORTED:
        return Failure(QStringLiteral("The ") + verb + QStringLiteral(" operation was aborted."));
    case ENGINE_TEST_FAILED:
        return Failure(QStringLiteral("Test failed - Errors in the archive."));
    case ENGINE_NOTHING_TESTED:
        return Failure(QStringLiteral("No files ended up being tested in the archive."));
    case ENGINE_NOT_LOADED:
        return Failure(
            QStringLiteral("The ZIPENG.DLL or the UNZIPENG.DLL file could not be found."));
    case ENGINE_TEMP_FILE:
        return Failure(QStringLiteral("Problem with the temporary file."));
    case ENGINE_REMOVES_PARENT:
        return Failure(QStringLiteral("Attempt to remove parent directory."));
    case ENGINE_DUPLICATE_NAMES:
        return Failure(QStringLiteral("Names repeated in archive after discarding pathnames."));
    case ENGINE_NO_DATE:
        return Failure(QStringLiteral("Could not update the Zip archive date. Archive only "
                                      "contains directories or is empty."));
    case ENGINE_NOT_ACCESSIBLE:
        return Failure(
            QStringLiteral("Could not access the Zip file or one of the files to process."));
    case ENGINE_NOT_ARCHIVE:
        return Failure(QStringLiteral("The file is not an archive."));
    case ENGINE_SPANNED:
        return Failure(QStringLiteral(
            "Attempt to work with a multiple-disk Zip archive, but not in multidisk mode."));
    default:
        // The program keeps its own spelling of this message.
        return {QStringLiteral("An error occured while ") + verb +
                    QStringLiteral(" the specified files."),
                ResultFailed, false};
    }
}

QString ReadOnlyArchiveText(const QString &archivePath, const QString &type) {
    return QFileInfo(archivePath).fileName() + QStringLiteral(" is a ") + type +
           QStringLiteral(" archive and can only be read. Extract its files, or add them to a "
                          "new ZIP archive.");
}

QString TooCorruptedToFixText(int code) {
    if (code == ENGINE_BAD_ARCHIVE)
        return QStringLiteral("The specified Zip file is too corrupted to be fixed.");
    return {};
}
