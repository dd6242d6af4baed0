// The query form asks about one entry per call, and a window that wants
// every entry's statistics makes one call per entry. Reading the whole
// directory for each of them costs O(entries) per call, so the last
// directory read for a query is kept for as long as the file stays the same
// file with the same size and times.
#pragma once

#include "zipformat/archive.h"
#include "zipformat/error.h"

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace zipread {

// The archive at `path` with its directory parsed, from the kept copy when
// the file is unchanged. Shared, because the callback of a running query
// may itself query (it pumps window messages) and replace the kept copy.
// Only a single file is kept: the pieces of a multi-disk set are read
// afresh each time. With options.streamEntries a kept copy still serves,
// and a fresh read keeps no entries, only what openForWalk needs.
zipformat::Error queryArchive(const std::string &path, const zipformat::OpenOptions &options,
                              std::shared_ptr<const zipformat::Archive> &out);

// Opens `path` for an operation that walks its entries (options has
// streamEntries): from the directory a count query checked, when the file
// is still the one counted, so that a count followed by a listing reads
// the directory once for both; otherwise as Archive::open does.
zipformat::Error openForWalk(const std::string &path, const zipformat::OpenOptions &options,
                             zipformat::Archive &out);

// The entries of an archive of another format, read front to back once.
struct OtherListing {
    std::string type; // as message 150 names it
    std::deque<std::string> names;
    std::vector<zipformat::Entry> entries;
};

// The same for an archive of another format: NotZip when it is none.
zipformat::Error queryOther(const std::string &path, std::shared_ptr<const OtherListing> &out);

// Forgets the kept copy (tests; a process that wants its memory back).
void forgetQueryArchive() noexcept;

} // namespace zipread
