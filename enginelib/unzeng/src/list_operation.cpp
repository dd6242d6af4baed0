#include "operations.h"

namespace zipread {

bool reportUnmatched(Messenger &messenger, const Selection &selection) {
    for (const std::string &name : selection.unmatched()) {
        if (messenger.skip(name, ENGINE_SKIP_NOT_FOUND))
            return true;
    }
    return messenger.stopped();
}

Status runList(const Options &opt, Messenger &messenger, const zipformat::Archive &archive) {
    Selection selection(opt);
    for (std::size_t i = 0; i < archive.size(); ++i) {
        const zipformat::Entry &e = archive.entry(i);
        if (!selection.selects(i, e.name))
            continue;
        if (messenger.report(ENGINE_MSG_LISTING, e))
            return Status(ENGINE_ABORTED);
    }
    if (reportUnmatched(messenger, selection))
        return Status(ENGINE_ABORTED);
    if (selection.hasNames() && !selection.anyMatched())
        return Status(ENGINE_NOTHING_MATCHED);
    return Status(selection.unmatched().empty() ? ENGINE_OK : ENGINE_SOME_SKIPPED);
}

} // namespace zipread
