// Calls the built libunzeng32.so the way the engine component does, and
// records every message its callback receives.
#pragma once

#include "engine_contract.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace unziptest {

struct Message {
    std::int32_t code = 0;
    std::string name; // file records, skips, replace and password queries
    std::int64_t size = 0;
    std::int64_t packed = 0;
    std::uint8_t attributes = 0;
    std::uint32_t dosTime = 0;
    std::uint8_t ratio = 0;
    std::uint8_t percent = 0;
    std::uint8_t method = 0; // EngineByte
    bool encrypted = false;
    std::uint8_t reason = 0; // 1060
    std::int32_t count = 0;  // 70
    std::string text;        // 130: the archive comment; records: entry comment
};

// Answers a message; the default answers 0 and writes nothing back.
using Answer = std::function<std::int32_t(std::int32_t code, void *data)>;

class Engine {
public:
    Engine();
    // Ordinary call: the elements as given (element 0 is the password).
    std::int32_t run(const std::vector<std::string> &elements);
    // Query form.
    std::int32_t query(std::int32_t selector, const std::string &archive);

    std::vector<Message> messages;
    Answer answer;

    std::vector<Message> withCode(std::int32_t code) const;
    std::vector<std::string> names(std::int32_t code) const;

private:
    static std::int32_t callback(std::int32_t code, void *data, void *user);
    EngineEntryPoint entry_ = nullptr;
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

// Runs a shell command; returns its exit status.
int shell(const std::string &command);
// The 7-Zip command available here ("7z" or "7zz"), empty if none.
std::string sevenZip();
bool haveTool(const std::string &name);
std::string readFile(const std::filesystem::path &p);
void writeFile(const std::filesystem::path &p, const std::string &data);
std::string quote(const std::string &s);
// Where the data of the entry named `name` starts in the archive's bytes
// (after its local header), npos when there is no such local header.
std::size_t localDataOffset(const std::string &archive, const std::string &name);

} // namespace unziptest
