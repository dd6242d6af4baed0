// How a command's entries reach the terminal: a line per entry where wanted
// and the progress line, fed by the engine's events.
#pragma once

#include "ZipEngine.h"

namespace cli {

struct Context;

// The handler for the entries the engine names ("testing: name"), flushing
// each line at once when `flushEachLine`; empty when there is nothing to show.
TZipFileStatsEvent entryProgress(Context &c, const char *label, bool flushEachLine);

// The progress line follows the engine's per-entry percentages.
void followPercent(Context &c);

} // namespace cli
