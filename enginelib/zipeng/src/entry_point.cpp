// The library's only exported symbol. Failures come back from the
// operations as result codes; only an allocation (or a library call) can
// still raise a C++ exception, and none leaves this function.
#include "engine_contract.h"
#include "messenger.h"
#include "operations.h"
#include "options.h"
#include "zipformat/wipe.h"

#include <new>

namespace {

std::int32_t dispatch(std::int32_t argc, char **argv, EngineCallback cb, void *user) {
    using namespace zipwrite;
    // The query form belongs to the extracting side.
    if (argc < 2)
        return ENGINE_BAD_ARGUMENTS;
    Options opt;
    if (zipformat::Status s = parseOptions(argc, argv, opt); s.failed())
        return s.code();
    Messenger messenger(cb, user);
    switch (opt.operation) {
    case Operation::Add:
        return runAdd(opt, messenger).code();
    case Operation::Delete:
        return runDelete(opt, messenger).code();
    case Operation::Comment:
        return runComment(opt, messenger).code();
    case Operation::Date:
        return runDate(opt, messenger).code();
    case Operation::Fix:
        return runFix(opt, messenger).code();
    }
    return ENGINE_BAD_ARGUMENTS;
}

} // namespace

extern "C" __attribute__((visibility("default"))) std::int32_t
zipeng(std::int32_t magic, std::int32_t argc, char **argv, EngineCallback cb, void *user) {
    if (magic != ENGINE_MAGIC)
        return ENGINE_BAD_ARGUMENTS;
    // Whatever keys the operation derived go with it, however it ends.
    struct ForgetKeys {
        ~ForgetKeys() { zipformat::forgetDerivedKeys(); }
    } const forget;
    try {
        return dispatch(argc, argv, cb, user) & 0xFFFF;
    } catch (const std::bad_alloc &) {
        return ENGINE_NO_MEMORY;
    } catch (...) {
        // Anything unforeseen: the old archive is safe (every writer rolls
        // back in its destructor); report a general failure.
        return zipformat::kUnexpectedFailure;
    }
}
