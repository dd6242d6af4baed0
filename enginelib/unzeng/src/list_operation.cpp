#include "operations.h"

namespace zipread {

bool nextSelected(EntryCursor &cursor, Selection &selection) {
    while (cursor.next()) {
        if (selection.selects(cursor.index(), cursor.entry().name))
            return true;
    }
    return false;
}

bool reportUnmatched(Messenger &messenger, const Selection &selection) {
    for (const std::string &name : selection.unmatched()) {
        if (messenger.skip(name, ENGINE_SKIP_NOT_FOUND))
            return true;
    }
    return messenger.stopped();
}

zipformat::Status runList(const Options &opt, Messenger &messenger, EntryCursor &cursor) {
    Selection selection(opt);
    while (nextSelected(cursor, selection)) {
        const zipformat::Entry &e = cursor.entry();
        if (messenger.report(ENGINE_MSG_LISTING, e))
            return zipformat::Status(ENGINE_ABORTED);
    }
    if (cursor.error() != zipformat::Error::Ok)
        return zipformat::statusOf(cursor.error());
    if (reportUnmatched(messenger, selection))
        return zipformat::Status(ENGINE_ABORTED);
    if (selection.hasNames() && !selection.anyMatched())
        return zipformat::Status(ENGINE_NOTHING_MATCHED);
    return zipformat::Status(selection.unmatched().empty() ? ENGINE_OK : ENGINE_SOME_SKIPPED);
}

} // namespace zipread
