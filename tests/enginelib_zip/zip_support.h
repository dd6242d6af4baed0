// Helpers of the compressing-side engine tests: the library loaded from the
// build's bin folder, a recording callback, scratch folders and peer tools.
#pragma once

#include "engine_contract.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace ziptest {

struct Message {
    int code = 0;
    std::string name;
    int reason = -1;
    int percent = -1;
    uint64_t size = 0;
    int disk = -1; // message 110
};

struct Recorder {
    std::vector<Message> messages;
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
    std::vector<std::string> names(int code) const;
    std::vector<int> reasons() const;
};

// Calls zipeng with these elements; element 0 is the password.
int runZip(const std::vector<std::string> &args, Recorder *rec = nullptr);
// The same for our extracting side, unzeng.
int runUnzip(const std::vector<std::string> &args, Recorder *rec = nullptr);

std::string readFile(const std::filesystem::path &p);
void writeFile(const std::filesystem::path &p, const std::string &content);
// Text that compresses like source code (deterministic).
std::string textData(size_t size, unsigned seed = 1);
// Bytes that do not compress.
std::string randomData(size_t size, unsigned seed = 1);

// Runs a shell command quietly; returns its exit status.
int sh(const std::string &cmd);
// "7zz" or "7z", whichever is installed.
std::string sevenZip();
// Our own extracting side (when built) and every peer test (or list) the
// archive without complaint. A non-empty
// password is given to the peers that test data.
::testing::AssertionResult peersAccept(const std::string &zip, const std::string &password = "");
// Sorted names as Info-ZIP lists them.
std::vector<std::string> listNames(const std::string &zip);

// A scratch folder made current for the test, removed afterwards.
class ZipTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::filesystem::path dir_;

private:
    std::filesystem::path oldCwd_;
};

} // namespace ziptest
