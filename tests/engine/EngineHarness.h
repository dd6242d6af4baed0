// Drives TZipEngine against the scripted test engines and reads back what
// they were given and what the callback wrote into their buffers.
#pragma once

#include "ZipEngine.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

using Strings = std::vector<std::string>;
using Fields = std::map<std::string, std::string>;

struct LoggedMessage {
    int code = 0;
    int ret = -1;
    Fields fields; // write-backs, decoded
};

struct LoggedCall {
    std::string entry;
    int magic = 0;
    int argc = 0;
    bool userSet = false;
    bool query = false;
    std::int32_t selector = 0;
    std::string path;
    Strings args;
    std::vector<LoggedMessage> messages;
    std::int32_t result = 0;
};

// One script line: "msg" with a code and fields, or a "result" line.
std::string Msg(int code, const Fields &fields = {});
std::string Result(std::int64_t value);
std::string AbortResult(std::int64_t value);

std::string Repeat(char c, int count);

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Replaces the conversation the test engines replay on every call.
    void Script(const Strings &lines);
    // The calls logged since the last look, oldest first.
    std::vector<LoggedCall> TakeCalls();
    // Exactly one call was made; returns it.
    LoggedCall OneCall();

    QTemporaryDir temp_;
    std::string logPath_;
    std::string scriptPath_;
    int pumpRuns_ = 0;
};
