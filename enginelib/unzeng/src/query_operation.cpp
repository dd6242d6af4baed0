#include "operations.h"

#include "query_cache.h"
#include "results.h"

#include <limits>

namespace zipread {
namespace {

zipformat::Status sendCount(Messenger &messenger, std::uint64_t entries) {
    auto count = static_cast<std::int32_t>(std::min<std::uint64_t>(
        entries, static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())));
    return zipformat::Status(messenger.send(ENGINE_MSG_COUNT, &count) ? ENGINE_ABORTED : ENGINE_OK);
}

zipformat::Status queryOtherArchive(Messenger &messenger, std::int32_t selector,
                                    const std::string &path) {
    std::shared_ptr<const OtherListing> listing;
    const zipformat::Error e = queryOther(path, listing);
    if (e == zipformat::Error::NotZip)
        return unreadable(path);
    if (e != zipformat::Error::Ok)
        return zipformat::statusOf(e);
    if (selector == ENGINE_QUERY_COUNT || selector == ENGINE_QUERY_COUNT_MULTIDISK) {
        if (reportReadOnly(messenger, listing->type))
            return zipformat::Status(ENGINE_ABORTED);
        return sendCount(messenger, listing->entries.size());
    }
    const auto index = static_cast<std::size_t>(selector) - 1;
    if (index >= listing->entries.size())
        return zipformat::Status(ENGINE_NOTHING_MATCHED);
    return zipformat::Status(
        messenger.report(ENGINE_MSG_ENTRY, listing->entries[index]) ? ENGINE_ABORTED : ENGINE_OK);
}

} // namespace

zipformat::Status runQuery(Messenger &messenger, std::int32_t selector, const char *path) {
    if (selector < 0 || path == nullptr)
        return zipformat::Status(ENGINE_BAD_ARGUMENTS);
    // Only the plain count refuses a piece of a multi-disk set; the count in
    // multidisk mode and the entry queries take the archive as it is.
    zipformat::OpenOptions options;
    options.allowMultidisk = selector != ENGINE_QUERY_COUNT;
    if (options.allowMultidisk)
        options.askForPiece = [&messenger](std::uint32_t disk) {
            return messenger.askForDisk(disk);
        };
    options.countOnly = selector == ENGINE_QUERY_COUNT_MULTIDISK;
    // A count alone is answered from a directory walked, not held: it
    // comes before a listing, which walks it again.
    options.streamEntries = selector == ENGINE_QUERY_COUNT;
    std::shared_ptr<const zipformat::Archive> kept;
    zipformat::Error e = queryArchive(path, options, kept);
    if (e == zipformat::Error::NotZip && !messenger.stopped())
        return queryOtherArchive(messenger, selector, path);
    if (e != zipformat::Error::Ok)
        return messenger.stopped() ? zipformat::Status(ENGINE_ABORTED) : zipformat::statusOf(e);
    const zipformat::Archive &archive = *kept;
    if (selector == ENGINE_QUERY_COUNT || selector == ENGINE_QUERY_COUNT_MULTIDISK) {
        // A set counted from its end record has no entries read.
        return sendCount(messenger, options.countOnly ? archive.info().entryCount : archive.size());
    }
    auto index = static_cast<std::size_t>(selector) - 1;
    if (index >= archive.size())
        return zipformat::Status(ENGINE_NOTHING_MATCHED);
    return zipformat::Status(
        messenger.report(ENGINE_MSG_ENTRY, archive.entry(index)) ? ENGINE_ABORTED : ENGINE_OK);
}

} // namespace zipread
