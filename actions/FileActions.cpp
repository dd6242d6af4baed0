#include "FileActions.h"

#include "ExtractHere.h"
#include "FrmActionProgress.h"
#include "ProfileStore.h"
#include "Settings.h"
#include "ZipEngine.h"
#include "ZipResult.h"
#include "platform/Desktop.h"
#include "platform/MessageDlg.h"
#include "platform/ScreenCentre.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

// Shows the one report of an operation, as the main window does; returns
// its result class.
TResultClass Report(int code, const QString &verb) {
    const TZipResultReport report = ZipResultReportFor(code, verb, false);
    if (!report.Text.isEmpty() && report.Box != TZipResultBox::None)
        platform::MessageDlg(report.Text,
                             report.Box == TZipResultBox::Information
                                 ? platform::MsgKind::Information
                                 : platform::MsgKind::Error,
                             platform::MsgButton::OK);
    return report.ResultClass;
}

bool Taken(const QString &path) {
    // A dangling link is a name taken too.
    return QFileInfo::exists(path) || QFileInfo(path).isSymLink();
}

TResultClass Extract(TZipEngine &engine, TFrmActionProgress &window, const QString &archive,
                     TFileAction action) {
    engine.ZipFileName = QFileInfo(archive).absoluteFilePath();
    QString directory;
    if (action == TFileAction::ExtractHere) {
        const TExtractHerePlan plan = PlanExtractHere(engine);
        if (plan.Code != 0)
            return Report(plan.Code, QStringLiteral("extracting"));
        directory = plan.Directory;
    } else {
        directory = QFileInfo(engine.ZipFileName).absolutePath() + u'/' +
                    ArchiveFolderName(engine.ZipFileName);
    }
    window.SetAction(QStringLiteral("Extracting %1 into %2")
                         .arg(QFileInfo(archive).fileName(), QDir::toNativeSeparators(directory)));
    engine.ExtractDirectory = directory;
    engine.UsePaths = true;
    engine.FilesToProcess.clear();
    return Report(engine.ExtractFromArchive(TZipExtractMode::All), QStringLiteral("extracting"));
}

TResultClass Add(TZipEngine &engine, TFrmActionProgress &window, const QStringList &files) {
    const QString archive = NewArchiveFor(files);
    const QString folder = QFileInfo(archive).absolutePath();
    // Names beside the archive are stored as they are, with their folders'
    // contents below them; others with their whole path.
    QStringList names;
    for (const QString &file : files) {
        const QFileInfo info(file);
        names << (info.absolutePath() == folder ? info.fileName() : info.absoluteFilePath());
    }
    window.SetAction(QStringLiteral("Adding to %1").arg(QDir::toNativeSeparators(archive)));
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder);
    engine.ZipFileName = archive;
    engine.Recurse = true;
    engine.UsePaths = true;
    engine.IncludeDirectoryEntries = true;
    // Files the user only meant to pack are never removed by this action.
    engine.MoveFiles = false;
    engine.FilesToProcess = names;
    engine.LiteralNames = true;
    const int code = engine.AddToArchive(TZipAddMode::Add);
    QDir::setCurrent(previous);
    return Report(code, QStringLiteral("adding"));
}

} // namespace

std::optional<TFileActionRequest> ParseFileAction(const QStringList &arguments) {
    if (arguments.isEmpty())
        return std::nullopt;
    TFileActionRequest request;
    const QString &word = arguments.front();
    if (word == QLatin1String("--extract-here"))
        request.Action = TFileAction::ExtractHere;
    else if (word == QLatin1String("--extract-to-folder"))
        request.Action = TFileAction::ExtractToFolder;
    else if (word == QLatin1String("--add-to"))
        request.Action = TFileAction::AddTo;
    else
        return std::nullopt;
    request.Files = arguments.mid(1);
    return request;
}

QString NewArchiveFor(const QStringList &files) {
    const QFileInfo first(files.value(0));
    const QString folder = first.absolutePath();
    QString stem;
    if (files.size() == 1)
        stem = first.isDir() ? first.fileName() : first.completeBaseName();
    else
        stem = QFileInfo(folder).fileName();
    if (stem.isEmpty())
        stem = QStringLiteral("Archive");
    QString path = folder + u'/' + stem + QStringLiteral(".zip");
    for (int n = 2; Taken(path); ++n)
        path = folder + u'/' + stem + QStringLiteral("-%1.zip").arg(n);
    return path;
}

int RunFileAction(const TFileActionRequest &given, const TSettings &settings) {
    TFileActionRequest request = given;
    if (request.Files.isEmpty()) {
        // Started from the desktop entry's action with nothing named: ask.
        platform::FileDialogRequest ask;
        ask.title = request.Action == TFileAction::AddTo ? QStringLiteral("Add to ZIP archive")
                                                         : QStringLiteral("Extract");
        ask.filter = request.Action == TFileAction::AddTo
                         ? QStringLiteral("All files (*.*)|*.*")
                         : QStringLiteral("Archives (*.ZIP;*.TAR*;*.TGZ;*.7Z;*.RAR;*.ISO;*.CPIO)|"
                                          "*.ZIP;*.TAR*;*.TGZ;*.7Z;*.RAR;*.ISO;*.CPIO|"
                                          "All files (*.*)|*.*");
        ask.multiSelect = true;
        ask.fileMustExist = true;
        const platform::FileDialogResult chosen = platform::Desktop::current().fileDialog(ask);
        if (!chosen.accepted || chosen.files.isEmpty())
            return ResultNothing;
        request.Files = chosen.files;
    }
    TZipEngine engine;
    ApplySettingsToEngine(settings, engine);
    TFrmActionProgress window(engine);
    window.show();
    platform::CentreOnScreen(window);
    QCoreApplication::processEvents();
    TResultClass worst = ResultNothing;
    if (request.Action == TFileAction::AddTo) {
        worst = Add(engine, window, request.Files);
    } else {
        for (const QString &archive : request.Files) {
            worst = std::max(worst, Extract(engine, window, archive, request.Action));
            if (engine.Abort)
                break;
        }
    }
    return worst;
}

std::optional<int> RunFileActionFromArguments(const QStringList &arguments) {
    const auto request = ParseFileAction(arguments);
    if (!request)
        return std::nullopt;
    const TProfileStore profile;
    return RunFileAction(*request, ReadSettings(profile));
}
