// A scripted engine for the component's tests. Built twice, as
// libzipeng32.so (entry point zipeng) and libunzeng32.so (entry point
// unzeng).
//
// Every call appends to the file named by TARNWICK_TESTENGINE_LOG what it
// received and, message by message, what the callback answered and wrote
// back. The conversation comes from the file named by
// TARNWICK_TESTENGINE_SCRIPT. Both files hold one record a line: a kind,
// then key=value fields whose values are percent-encoded.
//
// Script lines:
//   result value=N          the value returned (all 32 bits)
//   abortresult value=N     stop at the first answer 1 and return N
//   msg code=C [null=1] ... one callback message; fields by code:
//     file records (50 60 80 90 1000 1010 1030): name size csize v1 attr dos
//       v2 ratio pct byte flag comment clen
//     10: name reply (initial buffer text) do      100: name pwd reply
//     120: name comment len                        130: text len
//     140: buf len done                            70, 110: value
//     1020, 1070: name (the data address is the name itself)
//     1060: name reason                            other codes: no data
//   Reply buffers are filled with '~' before the initial text is put in.
//
// Log lines:
//   call entry=E magic=M argc=N user=0|1
//   arg value=V                 (ordinary form, one line per element)
//   query selector=S path=P     (query form)
//   msg code=C ret=R [write-backs: reply do | pwd reply | comment len |
//                     buf len done]   (buffers logged whole)
//   end result=N
#include "engine_contract.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#define TESTENGINE_STR2(x) #x
#define TESTENGINE_STR(x) TESTENGINE_STR2(x)

namespace {

using Fields = std::map<std::string, std::string>;

struct Line {
    std::string kind;
    Fields fields;
};

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return 0;
}

std::string Decode(const std::string &text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            out.push_back(static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2])));
            i += 2;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

std::string Encode(const char *data, std::size_t size) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < size; ++i) {
        const auto c = static_cast<unsigned char>(data[i]);
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || std::strchr("-._~/;:!$&+,", c) != nullptr;
        if (plain && c != 0) {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back('%');
            out.push_back(hex[c >> 4]);
            out.push_back(hex[c & 15]);
        }
    }
    return out;
}

std::string Encode(const std::string &text) {
    return Encode(text.data(), text.size());
}

std::vector<Line> ReadScript() {
    std::vector<Line> lines;
    const char *path = std::getenv("TARNWICK_TESTENGINE_SCRIPT");
    if (path == nullptr)
        return lines;
    std::FILE *file = std::fopen(path, "rb");
    if (file == nullptr)
        return lines;
    std::string text;
    char chunk[4096];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        text.append(chunk, got);
    std::fclose(file);

    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string raw = text.substr(start, end - start);
        start = end + 1;
        Line line;
        std::size_t pos = 0;
        bool first = true;
        while (pos < raw.size()) {
            std::size_t next = raw.find(' ', pos);
            if (next == std::string::npos)
                next = raw.size();
            const std::string token = raw.substr(pos, next - pos);
            pos = next + 1;
            if (token.empty())
                continue;
            if (first) {
                line.kind = token;
                first = false;
                continue;
            }
            const std::size_t eq = token.find('=');
            if (eq == std::string::npos)
                line.fields[token] = "";
            else
                line.fields[token.substr(0, eq)] = Decode(token.substr(eq + 1));
        }
        if (!line.kind.empty())
            lines.push_back(std::move(line));
    }
    return lines;
}

std::string Get(const Fields &fields, const char *key, const std::string &fallback = {}) {
    const auto it = fields.find(key);
    return it == fields.end() ? fallback : it->second;
}

long long Number(const Fields &fields, const char *key, long long fallback = 0) {
    const auto it = fields.find(key);
    return it == fields.end() ? fallback : std::strtoll(it->second.c_str(), nullptr, 0);
}

class Log {
public:
    Log() {
        if (const char *path = std::getenv("TARNWICK_TESTENGINE_LOG"))
            file_ = std::fopen(path, "ab");
    }
    ~Log() {
        if (file_ != nullptr)
            std::fclose(file_);
    }
    Log(const Log &) = delete;
    Log &operator=(const Log &) = delete;

    void Write(const std::string &line) {
        if (file_ == nullptr)
            return;
        std::fputs(line.c_str(), file_);
        std::fputc('\n', file_);
        std::fflush(file_);
    }

private:
    std::FILE *file_ = nullptr;
};

// A buffer of exactly the contract's size, so that the sanitizers catch the
// component writing past it.
std::unique_ptr<char[]> ReplyBuffer(std::size_t size, const Fields &fields, const char *key,
                                    bool terminate) {
    auto buffer = std::make_unique<char[]>(size);
    std::memset(buffer.get(), '~', size);
    if (fields.count(key) != 0) {
        const std::string text = Get(fields, key);
        std::memcpy(buffer.get(), text.data(), std::min(text.size(), size));
        if (terminate && text.size() < size)
            buffer[text.size()] = '\0';
    }
    return buffer;
}

bool IsFileRecord(int code) {
    switch (code) {
    case ENGINE_MSG_TESTING:
    case ENGINE_MSG_EXTRACTING:
    case ENGINE_MSG_LISTING:
    case ENGINE_MSG_ENTRY:
    case ENGINE_MSG_UPDATING:
    case ENGINE_MSG_ADDING:
    case ENGINE_MSG_STATUS:
        return true;
    default:
        return false;
    }
}

// Sends one scripted message and returns the callback's answer, with the
// write-backs appended to the log line.
std::int32_t Send(const Fields &f, EngineCallback cb, void *user, std::string &logLine) {
    const auto code = static_cast<std::int32_t>(Number(f, "code"));
    const bool null = f.count("null") != 0;
    const std::string name = Get(f, "name");
    std::int32_t ret = 0;

    if (IsFileRecord(code)) {
        const std::string comment = Get(f, "comment");
        std::unique_ptr<char[]> commentBytes;
        if (!comment.empty()) {
            commentBytes = std::make_unique<char[]>(comment.size());
            std::memcpy(commentBytes.get(), comment.data(), comment.size());
        }
        EngineFileRecord r{};
        r.FileName = name.c_str();
        r.Size = static_cast<std::int32_t>(Number(f, "size"));
        r.CompressedSize = static_cast<std::int32_t>(Number(f, "csize"));
        r.EngineValue1 = static_cast<std::int32_t>(Number(f, "v1"));
        r.Attributes = static_cast<std::uint8_t>(Number(f, "attr"));
        r.Reserved[0] = r.Reserved[1] = r.Reserved[2] = 0xEE;
        r.DosDateTime = static_cast<std::uint32_t>(Number(f, "dos"));
        r.EngineValue2 = static_cast<std::int32_t>(Number(f, "v2"));
        r.Ratio = static_cast<std::uint8_t>(Number(f, "ratio"));
        r.PercentDone = static_cast<std::uint8_t>(Number(f, "pct"));
        r.EngineByte = static_cast<std::uint8_t>(Number(f, "byte"));
        r.EngineFlag = static_cast<std::uint8_t>(Number(f, "flag"));
        r.Comment = commentBytes.get();
        r.CommentLength =
            static_cast<std::uint8_t>(Number(f, "clen", static_cast<long long>(comment.size())));
        ret = cb(code, null ? nullptr : &r, user);
    } else if (code == ENGINE_MSG_REPLACE) {
        auto reply = ReplyBuffer(ENGINE_REPLY_TEXT_CAPACITY, f, "reply", true);
        EngineReplaceQuery q{name.c_str(), reply.get(), static_cast<std::uint8_t>(Number(f, "do"))};
        ret = cb(code, null ? nullptr : &q, user);
        logLine += " reply=" + Encode(reply.get(), ENGINE_REPLY_TEXT_CAPACITY) +
                   " do=" + std::to_string(q.DoReplace);
    } else if (code == ENGINE_MSG_PASSWORD) {
        auto password = ReplyBuffer(ENGINE_PASSWORD_CAPACITY, f, "pwd", true);
        EnginePasswordQuery q{name.c_str(), password.get(),
                              static_cast<std::uint8_t>(Number(f, "reply"))};
        ret = cb(code, null ? nullptr : &q, user);
        logLine += " pwd=" + Encode(password.get(), ENGINE_PASSWORD_CAPACITY) +
                   " reply=" + std::to_string(q.Reply);
    } else if (code == ENGINE_MSG_FILE_COMMENT) {
        auto comment = ReplyBuffer(ENGINE_COMMENT_CAPACITY, f, "comment", false);
        EngineFileCommentQuery q{name.c_str(), comment.get(),
                                 static_cast<std::uint8_t>(Number(f, "len"))};
        ret = cb(code, null ? nullptr : &q, user);
        logLine += " comment=" + Encode(comment.get(), ENGINE_COMMENT_CAPACITY) +
                   " len=" + std::to_string(q.Length);
    } else if (code == ENGINE_MSG_ARCHIVE_COMMENT) {
        const std::string text = Get(f, "text");
        // Exactly the announced characters, no NUL: the component must not
        // read past the length.
        auto bytes = std::make_unique<char[]>(text.size() + (text.empty() ? 1 : 0));
        std::memcpy(bytes.get(), text.data(), text.size());
        EngineArchiveComment c{bytes.get(), static_cast<std::uint16_t>(Number(
                                                f, "len", static_cast<long long>(text.size())))};
        ret = cb(code, null ? nullptr : &c, user);
    } else if (code == ENGINE_MSG_COMMENT_WANTED) {
        auto buffer = ReplyBuffer(ENGINE_ARCHIVE_COMMENT_CAPACITY, f, "buf", false);
        EngineCommentRequest r{buffer.get(), static_cast<std::uint16_t>(Number(f, "len")),
                               static_cast<std::int32_t>(Number(f, "done"))};
        ret = cb(code, null ? nullptr : &r, user);
        logLine += " buf=" + Encode(buffer.get(), ENGINE_ARCHIVE_COMMENT_CAPACITY) +
                   " len=" + std::to_string(r.Length) + " done=" + std::to_string(r.Done);
    } else if (code == ENGINE_MSG_COUNT || code == ENGINE_MSG_NEW_DISK) {
        auto value = static_cast<std::int32_t>(Number(f, "value"));
        ret = cb(code, null ? nullptr : &value, user);
    } else if (code == ENGINE_MSG_SKIPPING) {
        EngineSkipReport r{name.c_str(), static_cast<std::uint8_t>(Number(f, "reason"))};
        ret = cb(code, null ? nullptr : &r, user);
    } else if (code == ENGINE_MSG_DELETING || code == ENGINE_MSG_FIXING || f.count("name") != 0) {
        ret = cb(code, null ? nullptr : const_cast<char *>(name.c_str()), user);
    } else {
        ret = cb(code, nullptr, user);
    }
    return ret;
}

std::int32_t Run(std::int32_t magic, std::int32_t argc, char **argv, EngineCallback cb,
                 void *user) {
    Log log;
    log.Write(std::string("call entry=") + TESTENGINE_STR(TESTENGINE_ENTRY) +
              " magic=" + std::to_string(magic) + " argc=" + std::to_string(argc) +
              " user=" + (user != nullptr ? "1" : "0"));
    if (argc == 1) {
        std::int32_t selector = 0;
        std::memcpy(&selector, argv[0], sizeof selector);
        log.Write("query selector=" + std::to_string(selector) + " path=" + Encode(argv[1]));
    } else {
        for (std::int32_t i = 0; i < argc; ++i)
            log.Write("arg value=" +
                      Encode(argv[i] == nullptr ? std::string("(null)") : std::string(argv[i])));
    }

    std::int32_t result = 0;
    bool stopOnAbort = false;
    std::int32_t abortResult = 0;
    const std::vector<Line> script = ReadScript();
    for (const Line &line : script) {
        if (line.kind == "result") {
            result = static_cast<std::int32_t>(Number(line.fields, "value"));
        } else if (line.kind == "abortresult") {
            stopOnAbort = true;
            abortResult = static_cast<std::int32_t>(Number(line.fields, "value"));
        }
    }
    for (const Line &line : script) {
        if (line.kind != "msg")
            continue;
        std::string writeBacks;
        const std::int32_t ret = Send(line.fields, cb, user, writeBacks);
        log.Write("msg code=" + Get(line.fields, "code") + " ret=" + std::to_string(ret) +
                  writeBacks);
        if (ret != 0 && stopOnAbort) {
            result = abortResult;
            break;
        }
    }
    log.Write("end result=" + std::to_string(result));
    return result;
}

} // namespace

extern "C" std::int32_t TESTENGINE_ENTRY(std::int32_t magic, std::int32_t argc, char **argv,
                                         EngineCallback cb, void *user) {
    try {
        return Run(magic, argc, argv, cb, user);
    } catch (...) {
        return ENGINE_BAD_ARGUMENTS;
    }
}
