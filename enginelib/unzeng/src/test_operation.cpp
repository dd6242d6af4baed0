#include "operations.h"

#include "passwords.h"
#include "progress_sink.h"
#include "results.h"
#include "zipformat/aes.h"

namespace zipread {

using zipformat::Error;

Status runTest(const Options &opt, Messenger &messenger, const zipformat::Archive &archive) {
    Selection selection(opt);
    Passwords passwords(messenger, opt.password);
    std::size_t tested = 0, failed = 0;
    for (std::size_t i = 0; i < archive.size(); ++i) {
        const zipformat::Entry &e = archive.entry(i);
        if (!selection.selects(i, e.name))
            continue;
        if (messenger.report(ENGINE_MSG_TESTING, e))
            return Status(ENGINE_ABORTED);
        ++tested;
        std::string password;
        Error err = passwords.resolve(archive, i, password);
        if (err == Error::Ok) {
            DiscardSink sink(messenger, e);
            zipformat::ReadOptions options;
            options.password = password;
            err = zipformat::readEntry(archive, i, sink, options);
        }
        if (err == Error::Aborted || messenger.stopped())
            return Status(ENGINE_ABORTED);
        if (err == Error::NoMemory)
            return Status(ENGINE_NO_MEMORY);
        if (err != Error::Ok) {
            ++failed;
            if (messenger.skip(e.name, skipReason(err, e.isEncrypted() && !zipformat::isAes(e))))
                return Status(ENGINE_ABORTED);
        }
    }
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
