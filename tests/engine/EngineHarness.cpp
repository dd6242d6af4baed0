#include "EngineHarness.h"

#include "platform/Module.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

std::string Encode(const std::string &text) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (std::isalnum(c) != 0) {
            out.push_back(ch);
        } else {
            out.push_back('%');
            out.push_back(hex[c >> 4]);
            out.push_back(hex[c & 15]);
        }
    }
    return out;
}

std::string Decode(const std::string &text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            out.push_back(static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16)));
            i += 2;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

std::pair<std::string, Fields> ParseLine(const std::string &line) {
    std::istringstream in(line);
    std::string kind;
    in >> kind;
    Fields fields;
    std::string token;
    while (in >> token) {
        const auto eq = token.find('=');
        fields[token.substr(0, eq)] = eq == std::string::npos ? "" : Decode(token.substr(eq + 1));
    }
    return {kind, fields};
}

} // namespace

std::string Msg(int code, const Fields &fields) {
    std::string line = "msg code=" + std::to_string(code);
    for (const auto &[key, value] : fields)
        line += " " + key + "=" + Encode(value);
    return line;
}

std::string Result(std::int64_t value) {
    return "result value=" + std::to_string(value);
}

std::string AbortResult(std::int64_t value) {
    return "abortresult value=" + std::to_string(value);
}

std::string Repeat(char c, int count) {
    return std::string(static_cast<std::size_t>(count), c);
}

void EngineTest::SetUp() {
    ASSERT_TRUE(temp_.isValid());
    logPath_ = temp_.filePath("engine.log").toStdString();
    scriptPath_ = temp_.filePath("engine.script").toStdString();
    ::setenv("TARNWICK_TESTENGINE_LOG", logPath_.c_str(), 1);
    ::setenv("TARNWICK_TESTENGINE_SCRIPT", scriptPath_.c_str(), 1);
    Script({});
    platform::SetModuleSearchFolders({TARNWICK_TESTENGINE_DIR});
    TZipEngine::SetMessagePump([this] { ++pumpRuns_; });
}

void EngineTest::TearDown() {
    TZipEngine::SetMessagePump({});
    platform::ResetModuleSearchFolders();
    ::unsetenv("TARNWICK_TESTENGINE_LOG");
    ::unsetenv("TARNWICK_TESTENGINE_SCRIPT");
}

void EngineTest::Script(const Strings &lines) {
    std::ofstream out(scriptPath_, std::ios::trunc | std::ios::binary);
    for (const auto &line : lines)
        out << line << '\n';
}

std::vector<LoggedCall> EngineTest::TakeCalls() {
    std::vector<LoggedCall> calls;
    {
        std::ifstream in(logPath_, std::ios::binary);
        std::string line;
        while (std::getline(in, line)) {
            auto [kind, f] = ParseLine(line);
            if (kind == "call") {
                LoggedCall call;
                call.entry = f["entry"];
                call.magic = std::stoi(f["magic"]);
                call.argc = std::stoi(f["argc"]);
                call.userSet = f["user"] == "1";
                calls.push_back(call);
                continue;
            }
            if (calls.empty())
                continue;
            LoggedCall &call = calls.back();
            if (kind == "arg") {
                call.args.push_back(f["value"]);
            } else if (kind == "query") {
                call.query = true;
                call.selector = static_cast<std::int32_t>(std::stol(f["selector"]));
                call.path = f["path"];
            } else if (kind == "msg") {
                LoggedMessage message;
                message.code = std::stoi(f["code"]);
                message.ret = std::stoi(f["ret"]);
                f.erase("code");
                f.erase("ret");
                message.fields = f;
                call.messages.push_back(message);
            } else if (kind == "end") {
                call.result = static_cast<std::int32_t>(std::stol(f["result"]));
            }
        }
    }
    std::ofstream(logPath_, std::ios::trunc);
    return calls;
}

LoggedCall EngineTest::OneCall() {
    auto calls = TakeCalls();
    EXPECT_EQ(calls.size(), 1u);
    return calls.empty() ? LoggedCall{} : calls.front();
}
