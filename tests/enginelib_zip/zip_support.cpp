#include "zip_support.h"

#include <algorithm>
#include <cstdlib>
#include <dlfcn.h>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace ziptest {

namespace fs = std::filesystem;

namespace {

EngineEntryPoint entryPoint() {
    static EngineEntryPoint entry = [] {
        const std::string path = std::string(TARNWICK_BIN_DIR) + "/libzipeng32.so";
        void *h = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (h == nullptr)
            return EngineEntryPoint{};
        return reinterpret_cast<EngineEntryPoint>(dlsym(h, ENGINE_ZIP_ENTRY));
    }();
    return entry;
}

// The extracting side of our own engine, when it has been built.
EngineEntryPoint unzengEntry() {
    static EngineEntryPoint entry = [] {
        const std::string path = std::string(TARNWICK_BIN_DIR) + "/libunzeng32.so";
        void *h = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (h == nullptr)
            return EngineEntryPoint{};
        return reinterpret_cast<EngineEntryPoint>(dlsym(h, ENGINE_UNZIP_ENTRY));
    }();
    return entry;
}

int32_t silentCallback(int32_t, void *, void *) {
    return 0;
}

int32_t recordingCallback(int32_t code, void *data, void *user) {
    auto *rec = static_cast<Recorder *>(user);
    Message m;
    m.code = code;
    switch (code) {
    case ENGINE_MSG_ADDING:
    case ENGINE_MSG_UPDATING:
    case ENGINE_MSG_LISTING:
    case ENGINE_MSG_TESTING:
    case ENGINE_MSG_EXTRACTING:
    case ENGINE_MSG_STATUS: {
        const auto *r = static_cast<const EngineFileRecord *>(data);
        m.name = r->FileName;
        m.percent = r->PercentDone;
        m.size = static_cast<uint32_t>(r->Size) |
                 (static_cast<uint64_t>(static_cast<uint32_t>(r->EngineValue1)) << 32);
        break;
    }
    case ENGINE_MSG_SKIPPING: {
        const auto *r = static_cast<const EngineSkipReport *>(data);
        m.name = r->FileName;
        m.reason = r->Reason;
        break;
    }
    case ENGINE_MSG_DELETING:
    case ENGINE_MSG_FIXING:
        m.name = static_cast<const char *>(data);
        break;
    case ENGINE_MSG_COMMENT_WANTED: {
        auto *r = static_cast<EngineCommentRequest *>(data);
        const size_t n = std::min<size_t>(rec->comment.size(), ENGINE_ARCHIVE_COMMENT_CAPACITY);
        std::copy_n(rec->comment.data(), n, r->Buffer);
        r->Length = static_cast<uint16_t>(n);
        r->Done = 1;
        break;
    }
    case ENGINE_MSG_NEW_DISK:
        m.disk = *static_cast<const int32_t *>(data);
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
    return 0;
}

} // namespace

int Recorder::count(int code) const {
    return static_cast<int>(std::count_if(messages.begin(), messages.end(),
                                          [&](const Message &m) { return m.code == code; }));
}

std::vector<std::string> Recorder::names(int code) const {
    std::vector<std::string> out;
    for (const auto &m : messages)
        if (m.code == code)
            out.push_back(m.name);
    return out;
}

std::vector<int> Recorder::reasons() const {
    std::vector<int> out;
    for (const auto &m : messages)
        if (m.code == ENGINE_MSG_SKIPPING)
            out.push_back(m.reason);
    return out;
}

namespace {

int runEntry(EngineEntryPoint entry, const std::vector<std::string> &args, Recorder *rec) {
    std::vector<std::vector<char>> storage;
    std::vector<char *> argv;
    for (const auto &a : args) {
        storage.emplace_back(a.begin(), a.end());
        storage.back().push_back('\0');
    }
    for (auto &s : storage)
        argv.push_back(s.data());
    Recorder local;
    Recorder *r = rec != nullptr ? rec : &local;
    const int32_t result =
        entry(ENGINE_MAGIC, static_cast<int32_t>(argv.size()), argv.data(), recordingCallback, r);
    return result & 0xFFFF;
}

} // namespace

int runZip(const std::vector<std::string> &args, Recorder *rec) {
    EngineEntryPoint entry = entryPoint();
    if (entry == nullptr) {
        ADD_FAILURE() << "libzipeng32.so not loadable from " << TARNWICK_BIN_DIR;
        return -1;
    }
    return runEntry(entry, args, rec);
}

int runUnzip(const std::vector<std::string> &args, Recorder *rec) {
    EngineEntryPoint entry = unzengEntry();
    if (entry == nullptr) {
        ADD_FAILURE() << "libunzeng32.so not loadable from " << TARNWICK_BIN_DIR;
        return -1;
    }
    return runEntry(entry, args, rec);
}

std::string readFile(const fs::path &p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void writeFile(const fs::path &p, const std::string &content) {
    if (p.has_parent_path())
        fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << content;
}

std::string textData(size_t size, unsigned seed) {
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

std::string randomData(size_t size, unsigned seed) {
    std::mt19937 rng(seed * 7919u + 13u);
    std::string out(size, '\0');
    for (auto &c : out)
        c = static_cast<char>(rng() & 0xFF);
    return out;
}

int sh(const std::string &cmd) {
    const int st = std::system((cmd + " >/dev/null 2>&1").c_str());
    return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
}

std::string sevenZip() {
    static const std::string tool = [] {
        if (sh("command -v 7zz") == 0)
            return std::string("7zz");
        if (sh("command -v 7z") == 0)
            return std::string("7z");
        return std::string();
    }();
    return tool;
}

::testing::AssertionResult peersAccept(const std::string &zip, const std::string &password) {
    if (EngineEntryPoint unzeng = unzengEntry()) {
        std::string pw = password, opt = "-t", name = zip;
        char *argv[] = {pw.data(), opt.data(), name.data()};
        const int rc = unzeng(ENGINE_MAGIC, 3, argv, silentCallback, nullptr) & 0xFFFF;
        if (rc != ENGINE_OK)
            return ::testing::AssertionFailure() << "our extracting side: " << rc << " on " << zip;
    }
    const std::string q = "'" + zip + "'";
    const std::string pw = password.empty() ? "" : " -P '" + password + "'";
    if (int rc = sh("unzip -tq" + pw + " " + q); rc != 0)
        return ::testing::AssertionFailure() << "unzip -t exit " << rc << " on " << zip;
    if (!sevenZip().empty()) {
        const std::string p7 = " -p'" + password + "'";
        if (int rc = sh(sevenZip() + " t" + p7 + " " + q); rc != 0)
            return ::testing::AssertionFailure() << "7z t exit " << rc << " on " << zip;
    }
    const std::string py = "python3 -c \"import sys,zipfile; z=zipfile.ZipFile(sys.argv[1]); "
                           "z.setpassword(sys.argv[2].encode()); "
                           "sys.exit(0 if z.testzip() is None else 1)\" " +
                           q + " '" + password + "'";
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
    FILE *p = popen(("zipinfo -1 '" + zip + "' 2>/dev/null").c_str(), "r");
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

void ZipTest::SetUp() {
    oldCwd_ = fs::current_path();
    std::string tmpl = (fs::temp_directory_path() / "zipeng-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
    fs::current_path(dir_);
}

void ZipTest::TearDown() {
    fs::current_path(oldCwd_);
    std::error_code ec;
    fs::remove_all(dir_, ec);
}

} // namespace ziptest
