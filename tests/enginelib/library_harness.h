// Calls the built engine libraries (libunzeng32.so, libzipeng32.so) through
// their C entry points exactly as the engine component does, records every
// message the callback receives, and offers the scratch folders and peer
// tools the engine tests share.
#pragma once

#include "engine_contract.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace enginetest {

enum class Library { Unzip, Zip };

struct Message {
    std::int32_t code = 0;
    std::string name; // file records, skips, replace and password queries, 1020, 1070
    std::int64_t size = 0;
    std::int64_t packed = 0;
    std::uint8_t attributes = 0;
    std::uint32_t dosTime = 0;
    std::uint8_t ratio = 0;
    int percent = -1;
    std::uint8_t method = 0; // EngineByte
    bool encrypted = false;
    int reason = -1;        // 1060
    std::int32_t count = 0; // 70
    int disk = -1;          // 110
    std::string text;       // 130: the archive comment; 150: the format; records: entry comment
};

// Answers a message; the default answers 0 and writes nothing back.
using Answer = std::function<std::int32_t(std::int32_t code, void *data)>;

// Records the messages of one or more calls and answers them.
struct Recorder {
    std::vector<Message> messages;
    Answer answer;
    // Answer 1 ("stop") to the n-th message (1-based) of this code.
    int abortCode = 0;
    int abortAt = 1;
    std::string comment; // the answer to message 140
    // End the whole process at the first message of this code, as a kill
    // would (for tests that run the engine in a child process).
    int exitCode = 0;
    // The answer to message 110 (the disk number it asks for); none: 0.
    std::function<int(int disk)> newDisk;

    int count(int code) const;
    std::vector<Message> withCode(std::int32_t code) const;
    std::vector<std::string> names(std::int32_t code) const;
    std::vector<int> reasons() const;
};

// Calls the library with these elements (element 0 is the password); the
// messages are added to `rec` when one is given. -1: the library is missing.
int run(Library library, const std::vector<std::string> &elements, Recorder *rec = nullptr);
inline int runZip(const std::vector<std::string> &elements, Recorder *rec = nullptr) {
    return run(Library::Zip, elements, rec);
}
inline int runUnzip(const std::vector<std::string> &elements, Recorder *rec = nullptr) {
    return run(Library::Unzip, elements, rec);
}

// One library's calls, each starting with no messages recorded.
class Engine : public Recorder {
public:
    explicit Engine(Library library = Library::Unzip);
    // Ordinary call: the elements as given (element 0 is the password).
    std::int32_t run(const std::vector<std::string> &elements);
    // Query form.
    std::int32_t query(std::int32_t selector, const std::string &archive);

private:
    Library library_;
};

// A fresh folder under the system's temporary folder, removed afterwards.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::filesystem::path &path() const { return path_; }
    std::filesystem::path operator/(const std::string &s) const { return path_ / s; }

private:
    std::filesystem::path path_;
};

// A scratch folder made current for the test, removed afterwards.
class ZipTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Where the scratch folder is made.
    virtual std::filesystem::path scratchRoot() const;
    std::filesystem::path dir_;

private:
    std::filesystem::path oldCwd_;
};

// Runs a shell command; returns its exit status.
int shell(const std::string &command);
// The same with its output and errors thrown away.
int sh(const std::string &command);
// The 7-Zip command available here ("7zz" or "7z"), empty if none.
std::string sevenZip();
bool haveTool(const std::string &name);
std::string quote(const std::string &s);

std::string readFile(const std::filesystem::path &p);
void writeFile(const std::filesystem::path &p, const std::string &data);
// Text that compresses like source code (deterministic).
std::string textData(std::size_t size, unsigned seed = 1);
// Bytes that do not compress.
std::string randomData(std::size_t size, unsigned seed = 1);
// Where the data of the entry named `name` starts in the archive's bytes
// (after its local header), npos when there is no such local header.
std::size_t localDataOffset(const std::string &archive, const std::string &name);

// Our own extracting side (when built) and every peer test (or list) the
// archive without complaint. A non-empty password is given to the peers
// that test data.
::testing::AssertionResult peersAccept(const std::string &zip, const std::string &password = "");
// Sorted names as Info-ZIP lists them.
std::vector<std::string> listNames(const std::string &zip);

} // namespace enginetest
