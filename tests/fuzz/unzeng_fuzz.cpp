// libFuzzer harness for the extracting engine through its C entry point:
// the input is written to a file, then listed ("-v"), tested ("-t") and
// queried (entry count, first entries); then cut in two as the pieces of a
// multi-disk set (set.z01, set.zip) and listed and tested with "-!". Built
// by build.sh with clang.
#include "engine_contract.h"

#include "fuzz_input.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Calls {
    std::uint64_t messages = 0;
};

// Answers 0 to everything (no password, no replacing).
std::int32_t callback(std::int32_t, void *, void *user) {
    auto *calls = static_cast<Calls *>(user);
    ++calls->messages;
    // Ask the engine to stop once it has said a great deal.
    return calls->messages > 200000 ? 1 : 0;
}

std::int32_t run(std::vector<std::string> elements) {
    std::vector<char *> argv;
    for (auto &s : elements)
        argv.push_back(s.data());
    Calls calls;
    return unzeng(ENGINE_MAGIC, static_cast<std::int32_t>(argv.size()), argv.data(), &callback,
                  &calls);
}

std::int32_t query(std::int32_t selector, std::string path) {
    char *argv[2] = {reinterpret_cast<char *>(&selector), path.data()};
    Calls calls;
    return unzeng(ENGINE_MAGIC, 1, argv, &callback, &calls);
}

bool writeAll(const std::string &path, const std::uint8_t *data, std::size_t size) {
    FILE *f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        return false;
    const bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

// The input as a set of two pieces, cut where its first byte says.
void runAsSet(const std::uint8_t *data, std::size_t size) {
    static const std::string folder = [] {
        char tmpl[] = "/tmp/unzeng-fuzz-set-XXXXXX";
        const char *made = mkdtemp(tmpl);
        return std::string(made != nullptr ? made : "");
    }();
    if (folder.empty() || size < 2)
        return;
    const std::size_t cut = 1 + (size - 1) * data[0] / 256;
    if (!writeAll(folder + "/set.z01", data + 1, cut - 1) ||
        !writeAll(folder + "/set.zip", data + cut, size - cut))
        return;
    run({"", "-v", "-!", folder + "/set.zip"});
    run({"x", "-!", "-t", folder + "/set.z01"});
    query(ENGINE_QUERY_COUNT_MULTIDISK, folder + "/set.zip");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const auto input = FuzzInputPath(data, size);
    if (!input)
        return 0;
    const std::string &path = *input;

    run({"", "-v", path});
    run({"x", "-t", path});
    query(ENGINE_QUERY_COUNT, path);
    query(ENGINE_QUERY_COUNT_MULTIDISK, path);
    for (std::int32_t k = 1; k <= 3; ++k)
        query(k, path);
    runAsSet(data, size);
    return 0;
}
