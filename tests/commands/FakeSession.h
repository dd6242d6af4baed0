// A session and a window for the command rules: the session records each
// request and answers with the code scripted for it, the view records what
// the command asked of the window. Neither has a widget or an engine.
#pragma once

#include "ArchiveView.h"
#include "CommandHost.h"
#include "ZipResult.h"

#include <QMap>

#include <stdexcept>
#include <vector>

class TFakeSession : public TArchiveSession {
public:
    QString Path = QStringLiteral("/a/a.zip");
    bool Multidisk = false;
    // The code each request kind ("add", "extract", ...) answers with.
    QMap<QString, int> Codes;
    QString ReadOnlyType;
    QString ArchiveComment;
    // Every request, as "kind" with what it carried.
    QStringList Requests;
    TAddRequest LastAdd;
    TExtractRequest LastExtract;

    QString ArchivePath() const override { return Path; }
    bool MultidiskMode() const override { return Multidisk; }
    QString Password() const override { return {}; }
    std::int32_t EntryCount() override { return 0; }
    QString EntryName(std::int32_t) override { return {}; }
    TSessionOutcome Add(const TAddRequest &request) override {
        LastAdd = request;
        return Answer(QStringLiteral("add %1 %2").arg(int(request.Mode)).arg(request.UsePaths));
    }
    TSessionOutcome Extract(const TExtractRequest &request) override {
        LastExtract = request;
        return Answer(QStringLiteral("extract %1 to %2 paths %3 method %4")
                          .arg(request.Entries.Names.join(u','), request.Folder)
                          .arg(request.UsePaths)
                          .arg(request.Method ? int(*request.Method) : -1));
    }
    TSessionOutcome Remove(const TEntryRefs &entries) override {
        return Answer(QStringLiteral("remove %1").arg(entries.Names.join(u',')));
    }
    std::optional<TEntrySealing> Sealing; // of every entry
    std::optional<TEntrySealing> SealingOf(const QString &) override { return Sealing; }
    TArchiveFigures Figures() override { return {}; }
    QString Comment() override { return ArchiveComment; }
    TSessionOutcome SetComment(const QString &text) override { return Answer("comment " + text); }
    TSessionOutcome UpdateDate() override { return Answer(QStringLiteral("date")); }
    TSessionOutcome PutBack(const TPutBackRequest &request) override {
        return Answer(QStringLiteral("put back %1 with '%2' as %3")
                          .arg(request.StoredName, request.Password)
                          .arg(int(request.Encryption)));
    }
    TSessionOutcome Test(const QString &path) override { return Answer("test " + path); }
    TSessionOutcome Fix(const QString &path, bool aggressive) override {
        return Answer(QStringLiteral("fix %1 %2").arg(path).arg(aggressive));
    }
    QString ReadOnlyTypeOf(const QString &) override { return ReadOnlyType; }
    void Configure(const TSettings &) override {}
    void Abort() override { Requests << QStringLiteral("abort"); }

private:
    TSessionOutcome Answer(const QString &request) {
        Requests << request;
        TSessionOutcome outcome;
        outcome.Code = Codes.value(request.section(u' ', 0, 0), ENGINE_OK);
        return outcome;
    }
};

// Also the host of the commands that take more than the window's verbs:
// its session is a fake of its own (HostSession), and no widget is ever at
// hand.
class TFakeView : public TCommandHost {
public:
    int Busy = 0;
    TEntryRefs Selection;
    QStringList FilesToAdd;
    QString ArchiveToPick;
    bool Current = true;
    // What the command did to the window, in order: "status TEXT",
    // "result VERB CODE", "list", "multidisk off", "files at busy N",
    // "progress N", ...
    QStringList Log;

    void SetBusy(bool leaving) override { Busy += leaving ? -1 : 1; }
    bool IsBusy() const override { return Busy != 0; }
    TResultClass ShowOutcome(TSessionOutcome &outcome, const QString &verb) override {
        Log << QStringLiteral("result %1 %2").arg(verb).arg(outcome.Code);
        const TZipResultReport report = ZipResultReportFor(outcome.Code, verb, false);
        outcome.Class = report.ResultClass;
        outcome.Reported = report.Seen;
        return report.ResultClass;
    }
    bool RefuseReadOnly() override { return false; }
    void SetStatusText(const QString &text) override { Log << "status " + text; }
    void SetProgressPosition(int position) override {
        Log << QStringLiteral("progress %1").arg(position);
    }
    void MultidiskOff() override { Log << QStringLiteral("multidisk off"); }
    TEntryRefs SelectedEntries() const override { return Selection; }
    int SelectedCount() const override { return int(Selection.size()); }
    TEntryRefs EntriesBelow(const QString &) const override { return {}; }
    void OpenZipFile(const QString &path, TOpenMode mode) override {
        Log << "open " + path + (mode == TOpenMode::Chosen ? " chosen" : "");
    }
    void ListArchiveContents() override { Log << QStringLiteral("list"); }
    bool ListingCurrent() const override { return Current; }
    void KeepListingCurrent(bool wasCurrent) override {
        Log << QStringLiteral("keep current %1").arg(wasCurrent);
    }
    QString NewArchive;
    QString ChooseNewArchive(const QString &title) override {
        Log << QStringLiteral("new archive at busy %1: %2").arg(Busy).arg(title);
        return NewArchive;
    }
    QString ChooseArchive(const QString &title) override {
        Log << QStringLiteral("archive at busy %1: %2").arg(Busy).arg(title);
        return ArchiveToPick;
    }
    QStringList ChooseFilesToAdd() override {
        Log << QStringLiteral("files at busy %1").arg(Busy);
        return FilesToAdd;
    }

    TFakeSession HostSession;
    TSettings HostSettings;
    QStringList Dropped;
    TArchiveSession &Session() override { return HostSession; }
    TSettings &CurrentSettings() override { return HostSettings; }
    QWidget &Window() override { throw std::logic_error("no window under the command rules"); }
    void SetCommandHandler(const QString &, std::function<void()>) override {}
    void FileNewMnClick() override { Log << QStringLiteral("new"); }
    void FileCloseMnClick() override { Log << QStringLiteral("close"); }
    void EditSelectAllMnClick() override { Log << QStringLiteral("select all"); }
    void AddTempFile(const QString &path) override { Log << "temp file " + path; }
    QStringList DroppedFiles() const override { return Dropped; }
    void SetEntryDragHandlers(std::function<QMimeData *()>,
                              std::function<void(Qt::DropAction)>) override {}
};
