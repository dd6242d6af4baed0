// Replacing the archive comment ("-z").
#include "archive_writer.h"
#include "engine_contract.h"
#include "operations.h"
#include "source_archive.h"

namespace zipwrite {

zipformat::Status runComment(const Options &opt, Messenger &msg) {
    std::unique_ptr<SourceArchive> source;
    if (zipformat::Status s = SourceArchive::openExisting(opt.archive, source); s.failed())
        return s;
    const std::string comment = msg.fetchComment();
    if (zipformat::Status s = msg.checkAbort(); s.failed())
        return s;
    // In grow mode only the directory and the end records are written again,
    // at the same place.
    std::unique_ptr<ArchiveWriter> writer;
    if (zipformat::Status s =
            ArchiveWriter::open(opt.archive, source.get(), opt.grow, opt.tempDir, 0, writer);
        s.failed())
        return s;
    std::vector<CentralRecord> directory;
    directory.reserve(source->entries().size());
    for (std::size_t i = 0; i < source->entries().size(); ++i) {
        CentralRecord rec;
        if (zipformat::Status s = writer->keep(i, msg, rec); s.failed())
            return s;
        directory.push_back(std::move(rec));
    }
    return writer->finish(directory, comment);
}

} // namespace zipwrite
