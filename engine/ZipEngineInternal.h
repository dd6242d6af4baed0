// Pieces shared by the files of TZipEngine; not part of its interface.
#pragma once

#include "ZipEngine.h"

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

struct TZipEngine::Modules {
    void *zipModule = nullptr;
    void *unzipModule = nullptr;
    EngineEntryPoint zipeng = nullptr;
    EngineEntryPoint unzeng = nullptr;
};

// The argument vector of one ordinary call: owned heap copies of every
// element and the pointer array the engine receives.
class TZipEngine::Arguments {
public:
    Arguments() { pointers_.reserve(16); }

    void Append(const QString &text) { Append(text.toUtf8()); }
    void Append(const char *text) { Append(QByteArray(text)); }
    void Append(const QByteArray &bytes) {
        auto copy = std::make_unique<char[]>(static_cast<std::size_t>(bytes.size()) + 1);
        std::copy(bytes.cbegin(), bytes.cend(), copy.get());
        copy[static_cast<std::size_t>(bytes.size())] = '\0';
        pointers_.reserve(pointers_.size() + 1);
        copies_.push_back(std::move(copy));
        pointers_.push_back(copies_.back().get());
    }

    int Count() const { return static_cast<int>(pointers_.size()); }
    char **Data() { return pointers_.data(); }

private:
    std::vector<std::unique_ptr<char[]>> copies_;
    std::vector<char *> pointers_;
};

namespace zipengine {

// The archive comment shared by every instance: a length byte and up to 255
// characters.
struct CommentStore {
    std::uint8_t length = 0;
    char chars[ENGINE_COMMENT_CAPACITY] = {};
};
CommentStore &SharedComment();

// At most max bytes of text, shortened further so that the cut does not
// split a UTF-8 sequence (the engine sees 8-bit characters, we hold UTF-8).
QByteArray LimitedPrefix(const QByteArray &text, qsizetype max);

QString FromEngine(const char *text);

// Runs at the start of a callback; see TZipEngine::SetMessagePump.
struct MessagePumpState {
    std::function<void()> pump;
    std::chrono::steady_clock::duration interval{};
    std::chrono::steady_clock::time_point lastRun{};
    bool hasRun = false;
};
MessagePumpState &MessagePump();

} // namespace zipengine
