// The operations of the compressing side. Each returns the operation's
// result code, which the entry point hands back through the C boundary;
// warnings such as ENGINE_SOME_SKIPPED come back the same way.
#pragma once

#include "messenger.h"
#include "options.h"
#include "zipformat/status.h"

namespace zipwrite {

zipformat::Status runAdd(const Options &opt, Messenger &messenger);
zipformat::Status runDelete(const Options &opt, Messenger &messenger);
zipformat::Status runComment(const Options &opt, Messenger &messenger);
zipformat::Status runDate(const Options &opt, Messenger &messenger);
zipformat::Status runFix(const Options &opt, Messenger &messenger);

} // namespace zipwrite
