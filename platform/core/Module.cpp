#include "platform/Module.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <mutex>
#include <optional>

namespace platform {

namespace {

std::mutex searchMutex;
std::optional<std::vector<std::string>> searchFolders; // unset: the defaults

std::vector<std::string> DefaultSearchFolders() {
    const std::string program = ProgramFolder();
    if (program.empty())
        return {};
    // An installed program keeps its engines in the private library folder,
    // since shared objects do not belong under share/ on Linux.
    return {program, program + "/../lib/tarnwick", program + "/../share/tarnwick"};
}

bool IsRegularFile(const std::string &path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool EndsWithNoCase(const std::string &text, const std::string &suffix) {
    if (text.size() < suffix.size())
        return false;
    for (std::size_t i = 0; i < suffix.size(); ++i) {
        const auto a = static_cast<unsigned char>(text[text.size() - suffix.size() + i]);
        const auto b = static_cast<unsigned char>(suffix[i]);
        if (std::tolower(a) != std::tolower(b))
            return false;
    }
    return true;
}

ModuleHandle Open(const std::string &file) {
    // RTLD_LOCAL keeps the two engines' symbols apart; RTLD_NOW makes a
    // library with unresolved symbols fail here, not in the middle of a call.
    return ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
}

} // namespace

std::string ModuleFileName(const std::string &moduleName) {
    std::string base = moduleName;
    if (EndsWithNoCase(base, ".dll"))
        base.resize(base.size() - 4);
    for (char &c : base)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return "lib" + base + ".so";
}

std::string ProgramFolder() {
    std::string buffer(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size())
        return {};
    buffer.resize(static_cast<std::size_t>(length));
    const auto slash = buffer.rfind('/');
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? std::string("/") : buffer.substr(0, slash);
}

void SetModuleSearchFolders(std::vector<std::string> folders) {
    const std::lock_guard lock(searchMutex);
    searchFolders = std::move(folders);
}

std::vector<std::string> ModuleSearchFolders() {
    {
        const std::lock_guard lock(searchMutex);
        if (searchFolders)
            return *searchFolders;
    }
    return DefaultSearchFolders();
}

void ResetModuleSearchFolders() {
    const std::lock_guard lock(searchMutex);
    searchFolders.reset();
}

ModuleHandle LoadLibraryA(const char *moduleName) {
    if (moduleName == nullptr || *moduleName == '\0')
        return nullptr;
    const std::string name(moduleName);
    if (name.find('/') != std::string::npos)
        return Open(name);

    const std::string file = ModuleFileName(name);
    for (const std::string &folder : ModuleSearchFolders()) {
        if (folder.empty())
            continue;
        const std::string candidate = folder.back() == '/' ? folder + file : folder + "/" + file;
        if (!IsRegularFile(candidate))
            continue;
        if (ModuleHandle handle = Open(candidate))
            return handle;
    }
    return Open(file);
}

void *GetProcAddress(ModuleHandle module, const char *name) {
    if (module == nullptr || name == nullptr)
        return nullptr;
    return ::dlsym(module, name);
}

bool FreeLibrary(ModuleHandle module) {
    return module != nullptr && ::dlclose(module) == 0;
}

} // namespace platform
