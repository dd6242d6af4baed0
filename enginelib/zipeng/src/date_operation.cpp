// Setting the archive's date to that of its newest file ("-o").
#include "engine_contract.h"
#include "operations.h"
#include "source_archive.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace zipwrite {

zipformat::Status runDate(const Options &opt, Messenger &msg) {
    std::unique_ptr<SourceArchive> source;
    if (zipformat::Status s = SourceArchive::openExisting(opt.archive, source); s.failed())
        return s;
    bool found = false;
    std::time_t newest = 0;
    for (const auto &e : source->entries()) {
        if (e.isDir)
            continue;
        if (!found || e.mtime > newest)
            newest = e.mtime;
        found = true;
    }
    if (!found)
        return zipformat::Status(ENGINE_NO_DATE);
    if (zipformat::Status s = msg.checkAbort(); s.failed())
        return s;
    struct timespec times[2] = {};
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = newest;
    if (::utimensat(AT_FDCWD, opt.archive.c_str(), times, 0) != 0)
        return zipformat::Status(ENGINE_NOT_ACCESSIBLE);
    return {};
}

} // namespace zipwrite
