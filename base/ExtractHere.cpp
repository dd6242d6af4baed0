#include "ExtractHere.h"

#include "ZipEngine.h"

#include <QFileInfo>

#include <array>

namespace {

QString FirstComponent(const QString &name) {
    int at = 0;
    for (;;) {
        while (at < name.size() && name.at(at) == u'/')
            ++at;
        if (name.mid(at, 2) == QLatin1String("./"))
            at += 2;
        else
            break;
    }
    const int slash = name.indexOf(u'/', at);
    return name.mid(at, slash < 0 ? -1 : slash - at);
}

} // namespace

QString ArchiveFolderName(const QString &archivePath) {
    const QString file = QFileInfo(archivePath).fileName();
    // Longest first, so "x.tar.gz" loses both parts.
    static const std::array<const char *, 6> compound = {".tar.gz",  ".tar.bz2", ".tar.xz",
                                                         ".tar.zst", ".tar.lz",  ".tar.Z"};
    for (const char *suffix : compound) {
        const QLatin1String s(suffix);
        if (file.size() > s.size() && file.endsWith(s, Qt::CaseInsensitive))
            return file.left(file.size() - s.size());
    }
    const int dot = file.lastIndexOf(u'.');
    if (dot > 0)
        return file.left(dot);
    return file + QStringLiteral(".d");
}

bool HasSingleTopLevel(const QStringList &entryNames) {
    QString first;
    bool any = false;
    for (const QString &name : entryNames) {
        const QString top = FirstComponent(name);
        if (top.isEmpty())
            continue; // "./" itself names the folder, not an entry in it
        if (!any) {
            first = top;
            any = true;
        } else if (top != first) {
            return false;
        }
    }
    return any;
}

TExtractHerePlan PlanExtractHere(TZipEngine &engine, const QString &base) {
    TExtractHerePlan plan;
    QStringList names;
    engine.FilesToProcess.clear();
    const auto listing = engine.OnListing;
    engine.OnListing = [&names](TZipEngine &, const TZipFileStats &s) { names << s.FileName; };
    plan.Code = engine.ListArchive();
    engine.OnListing = listing;
    const QFileInfo archive(engine.ZipFileName);
    const QString here = base.isEmpty() ? archive.absolutePath() : base;
    plan.NewFolder = !HasSingleTopLevel(names);
    plan.Directory = plan.NewFolder ? here + u'/' + ArchiveFolderName(engine.ZipFileName) : here;
    return plan;
}
