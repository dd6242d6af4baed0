#include "library_harness.h"

#include <algorithm>
#include <cstdlib>
#include <dlfcn.h>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace enginetest {

namespace fs = std::filesystem;

namespace {

EngineEntryPoint load(const char *file, const char *symbol) {
    const std::string path = std::string(TARNWICK_BIN_DIR) + "/" + file;
    void *handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr)
        return nullptr;
    return reinterpret_cast<EngineEntryPoint>(dlsym(handle, symbol));
}

// Each library is loaded once, on first use, and stays loaded.
EngineEntryPoint entryPoint(Library library) {
    static const EngineEntryPoint unzip = load("libunzeng32.so", ENGINE_UNZIP_ENTRY);
    static const EngineEntryPoint zip = load("libzipeng32.so", ENGINE_ZIP_ENTRY);
    return library == Library::Zip ? zip : unzip;
}

const char *libraryName(Library library) {
    return library == Library::Zip ? "libzipeng32.so" : "libunzeng32.so";
}

std::int64_t wide(std::int32_t low, std::int32_t high) {
    return static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(static_cast<std::uint32_t>(high)) << 32) |
        static_cast<std::uint32_t>(low));
}

std::int32_t recordingCallback(std::int32_t code, void *data, void *user) {
    auto *rec = static_cast<Recorder *>(user);
    Message m;
    m.code = code;
    switch (code) {
    case ENGINE_MSG_TESTING:
    case ENGINE_MSG_EXTRACTING:
    case ENGINE_MSG_LISTING:
    case ENGINE_MSG_ENTRY:
    case ENGINE_MSG_ADDING:
    case ENGINE_MSG_UPDATING:
    case ENGINE_MSG_STATUS: {
        const auto *r = static_cast<const EngineFileRecord *>(data);
        m.name = r->FileName;
        m.size = wide(r->Size, r->EngineValue1);
        m.packed = wide(r->CompressedSize, r->EngineValue2);
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
        m.count = *static_cast<const std::int32_t *>(data);
        break;
    case ENGINE_MSG_SKIPPING: {
        const auto *s = static_cast<const EngineSkipReport *>(data);
        m.name = s->FileName;
        m.reason = s->Reason;
        break;
    }
    case ENGINE_MSG_REPLACE:
        m.name = static_cast<const EngineReplaceQuery *>(data)->FileName;
        break;
    case ENGINE_MSG_PASSWORD:
        m.name = static_cast<const EnginePasswordQuery *>(data)->FileName;
        break;
    case ENGINE_MSG_ARCHIVE_COMMENT: {
        const auto *c = static_cast<const EngineArchiveComment *>(data);
        m.text.assign(c->Text, c->Length);
        break;
    }
    case ENGINE_MSG_READ_ONLY:
        m.text = static_cast<const char *>(data);
        break;
    case ENGINE_MSG_DELETING:
    case ENGINE_MSG_FIXING:
        m.name = static_cast<const char *>(data);
        break;
    case ENGINE_MSG_COMMENT_WANTED: {
        auto *r = static_cast<EngineCommentRequest *>(data);
        const std::size_t n =
            std::min<std::size_t>(rec->comment.size(), ENGINE_ARCHIVE_COMMENT_CAPACITY);
        std::copy_n(rec->comment.data(), n, r->Buffer);
        r->Length = static_cast<std::uint16_t>(n);
        r->Done = 1;
        break;
    }
    case ENGINE_MSG_NEW_DISK:
        m.disk = *static_cast<const std::int32_t *>(data);
        break;
    default:
        break;
    }
    rec->messages.push_back(m);
    if (code == ENGINE_MSG_NEW_DISK && rec->newDisk)
        return rec->newDisk(m.disk);
    if (rec->exitCode == code)
        _exit(3);
    if (rec->abortCode == code && rec->count(code) == rec->abortAt)
        return 1;
    return rec->answer ? rec->answer(code, data) : 0;
}

std::int32_t call(EngineEntryPoint entry, std::int32_t count, char **argv, Recorder *rec) {
    return entry(ENGINE_MAGIC, count, argv, &recordingCallback, rec) & 0xffff;
}

} // namespace

int Recorder::count(int code) const {
    return static_cast<int>(std::count_if(messages.begin(), messages.end(),
                                          [&](const Message &m) { return m.code == code; }));
}

std::vector<Message> Recorder::withCode(std::int32_t code) const {
    std::vector<Message> out;
    for (const auto &m : messages) {
        if (m.code == code)
            out.push_back(m);
    }
    return out;
}

std::vector<std::string> Recorder::names(std::int32_t code) const {
    std::vector<std::string> out;
    for (const auto &m : messages) {
        if (m.code == code)
            out.push_back(m.name);
    }
    return out;
}

std::vector<int> Recorder::reasons() const {
    std::vector<int> out;
    for (const auto &m : messages) {
        if (m.code == ENGINE_MSG_SKIPPING)
            out.push_back(m.reason);
    }
    return out;
}

int run(Library library, const std::vector<std::string> &elements, Recorder *rec) {
    const EngineEntryPoint entry = entryPoint(library);
    if (entry == nullptr) {
        ADD_FAILURE() << libraryName(library) << " not loadable from " << TARNWICK_BIN_DIR;
        return -1;
    }
    std::vector<std::string> copies(elements);
    std::vector<char *> argv;
    for (auto &s : copies)
        argv.push_back(s.data());
    Recorder local;
    return call(entry, static_cast<std::int32_t>(argv.size()), argv.data(),
                rec != nullptr ? rec : &local);
}

Engine::Engine(Library library) : library_(library) {
    if (entryPoint(library) == nullptr)
        ADD_FAILURE() << libraryName(library) << " not loadable from " << TARNWICK_BIN_DIR;
}

std::int32_t Engine::run(const std::vector<std::string> &elements) {
    messages.clear();
    return enginetest::run(library_, elements, this);
}

std::int32_t Engine::query(std::int32_t selector, const std::string &archive) {
    messages.clear();
    const EngineEntryPoint entry = entryPoint(library_);
    if (entry == nullptr)
        return -1;
    std::string path = archive;
    char *argv[2] = {reinterpret_cast<char *>(&selector), path.data()};
    return call(entry, 1, argv, this);
}

TempDir::TempDir() {
    std::string tmpl = (fs::temp_directory_path() / "tarnwick-unz-XXXXXX").string();
    if (mkdtemp(tmpl.data()) == nullptr)
        ADD_FAILURE() << "mkdtemp failed";
    path_ = tmpl;
}

TempDir::~TempDir() {
    std::error_code ec;
    // Folders made read-only by an extraction must be writable to go.
    shell("chmod -R u+rwx " + quote(path_.string()) + " 2>/dev/null");
    fs::remove_all(path_, ec);
}

void ZipTest::SetUp() {
    oldCwd_ = fs::current_path();
    std::string tmpl = (scratchRoot() / "zipeng-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
    fs::current_path(dir_);
}

fs::path ZipTest::scratchRoot() const {
    return fs::temp_directory_path();
}

void ZipTest::TearDown() {
    fs::current_path(oldCwd_);
    std::error_code ec;
    fs::remove_all(dir_, ec);
}

int shell(const std::string &command) {
    const int rc = std::system(command.c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

int sh(const std::string &command) {
    return shell(command + " >/dev/null 2>&1");
}

bool haveTool(const std::string &name) {
    return sh("command -v " + name) == 0;
}

std::string sevenZip() {
    static const std::string tool = [] {
        if (haveTool("7zz"))
            return std::string("7zz");
        if (haveTool("7z"))
            return std::string("7z");
        return std::string();
    }();
    return tool;
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

std::string readFile(const fs::path &p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const fs::path &p, const std::string &data) {
    if (p.has_parent_path())
        fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << data;
}

std::string textData(std::size_t size, unsigned seed) {
    static const char *words[] = {"int ",    "return ", "value",  "(void)", "{\n", "}\n",
                                  "archive", " = ",     "entry",  "; ",     "if ", "for ",
                                  "const ",  "size_t ", "\n    ", "name",   "++i", "0x1F"};
    std::mt19937 rng(seed);
    std::string out;
    out.reserve(size + 16);
    while (out.size() < size)
        out += words[rng() % (sizeof words / sizeof *words)];
    out.resize(size);
    return out;
}

std::string randomData(std::size_t size, unsigned seed) {
    std::mt19937 rng(seed * 7919u + 13u);
    std::string out(size, '\0');
    for (auto &c : out)
        c = static_cast<char>(rng() & 0xFF);
    return out;
}

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

::testing::AssertionResult peersAccept(const std::string &zip, const std::string &password) {
    if (entryPoint(Library::Unzip) != nullptr) {
        if (const int rc = runUnzip({password, "-t", zip}); rc != ENGINE_OK)
            return ::testing::AssertionFailure() << "our extracting side: " << rc << " on " << zip;
    }
    const std::string q = quote(zip);
    const std::string pw = password.empty() ? "" : " -P " + quote(password);
    if (int rc = sh("unzip -tq" + pw + " " + q); rc != 0)
        return ::testing::AssertionFailure() << "unzip -t exit " << rc << " on " << zip;
    if (!sevenZip().empty()) {
        const std::string p7 = " -p" + quote(password);
        if (int rc = sh(sevenZip() + " t" + p7 + " " + q); rc != 0)
            return ::testing::AssertionFailure() << "7z t exit " << rc << " on " << zip;
    }
    const std::string py = "python3 -c \"import sys,zipfile; z=zipfile.ZipFile(sys.argv[1]); "
                           "z.setpassword(sys.argv[2].encode()); "
                           "sys.exit(0 if z.testzip() is None else 1)\" " +
                           q + " " + quote(password);
    if (int rc = sh(py); rc != 0)
        return ::testing::AssertionFailure() << "python zipfile test exit " << rc << " on " << zip;
    if (password.empty())
        if (int rc = sh("python3 -m zipfile -t " + q); rc != 0)
            return ::testing::AssertionFailure() << "python3 -m zipfile -t exit " << rc;
    if (int rc = sh("bsdtar -tf " + q); rc != 0)
        return ::testing::AssertionFailure() << "bsdtar -tf exit " << rc << " on " << zip;
    return ::testing::AssertionSuccess();
}

std::vector<std::string> listNames(const std::string &zip) {
    std::vector<std::string> names;
    FILE *p = popen(("zipinfo -1 " + quote(zip) + " 2>/dev/null").c_str(), "r");
    if (p == nullptr)
        return names;
    char line[4096];
    while (fgets(line, sizeof line, p) != nullptr) {
        std::string s = line;
        while (!s.empty() && (s.back() == '\n' || s.back() == '\r'))
            s.pop_back();
        if (s != "Empty zipfile.")
            names.push_back(s);
    }
    pclose(p);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace enginetest
