#include "passwords.h"

#include "zipformat/reader.h"

#include <cstring>

namespace zipread {

using zipformat::Error;

Error Passwords::resolve(const zipformat::Archive &archive, const zipformat::Entry &entry,
                         zipformat::SecretString &out) {
    Error e = zipformat::checkEntry(archive, entry, given_);
    if (e == Error::Ok) {
        out = given_;
        return e;
    }
    if (e != Error::NeedPassword && e != Error::BadPassword)
        return e;
    if (!remembered_.empty() && remembered_ != given_ &&
        zipformat::checkEntry(archive, entry, remembered_) == Error::Ok) {
        out = remembered_;
        return Error::Ok;
    }
    std::string name(entry.name);
    // A person mistypes: after a password that does not open the entry the
    // question comes again, a bounded number of times, so that a callback
    // that always gives the same wrong answer cannot hold the call forever.
    Error result = e;
    for (int asked = 0; asked < kQueriesPerEntry; ++asked) {
        char buffer[ENGINE_PASSWORD_CAPACITY];
        std::memset(buffer, 0, sizeof buffer);
        EnginePasswordQuery q{};
        q.FileName = name.c_str();
        q.Password = buffer;
        q.Reply = 0;
        const bool stopped = messenger_.send(ENGINE_MSG_PASSWORD, &q) != 0;
        buffer[ENGINE_PASSWORD_CAPACITY - 1] = '\0'; // whatever the callback wrote
        zipformat::SecretString typed;
        typed = buffer;
        zipformat::wipe(buffer, sizeof buffer);
        if (stopped)
            return Error::Aborted;
        if (q.Reply == 0 || typed.empty())
            return result;
        result = zipformat::checkEntry(archive, entry, typed);
        if (result == Error::Ok) {
            remembered_ = typed;
            out = typed;
            return Error::Ok;
        }
        if (result != Error::BadPassword)
            return result;
    }
    return result;
}

} // namespace zipread
