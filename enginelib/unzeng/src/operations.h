// The operations of the extracting side, one per file.
#pragma once

#include "entry_cursor.h"
#include "messenger.h"
#include "options.h"
#include "selection.h"
#include "zipformat/archive.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace zipread {

zipformat::Status runQuery(Messenger &messenger, std::int32_t selector, const char *path);
zipformat::Status runList(const Options &opt, Messenger &messenger, EntryCursor &cursor);
zipformat::Status runTest(const Options &opt, Messenger &messenger, EntryCursor &cursor);
// `isSet`: the archive is a multi-disk set, whose earlier pieces are kept
// from being replaced too.
zipformat::Status runExtract(const Options &opt, Messenger &messenger, EntryCursor &cursor,
                             bool isSet);
// Message 130 with the archive comment as stored.
zipformat::Status runComment(Messenger &messenger, std::string_view rawComment);

// The operation of `opt` on an archive of another format than ZIP.
zipformat::Status runOther(const Options &opt, Messenger &messenger);
// Message 150 with the format's name; true when the callback asked to stop.
bool reportReadOnly(Messenger &messenger, const std::string &type);
// The result for a file that neither reading opens: a damaged ZIP archive
// or no archive at all.
zipformat::Status unreadable(const std::string &path);

// Moves the cursor to the next entry the selection takes; false at the end
// of the walk, as EntryCursor::next().
bool nextSelected(EntryCursor &cursor, Selection &selection);

// Reports each file element that matched no entry (message 1060, reason
// 0); true when the callback asked to stop meanwhile.
bool reportUnmatched(Messenger &messenger, const Selection &selection);

} // namespace zipread
