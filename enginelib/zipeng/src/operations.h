// The operations of the compressing side. Each returns the operation's
// result code, which the entry point hands back through the C boundary;
// warnings such as ENGINE_SOME_SKIPPED come back the same way.
#pragma once

#include "messenger.h"
#include "options.h"
#include "status.h"

namespace zipwrite {

Status runAdd(const Options &opt, Messenger &messenger);
Status runDelete(const Options &opt, Messenger &messenger);
Status runComment(const Options &opt, Messenger &messenger);
Status runDate(const Options &opt, Messenger &messenger);
Status runFix(const Options &opt, Messenger &messenger);

} // namespace zipwrite
