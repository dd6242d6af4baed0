// libFuzzer harness for the reading of other formats than ZIP (tar and its
// compressions, 7-Zip, RAR, ISO 9660, cpio) through the extracting engine's
// C entry point: the input is listed, tested, queried and extracted into a
// fresh folder, after which nothing may lie beside that folder. build.sh
// seeds it with a small archive of each format.
#include "engine_contract.h"

#include "fuzz_input.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <ftw.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::int32_t callback(std::int32_t code, void *data, void *user) {
    auto *messages = static_cast<std::uint64_t *>(user);
    // Replace whatever is there: the overwrite path is walked too.
    if (code == ENGINE_MSG_REPLACE)
        static_cast<EngineReplaceQuery *>(data)->DoReplace = 1;
    return ++*messages > 200000 ? 1 : 0;
}

void run(std::vector<std::string> elements) {
    std::vector<char *> argv;
    for (auto &s : elements)
        argv.push_back(s.data());
    std::uint64_t messages = 0;
    unzeng(ENGINE_MAGIC, static_cast<std::int32_t>(argv.size()), argv.data(), &callback, &messages);
}

void query(std::int32_t selector, std::string path) {
    char *argv[2] = {reinterpret_cast<char *>(&selector), path.data()};
    std::uint64_t messages = 0;
    unzeng(ENGINE_MAGIC, 1, argv, &callback, &messages);
}

int removeOne(const char *path, const struct stat *, int, struct FTW *) {
    return ::remove(path);
}

// The folder the extraction goes into lies alone in a folder of its own.
const std::string &sandbox() {
    static const std::string folder = [] {
        std::string tmpl = (getenv("TMPDIR") != nullptr ? std::string(getenv("TMPDIR")) : "/tmp") +
                           "/other-fuzz-XXXXXX";
        const char *made = mkdtemp(tmpl.data());
        return std::string(made != nullptr ? made : "");
    }();
    return folder;
}

void expectAlone(const std::string &folder) {
    DIR *dir = opendir(folder.c_str());
    if (dir == nullptr)
        return;
    while (const dirent *e = readdir(dir)) {
        const std::string name = e->d_name;
        if (name != "." && name != ".." && name != "target") {
            std::fprintf(stderr, "extraction wrote %s outside its folder\n", name.c_str());
            std::abort();
        }
    }
    closedir(dir);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const auto input = FuzzInputPath(data, size);
    if (!input || sandbox().empty())
        return 0;
    const std::string &path = *input;
    run({"", "-v", path});
    run({"", "-t", path});
    query(ENGINE_QUERY_COUNT, path);
    query(2, path);
    const std::string target = sandbox() + "/target";
    run({"", "-o", path, "-d", target});
    run({"", "-o", path, "-d", target});
    expectAlone(sandbox());
    nftw(target.c_str(), removeOne, 16, FTW_DEPTH | FTW_PHYS);
    return 0;
}
