// Finds the password for each encrypted entry: the one given with the call,
// the last one the callback supplied, or a fresh one asked with message 100
// (again after a wrong answer, at most kQueriesPerEntry times per entry).
#pragma once

#include "messenger.h"
#include "zipformat/archive.h"
#include "zipformat/error.h"
#include "zipformat/wipe.h"

#include <string>

namespace zipread {

class Passwords {
public:
    // Room for the password an application remembers from an earlier call
    // and two tries of the person it asks.
    static constexpr int kQueriesPerEntry = 3;

    Passwords(Messenger &messenger, const std::string &given) : messenger_(messenger) {
        given_ = given;
    }

    // Ok with `out` set (empty for entries that need none), the entry's error
    // (NeedPassword, BadPassword, UnsupportedMethod, ...), or Aborted when the
    // callback asked to stop.
    zipformat::Error resolve(const zipformat::Archive &archive, const zipformat::Entry &entry,
                             zipformat::SecretString &out);

private:
    Messenger &messenger_;
    zipformat::SecretString given_;
    zipformat::SecretString remembered_;
};

} // namespace zipread
