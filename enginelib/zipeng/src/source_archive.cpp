#include "source_archive.h"

#include "engine_contract.h"

#include <sys/stat.h>

namespace zipwrite {

CentralRecord centralRecordOf(const zipformat::Entry &e) {
    const std::string name(e.rawName);
    CentralRecord rec = centralRecordOf(headerFieldsOf(e, name), e.localHeaderOffset);
    rec.madeBy = e.versionMadeBy;
    rec.internalAttr = e.internalAttributes;
    rec.externalAttr = e.externalAttributes;
    rec.comment.assign(e.comment.data(), e.comment.size());
    return rec;
}

zipformat::Status SourceArchive::openExisting(const std::string &path,
                                              std::unique_ptr<SourceArchive> &out) {
    if (zipformat::Status s = open(path, out); s.failed())
        return s;
    return out ? zipformat::Status() : zipformat::Status(ENGINE_ARCHIVE_NOT_FOUND);
}

zipformat::Status SourceArchive::openWalked(const std::string &path,
                                            std::unique_ptr<SourceArchive> &out) {
    if (zipformat::Status s = openWith(path, true, out); s.failed())
        return s;
    return out ? zipformat::Status() : zipformat::Status(ENGINE_ARCHIVE_NOT_FOUND);
}

zipformat::Status SourceArchive::open(const std::string &path,
                                      std::unique_ptr<SourceArchive> &out) {
    return openWith(path, false, out);
}

zipformat::Status SourceArchive::openWith(const std::string &path, bool walked,
                                          std::unique_ptr<SourceArchive> &out) {
    out.reset();
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return {};
    if (S_ISREG(st.st_mode) && st.st_size == 0)
        return {};
    std::unique_ptr<SourceArchive> src(new SourceArchive);
    zipformat::OpenOptions options;
    options.streamEntries = walked;
    const zipformat::Error err = src->archive_.open(path, options);
    if (err != zipformat::Error::Ok)
        return zipformat::statusOf(err);
    const auto &info = src->archive_.info();
    src->comment_.assign(info.comment.data(), info.comment.size());
    if (walked) {
        out = std::move(src);
        return {};
    }
    src->entries_.reserve(src->archive_.size());
    for (std::size_t i = 0; i < src->archive_.size(); ++i) {
        const zipformat::Entry &e = src->archive_.entry(i);
        zipformat::EntryLocation loc;
        const zipformat::Error le = src->archive_.locate(i, loc);
        if (le != zipformat::Error::Ok)
            return zipformat::statusOf(le);
        ExistingEntry x;
        x.name.assign(e.name.data(), e.name.size());
        x.central = centralRecordOf(e);
        x.begin = loc.headerPos;
        x.end = loc.end;
        x.mtime = e.modifiedTime();
        x.exactTime = e.hasExactMtime;
        x.isDir = e.isDirectory();
        src->entries_.push_back(std::move(x));
    }
    out = std::move(src);
    return {};
}

} // namespace zipwrite
