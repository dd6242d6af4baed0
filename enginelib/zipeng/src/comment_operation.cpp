// Replacing the archive comment ("-z").
#include "archive_writer.h"
#include "engine_error.h"
#include "operations.h"
#include "source_archive.h"
#include "engine_contract.h"

namespace zipwrite {

int runComment(const Options &opt, Messenger &msg) {
    std::unique_ptr<SourceArchive> source = SourceArchive::open(opt.archive);
    if (!source)
        return ENGINE_ARCHIVE_NOT_FOUND;
    const std::string comment = msg.fetchComment();
    msg.checkAbort();
    // In grow mode only the directory and the end records are written again,
    // at the same place.
    ArchiveWriter writer(opt.archive, source.get(), opt.grow, opt.tempDir);
    std::vector<CentralRecord> directory;
    directory.reserve(source->entries().size());
    for (size_t i = 0; i < source->entries().size(); ++i)
        directory.push_back(writer.keep(i, msg));
    writer.finish(directory, comment);
    return ENGINE_OK;
}

} // namespace zipwrite
