#include "unzip_harness.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <dlfcn.h>
#include <fstream>
#include <sstream>

namespace unziptest {

Engine::Engine() {
    static void *handle = dlopen(TARNWICK_BIN_DIR "/libunzeng32.so", RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        ADD_FAILURE() << "cannot load libunzeng32.so: " << dlerror();
        return;
    }
    entry_ = reinterpret_cast<EngineEntryPoint>(dlsym(handle, ENGINE_UNZIP_ENTRY));
    if (entry_ == nullptr)
        ADD_FAILURE() << "no entry point unzeng";
}

std::int32_t Engine::callback(std::int32_t code, void *data, void *user) {
    auto *self = static_cast<Engine *>(user);
    Message m;
    m.code = code;
    switch (code) {
    case ENGINE_MSG_TESTING:
    case ENGINE_MSG_EXTRACTING:
    case ENGINE_MSG_LISTING:
    case ENGINE_MSG_ENTRY:
    case ENGINE_MSG_STATUS: {
        auto *r = static_cast<EngineFileRecord *>(data);
        m.name = r->FileName;
        m.size = static_cast<std::int64_t>(
            (static_cast<std::uint64_t>(static_cast<std::uint32_t>(r->EngineValue1)) << 32) |
            static_cast<std::uint32_t>(r->Size));
        m.packed = static_cast<std::int64_t>(
            (static_cast<std::uint64_t>(static_cast<std::uint32_t>(r->EngineValue2)) << 32) |
            static_cast<std::uint32_t>(r->CompressedSize));
        m.attributes = r->Attributes;
        m.dosTime = r->DosDateTime;
        m.ratio = r->Ratio;
        m.percent = r->PercentDone;
        m.method = r->EngineByte;
        m.encrypted = r->EngineFlag != 0;
        m.text.assign(r->Comment, r->CommentLength);
        break;
    }
    case ENGINE_MSG_COUNT:
        m.count = *static_cast<std::int32_t *>(data);
        break;
    case ENGINE_MSG_SKIPPING: {
        auto *s = static_cast<EngineSkipReport *>(data);
        m.name = s->FileName;
        m.reason = s->Reason;
        break;
    }
    case ENGINE_MSG_REPLACE:
        m.name = static_cast<EngineReplaceQuery *>(data)->FileName;
        break;
    case ENGINE_MSG_PASSWORD:
        m.name = static_cast<EnginePasswordQuery *>(data)->FileName;
        break;
    case ENGINE_MSG_ARCHIVE_COMMENT: {
        auto *c = static_cast<EngineArchiveComment *>(data);
        m.text.assign(c->Text, c->Length);
        break;
    }
    default:
        break;
    }
    self->messages.push_back(m);
    return self->answer ? self->answer(code, data) : 0;
}

std::int32_t Engine::run(const std::vector<std::string> &elements) {
    messages.clear();
    std::vector<std::string> copies(elements);
    std::vector<char *> argv;
    for (auto &s : copies)
        argv.push_back(s.data());
    if (entry_ == nullptr)
        return -1;
    return entry_(ENGINE_MAGIC, static_cast<std::int32_t>(argv.size()), argv.data(), &callback,
                  this) &
           0xffff;
}

std::int32_t Engine::query(std::int32_t selector, const std::string &archive) {
    messages.clear();
    std::string path = archive;
    char *argv[2] = {reinterpret_cast<char *>(&selector), path.data()};
    if (entry_ == nullptr)
        return -1;
    return entry_(ENGINE_MAGIC, 1, argv, &callback, this) & 0xffff;
}

std::vector<Message> Engine::withCode(std::int32_t code) const {
    std::vector<Message> out;
    for (const auto &m : messages) {
        if (m.code == code)
            out.push_back(m);
    }
    return out;
}

std::vector<std::string> Engine::names(std::int32_t code) const {
    std::vector<std::string> out;
    for (const auto &m : messages) {
        if (m.code == code)
            out.push_back(m.name);
    }
    return out;
}

TempDir::TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "tarnwick-unz-XXXXXX").string();
    if (mkdtemp(tmpl.data()) == nullptr)
        ADD_FAILURE() << "mkdtemp failed";
    path_ = tmpl;
}

TempDir::~TempDir() {
    std::error_code ec;
    // Folders made read-only by an extraction must be writable to go.
    shell("chmod -R u+rwx " + quote(path_.string()) + " 2>/dev/null");
    std::filesystem::remove_all(path_, ec);
}

int shell(const std::string &command) {
    int rc = std::system(command.c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

bool haveTool(const std::string &name) {
    return shell("command -v " + name + " >/dev/null 2>&1") == 0;
}

std::string sevenZip() {
    if (haveTool("7z"))
        return "7z";
    if (haveTool("7zz"))
        return "7zz";
    return {};
}

std::string readFile(const std::filesystem::path &p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::filesystem::path &p, const std::string &data) {
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << data;
}

std::string quote(const std::string &s) {
    std::string out = "'";
    for (char c : s) {
        if (c == '\'')
            out += "'\\''";
        else
            out.push_back(c);
    }
    return out + "'";
}

} // namespace unziptest

namespace unziptest {

std::size_t localDataOffset(const std::string &archive, const std::string &name) {
    for (std::size_t at = 0; (at = archive.find("PK\x03\x04", at)) != std::string::npos; ++at) {
        if (archive.size() - at < 30)
            break;
        auto u16 = [&](std::size_t i) {
            return static_cast<std::size_t>(static_cast<unsigned char>(archive[i]) |
                                            (static_cast<unsigned char>(archive[i + 1]) << 8));
        };
        const std::size_t nameSize = u16(at + 26), extraSize = u16(at + 28);
        if (archive.compare(at + 30, nameSize, name) == 0 && nameSize == name.size())
            return at + 30 + nameSize + extraSize;
    }
    return std::string::npos;
}

} // namespace unziptest
