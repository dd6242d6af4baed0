// The exported entry point: everything behind it is C++, nothing of it
// (exceptions included) crosses back to the caller.
#include "messenger.h"
#include "operations.h"
#include "options.h"
#include "query_cache.h"
#include "zipformat/wipe.h"

#include <new>

namespace {

std::int32_t dispatch(std::int32_t magic, std::int32_t argc, char **argv, EngineCallback cb,
                      void *user) {
    if (magic != ENGINE_MAGIC)
        return ENGINE_BAD_ARGUMENTS;
    zipread::Messenger messenger(cb, user);
    if (argc == 1) {
        if (argv == nullptr || argv[0] == nullptr)
            return ENGINE_BAD_ARGUMENTS;
        std::int32_t selector = *reinterpret_cast<const std::int32_t *>(argv[0]);
        return zipread::runQuery(messenger, selector, argv[1]).code();
    }
    zipread::Options opt;
    if (zipformat::Status s = zipread::parseOptions(argc, argv, opt); s.failed())
        return s.code();
    zipformat::Archive archive;
    zipformat::OpenOptions options;
    // The operations walk the entries once, in order: the directory need
    // not be held.
    options.streamEntries = true;
    options.allowMultidisk = opt.multidisk;
    if (opt.multidisk)
        options.askForPiece = [&messenger](std::uint32_t disk) {
            return messenger.askForDisk(disk);
        };
    zipformat::Error e = zipread::openForWalk(opt.archive, options, archive);
    if (e == zipformat::Error::NotZip && !messenger.stopped())
        return zipread::runOther(opt, messenger).code();
    if (e != zipformat::Error::Ok)
        return messenger.stopped() ? ENGINE_ABORTED : zipformat::statusOf(e).code();
    zipread::ZipCursor cursor(messenger, archive, opt.password);
    switch (opt.operation) {
    case zipread::Operation::List:
        return zipread::runList(opt, messenger, cursor).code();
    case zipread::Operation::Test:
        return zipread::runTest(opt, messenger, cursor).code();
    case zipread::Operation::Comment:
        return zipread::runComment(messenger, archive.info().comment).code();
    case zipread::Operation::Extract:
        return zipread::runExtract(opt, messenger, cursor, archive.source().isSet()).code();
    }
    return ENGINE_BAD_ARGUMENTS;
}

} // namespace

extern "C" __attribute__((visibility("default"))) std::int32_t
unzeng(std::int32_t magic, std::int32_t argc, char **argv, EngineCallback cb, void *user) {
    // Whatever keys the operation derived go with it, however it ends.
    struct ForgetKeys {
        ~ForgetKeys() { zipformat::forgetDerivedKeys(); }
    } const forget;
    try {
        return dispatch(magic, argc, argv, cb, user);
    } catch (const std::bad_alloc &) {
        return ENGINE_NO_MEMORY;
    } catch (...) {
        return zipformat::kUnexpectedFailure;
    }
}
