#include "operations.h"

#include "progress_sink.h"
#include "zipformat/reader.h"

namespace zipread {

using zipformat::Error;

namespace {

// Testing ahead: the data is checked and dropped.
class CheckJob final : public AheadJob {
public:
    bool run(const zipformat::Archive &archive, const zipformat::Entry &entry,
             AheadResult &result) noexcept override {
        RecordingSink sink(entry, result, -1);
        result.error = zipformat::readEntry(archive, entry, sink);
        return true;
    }
};

} // namespace

zipformat::Status runTest(const Options &opt, Messenger &messenger, EntryCursor &cursor) {
    Selection selection(opt);
    CheckJob job;
    cursor.readAhead(
        [&selection](std::size_t index, const zipformat::Entry &e) {
            return selection.selects(index, e.name);
        },
        job);
    const AheadScope scope(cursor);
    std::size_t tested = 0, failed = 0;
    while (nextSelected(cursor, selection)) {
        const zipformat::Entry &e = cursor.entry();
        if (messenger.report(ENGINE_MSG_TESTING, e))
            return zipformat::Status(ENGINE_ABORTED);
        ++tested;
        Error err;
        if (const AheadResult *done = cursor.ahead()) {
            err = replayProgress(messenger, e, *done);
        } else {
            DiscardSink sink(messenger, e);
            err = cursor.read(sink);
        }
        if (err == Error::Aborted || messenger.stopped())
            return zipformat::Status(ENGINE_ABORTED);
        if (err == Error::NoMemory)
            return zipformat::Status(ENGINE_NO_MEMORY);
        if (err != Error::Ok) {
            ++failed;
            if (messenger.skip(e.name, cursor.skipReason(err)))
                return zipformat::Status(ENGINE_ABORTED);
        }
    }
    if (cursor.error() != Error::Ok)
        return zipformat::statusOf(cursor.error());
    if (reportUnmatched(messenger, selection))
        return zipformat::Status(ENGINE_ABORTED);
    if (failed > 0)
        return zipformat::Status(ENGINE_TEST_FAILED);
    if (selection.hasNames() && !selection.anyMatched())
        return zipformat::Status(ENGINE_NOTHING_MATCHED);
    if (tested == 0)
        return zipformat::Status(ENGINE_NOTHING_TESTED);
    return zipformat::Status(selection.unmatched().empty() ? ENGINE_OK : ENGINE_SOME_SKIPPED);
}

} // namespace zipread
