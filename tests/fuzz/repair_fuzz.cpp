// libFuzzer harness for the compressing side's repair: "-F" and "-FF" read
// damaged archives, so they are input parsers too. The input is copied to a
// file, repaired in place, and the result listed and tested through the
// extracting side: a repair that reports success (0, or 40 with entries
// left out) must leave an archive that opens, and whose entries fail, if at
// all, only for a method or password we do not have; a repair that fails
// must leave the file as it was. Built by build.sh with clang.
#include "engine_contract.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct Seen {
    std::uint64_t messages = 0;
    std::uint64_t listedBytes = 0;
    bool badSkip = false;
};

std::int32_t callback(std::int32_t code, void *data, void *user) {
    auto *seen = static_cast<Seen *>(user);
    ++seen->messages;
    if (code == ENGINE_MSG_LISTING) {
        const auto *r = static_cast<EngineFileRecord *>(data);
        seen->listedBytes += static_cast<std::uint32_t>(r->Size) +
                             (std::uint64_t{static_cast<std::uint32_t>(r->EngineValue1)} << 32);
    }
    if (code == ENGINE_MSG_SKIPPING) {
        const auto *r = static_cast<EngineSkipReport *>(data);
        if (r->Reason != ENGINE_SKIP_UNKNOWN_METHOD && r->Reason != ENGINE_SKIP_PASSWORD)
            seen->badSkip = true;
    }
    return seen->messages > 200000 ? 1 : 0;
}

std::int32_t call(bool zip, std::vector<std::string> elements, Seen &seen) {
    std::vector<char *> argv;
    for (auto &s : elements)
        argv.push_back(s.data());
    const auto n = static_cast<std::int32_t>(argv.size());
    return zip ? zipeng(ENGINE_MAGIC, n, argv.data(), &callback, &seen)
               : unzeng(ENGINE_MAGIC, n, argv.data(), &callback, &seen);
}

const std::string &folder() {
    // Every run writes and syncs the archive: a tmpfs TMPDIR spares the disk.
    static const std::string dir = [] {
        const char *tmp = std::getenv("TMPDIR");
        std::string t = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") +
                        "/tarnwick-repair-fuzz-XXXXXX";
        if (mkdtemp(t.data()) == nullptr)
            std::abort();
        return t;
    }();
    return dir;
}

bool unchanged(const std::string &path, const std::uint8_t *data, std::size_t size) {
    FILE *f = std::fopen(path.c_str(), "rb");
    if (f == nullptr)
        return false;
    std::vector<std::uint8_t> now(size + 1);
    const std::size_t n = std::fread(now.data(), 1, now.size(), f);
    std::fclose(f);
    return n == size && std::equal(now.begin(), now.begin() + static_cast<std::ptrdiff_t>(n), data);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string path = folder() + "/a.zip";
    for (const char *mode : {"-F", "-FF"}) {
        FILE *f = std::fopen(path.c_str(), "wb");
        if (f == nullptr || std::fwrite(data, 1, size, f) != size || std::fclose(f) != 0)
            std::abort();
        Seen fixing;
        const std::int32_t fixed = call(true, {"x", mode, path}, fixing) & 0xffff;
        if (fixed != ENGINE_OK && fixed != ENGINE_SOME_SKIPPED) {
            if (!unchanged(path, data, size)) {
                std::fprintf(stderr, "repair %s failed with %d and changed the file\n", mode,
                             fixed);
                __builtin_trap();
            }
            continue;
        }
        Seen listing;
        const std::int32_t listed = call(false, {"x", "-v", path}, listing) & 0xffff;
        // A repaired bomb holds gigabytes of valid entries; testing them
        // all costs time and finds nothing new.
        if (listing.listedBytes > (std::uint64_t{64} << 20)) {
            if (listed != ENGINE_OK)
                __builtin_trap();
            continue;
        }
        Seen testing;
        const std::int32_t tested = call(false, {"x", "-t", path}, testing) & 0xffff;
        if (listed != ENGINE_OK || testing.badSkip ||
            (tested != ENGINE_OK && tested != ENGINE_TEST_FAILED &&
             tested != ENGINE_NOTHING_TESTED)) {
            std::fprintf(stderr, "repair %s succeeded, then list %d, test %d\n", mode, listed,
                         tested);
            __builtin_trap();
        }
    }
    return 0;
}
