// The operations of the compressing side. Each returns a result code or
// throws EngineError; the entry point turns both into the C result.
#pragma once

#include "messenger.h"
#include "options.h"

namespace zipwrite {

int runAdd(const Options &opt, Messenger &messenger);
int runDelete(const Options &opt, Messenger &messenger);
int runComment(const Options &opt, Messenger &messenger);
int runDate(const Options &opt, Messenger &messenger);
int runFix(const Options &opt, Messenger &messenger);

} // namespace zipwrite
