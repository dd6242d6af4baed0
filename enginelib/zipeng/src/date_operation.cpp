// Setting the archive's date to that of its newest file ("-o").
#include "engine_error.h"
#include "operations.h"
#include "source_archive.h"
#include "engine_contract.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace zipwrite {

int runDate(const Options &opt, Messenger &msg) {
    std::unique_ptr<SourceArchive> source = SourceArchive::open(opt.archive);
    if (!source)
        return ENGINE_ARCHIVE_NOT_FOUND;
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
        return ENGINE_NO_DATE;
    msg.checkAbort();
    struct timespec times[2] = {};
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = newest;
    if (::utimensat(AT_FDCWD, opt.archive.c_str(), times, 0) != 0)
        return ENGINE_NOT_ACCESSIBLE;
    return ENGINE_OK;
}

} // namespace zipwrite
