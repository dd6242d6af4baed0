#include "operations.h"

#include "progress_sink.h"

namespace zipread {

using zipformat::Error;

Status runTest(const Options &opt, Messenger &messenger, EntryCursor &cursor) {
    Selection selection(opt);
    std::size_t tested = 0, failed = 0;
    while (cursor.next()) {
        const zipformat::Entry &e = cursor.entry();
        if (!selection.selects(cursor.index(), e.name))
            continue;
        if (messenger.report(ENGINE_MSG_TESTING, e))
            return Status(ENGINE_ABORTED);
        ++tested;
        DiscardSink sink(messenger, e);
        Error err = cursor.read(sink);
        if (err == Error::Aborted || messenger.stopped())
            return Status(ENGINE_ABORTED);
        if (err == Error::NoMemory)
            return Status(ENGINE_NO_MEMORY);
        if (err != Error::Ok) {
            ++failed;
            if (messenger.skip(e.name, cursor.skipReason(err)))
                return Status(ENGINE_ABORTED);
        }
    }
    if (cursor.error() != Error::Ok)
        return statusOf(cursor.error());
    if (reportUnmatched(messenger, selection))
        return Status(ENGINE_ABORTED);
    if (failed > 0)
        return Status(ENGINE_TEST_FAILED);
    if (selection.hasNames() && !selection.anyMatched())
        return Status(ENGINE_NOTHING_MATCHED);
    if (tested == 0)
        return Status(ENGINE_NOTHING_TESTED);
    return Status(selection.unmatched().empty() ? ENGINE_OK : ENGINE_SOME_SKIPPED);
}

} // namespace zipread
