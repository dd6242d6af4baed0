#include "source_archive.h"

#include "engine_error.h"
#include "engine_contract.h"

#include <sys/stat.h>

namespace zipwrite {

void throwFormatError(zipformat::Error e, const std::string &what) {
    using zipformat::Error;
    switch (e) {
    case Error::NotFound:
        throw EngineError(ENGINE_ARCHIVE_NOT_FOUND, what);
    case Error::NotAccessible:
        throw EngineError(ENGINE_NOT_ACCESSIBLE, what);
    case Error::Multidisk:
        throw EngineError(ENGINE_SPANNED, what);
    case Error::NoMemory:
        throw EngineError(ENGINE_NO_MEMORY, what);
    case Error::DiskFull:
        throw EngineError(ENGINE_DISK_FULL, what);
    case Error::Aborted:
        throw EngineError(ENGINE_ABORTED, what);
    default:
        throw EngineError(ENGINE_BAD_ARCHIVE, what + ": " + zipformat::errorText(e));
    }
}

CentralRecord centralRecordOf(const zipformat::Entry &e) {
    CentralRecord rec;
    rec.name.assign(e.rawName.data(), e.rawName.size());
    rec.madeBy = e.versionMadeBy;
    rec.needed = e.versionNeeded;
    rec.flags = e.flags;
    rec.method = e.method;
    rec.dosTime = e.dosTime;
    rec.crc = e.crc;
    rec.compressedSize = e.compressedSize;
    rec.size = e.uncompressedSize;
    rec.localOffset = e.localHeaderOffset;
    rec.internalAttr = e.internalAttributes;
    rec.externalAttr = e.externalAttributes;
    rec.extra = withoutZip64(std::string(e.extra.data(), e.extra.size()));
    rec.comment.assign(e.comment.data(), e.comment.size());
    return rec;
}

std::unique_ptr<SourceArchive> SourceArchive::open(const std::string &path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return nullptr;
    if (S_ISREG(st.st_mode) && st.st_size == 0)
        return nullptr;
    std::unique_ptr<SourceArchive> src(new SourceArchive);
    const zipformat::Error err = src->archive_.open(path);
    if (err != zipformat::Error::Ok)
        throwFormatError(err, "cannot open " + path);
    const auto &info = src->archive_.info();
    src->comment_.assign(info.comment.data(), info.comment.size());
    src->entries_.reserve(src->archive_.size());
    for (size_t i = 0; i < src->archive_.size(); ++i) {
        const zipformat::Entry &e = src->archive_.entry(i);
        zipformat::EntryLocation loc;
        const zipformat::Error le = src->archive_.locate(i, loc);
        if (le != zipformat::Error::Ok)
            throwFormatError(le, "entry " + std::string(e.name) + " cannot be located");
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
    return src;
}

} // namespace zipwrite
