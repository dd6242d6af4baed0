// The exported entry point: everything behind it is C++, nothing of it
// (exceptions included) crosses back to the caller.
#include "messenger.h"
#include "operations.h"
#include "options.h"
#include "results.h"

#include <new>

namespace {

std::int32_t dispatch(std::int32_t magic, std::int32_t argc, char **argv, EngineCallback cb,
                      void *user) {
    if (magic != ENGINE_MAGIC)
        return ENGINE_BAD_ARGUMENTS;
    zipread::Session session(cb, user);
    if (argc == 1) {
        if (argv == nullptr || argv[0] == nullptr)
            return ENGINE_BAD_ARGUMENTS;
        std::int32_t selector = *reinterpret_cast<const std::int32_t *>(argv[0]);
        return zipread::runQuery(session, selector, argv[1]);
    }
    zipread::Arguments args;
    std::int32_t rc = zipread::parseArguments(argc, argv, args);
    if (rc != ENGINE_OK)
        return rc;
    zipformat::Archive archive;
    zipformat::OpenOptions options;
    options.allowMultidisk = args.multidisk;
    if (args.multidisk)
        options.askForPiece = [&session](std::uint32_t disk) { return session.askForDisk(disk); };
    zipformat::Error e = archive.open(args.archive, options);
    if (e != zipformat::Error::Ok)
        return session.stopped() ? ENGINE_ABORTED : zipread::openResult(e);
    switch (args.op) {
    case zipread::Operation::List:
        return zipread::runList(session, args, archive);
    case zipread::Operation::Test:
        return zipread::runTest(session, args, archive);
    case zipread::Operation::Comment:
        return zipread::runComment(session, archive);
    case zipread::Operation::Extract:
        return zipread::runExtract(session, args, archive);
    }
    return ENGINE_BAD_ARGUMENTS;
}

} // namespace

extern "C" __attribute__((visibility("default"))) int32_t
unzeng(int32_t magic, int32_t argc, char **argv, EngineCallback cb, void *user) {
    try {
        return dispatch(magic, argc, argv, cb, user);
    } catch (const std::bad_alloc &) {
        return ENGINE_NO_MEMORY;
    } catch (...) {
        return ENGINE_BAD_ARCHIVE;
    }
}
