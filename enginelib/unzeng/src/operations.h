// The operations of the extracting side, one per file.
#pragma once

#include "messenger.h"
#include "options.h"
#include "selection.h"
#include "zipformat/archive.h"

#include <cstdint>

namespace zipread {

Status runQuery(Messenger &messenger, std::int32_t selector, const char *path);
Status runList(const Options &opt, Messenger &messenger, const zipformat::Archive &archive);
Status runTest(const Options &opt, Messenger &messenger, const zipformat::Archive &archive);
Status runExtract(const Options &opt, Messenger &messenger, const zipformat::Archive &archive);
Status runComment(Messenger &messenger, const zipformat::Archive &archive);

// Reports each file element that matched no entry (message 1060, reason
// 0); true when the callback asked to stop meanwhile.
bool reportUnmatched(Messenger &messenger, const Selection &selection);

} // namespace zipread
