#include "operations.h"

namespace zipread {

bool reportUnmatched(Session &session, const Selection &selection) {
    for (const std::string &name : selection.unmatched()) {
        if (session.skip(name, ENGINE_SKIP_NOT_FOUND))
            return true;
    }
    return session.stopped();
}

std::int32_t runList(Session &session, const Arguments &args, const zipformat::Archive &archive) {
    Selection selection(args.names, args.excludes);
    for (const zipformat::Entry &e : archive.entries()) {
        if (!selection.selects(e.name))
            continue;
        if (session.report(ENGINE_MSG_LISTING, e))
            return ENGINE_ABORTED;
    }
    if (reportUnmatched(session, selection))
        return ENGINE_ABORTED;
    if (selection.hasNames() && !selection.anyMatched())
        return ENGINE_NOTHING_MATCHED;
    return selection.unmatched().empty() ? ENGINE_OK : ENGINE_SOME_SKIPPED;
}

std::int32_t runComment(Session &session, const zipformat::Archive &archive) {
    std::string text;
    commentText(archive.info().comment, text);
    EngineArchiveComment c{};
    c.Text = text.c_str();
    c.Length = static_cast<std::uint16_t>(std::min<std::size_t>(text.size(), 0xffff));
    return session.send(ENGINE_MSG_ARCHIVE_COMMENT, &c) ? ENGINE_ABORTED : ENGINE_OK;
}

} // namespace zipread
