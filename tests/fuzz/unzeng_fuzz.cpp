// libFuzzer harness for the extracting engine through its C entry point:
// the input is written to a file, then listed ("-v"), tested ("-t") and
// queried (entry count, first entries). Built by build.sh with clang.
#include "engine_contract.h"

#include "fuzz_input.h"

#include <cstddef>
#include <cstdint>
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
    return 0;
}
