// The operations of the extracting side, one per file.
#pragma once

#include "messenger.h"
#include "options.h"
#include "selection.h"
#include "zipformat/archive.h"

#include <cstdint>

namespace zipread {

std::int32_t runQuery(Session &session, std::int32_t selector, const char *path);
std::int32_t runList(Session &session, const Arguments &args, const zipformat::Archive &archive);
std::int32_t runTest(Session &session, const Arguments &args, const zipformat::Archive &archive);
std::int32_t runExtract(Session &session, const Arguments &args, const zipformat::Archive &archive);
std::int32_t runComment(Session &session, const zipformat::Archive &archive);

// Reports each file element that matched no entry (message 1060, reason
// 0); true when the callback asked to stop meanwhile.
bool reportUnmatched(Session &session, const Selection &selection);

} // namespace zipread
