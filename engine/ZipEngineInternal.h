// Pieces shared by the files of TZipEngine; not part of its interface.
#pragma once

#include "ZipEngine.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zipengine {
// Erases a secret's bytes where the compiler cannot drop the stores.
void Wipe(void *data, std::size_t size);
inline void Wipe(std::string &text) {
    Wipe(text.data(), text.capacity());
}
inline void Wipe(QByteArray &bytes) {
    if (!bytes.isEmpty())
        Wipe(bytes.data(), static_cast<std::size_t>(bytes.size()));
}
} // namespace zipengine

struct TZipEngine::Modules {
    void *zipModule = nullptr;
    void *unzipModule = nullptr;
    EngineEntryPoint zipeng = nullptr;
    EngineEntryPoint unzeng = nullptr;
};

// The argument vector of one ordinary call: heap copies of every element,
// one after another in a single block (a vector of 100,000 names is then a
// few allocations, not 100,000), and the pointer array the engine receives.
class TZipEngine::Arguments {
public:
    Arguments() = default;
    Arguments(const Arguments &) = delete;
    Arguments &operator=(const Arguments &) = delete;
    // Element 0 is the password: no copy of it stays in freed memory.
    ~Arguments() { zipengine::Wipe(text_); }

    void Append(const QString &text) { Append(QByteArrayView(text.toUtf8())); }
    void Append(const char *text) { Append(QByteArrayView(text)); }
    void Append(QByteArrayView bytes) {
        const std::size_t at = text_.size();
        const std::size_t needed = at + static_cast<std::size_t>(bytes.size()) + 1;
        if (needed > text_.capacity()) {
            std::string larger;
            larger.reserve(std::max(needed, 2 * text_.capacity()));
            larger.append(text_);
            zipengine::Wipe(text_);
            text_.swap(larger);
        }
        text_.append(bytes.data(), static_cast<std::size_t>(bytes.size()));
        text_.push_back('\0');
        offsets_.push_back(at);
    }

    // Room for `elements` more elements of `bytes` in all (NULs not
    // counted), so that a long list is copied into its block once rather
    // than into blocks of doubling size, each copied into the next.
    void Reserve(std::size_t elements, std::size_t bytes) {
        offsets_.reserve(offsets_.size() + elements);
        const std::size_t needed = text_.size() + bytes + elements;
        if (needed <= text_.capacity())
            return;
        std::string larger;
        larger.reserve(needed);
        larger.append(text_);
        zipengine::Wipe(text_);
        text_.swap(larger);
    }

    int Count() const { return static_cast<int>(offsets_.size()); }
    // Valid until the next Append.
    char **Data() {
        pointers_.resize(offsets_.size());
        for (std::size_t i = 0; i < offsets_.size(); ++i)
            pointers_[i] = text_.data() + offsets_[i];
        return pointers_.data();
    }

private:
    std::string text_; // every element with its NUL
    std::vector<std::size_t> offsets_;
    std::vector<char *> pointers_;
};

namespace zipengine {

// The archive comment shared by every instance: a length and up to 255
// characters, held in UTF-8.
struct CommentStore {
    std::uint16_t length = 0; // in bytes
    char chars[ENGINE_ARCHIVE_COMMENT_CAPACITY] = {};
};
CommentStore &SharedComment();

// At most max bytes of text, shortened further so that the cut does not
// split a UTF-8 sequence (the engine sees 8-bit characters, we hold UTF-8).
QByteArray LimitedPrefix(const QByteArray &text, qsizetype max);

// At most `maxChars` characters of UTF-8 text, never cutting inside one.
QByteArray CharacterPrefix(const QByteArray &utf8, qsizetype maxChars);

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
