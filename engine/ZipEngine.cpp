#include "ZipEngineInternal.h"

#include "Interrupts.h"

#include "platform/Module.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

namespace zipengine {

CommentStore &SharedComment() {
    static CommentStore store;
    return store;
}

QByteArray LimitedPrefix(const QByteArray &text, qsizetype max) {
    if (text.size() <= max)
        return text;
    qsizetype cut = max;
    // A continuation byte right after the cut means the character that
    // starts before it would be split; UTF-8 characters span four bytes at
    // most, so never walk back further than that.
    for (int steps = 0; steps < 3 && cut > 0; ++steps) {
        if ((static_cast<unsigned char>(text[cut]) & 0xC0) != 0x80)
            break;
        --cut;
    }
    if ((static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        cut = max; // not UTF-8 at all: cut where asked
    return text.left(cut);
}

QByteArray CharacterPrefix(const QByteArray &utf8, qsizetype maxChars) {
    qsizetype chars = 0;
    for (qsizetype at = 0; at < utf8.size(); ++at) {
        // Every byte but a continuation byte starts a character.
        if ((static_cast<unsigned char>(utf8[at]) & 0xC0) != 0x80 && ++chars > maxChars)
            return utf8.left(at);
    }
    return utf8;
}

void Wipe(void *data, std::size_t size) {
    if (data != nullptr && size > 0)
        ::explicit_bzero(data, size);
}

QString FromEngine(const char *text) {
    return text == nullptr ? QString() : QString::fromUtf8(text);
}

MessagePumpState &MessagePump() {
    static MessagePumpState state;
    return state;
}

} // namespace zipengine

namespace {

// Loads one engine side. Nothing is shown when the library is missing (the
// platform loader never shows a box), so there is no error mode to set.
void *LoadEngine(const char *moduleFile, const char *entryName, EngineEntryPoint &entry) {
    entry = nullptr;
    void *module = platform::LoadLibraryA(moduleFile);
    if (module == nullptr)
        return nullptr;
    void *address = platform::GetProcAddress(module, entryName);
    if (address == nullptr) {
        platform::FreeLibrary(module);
        return nullptr;
    }
    static_assert(sizeof(entry) == sizeof(address));
    std::memcpy(&entry, &address, sizeof(entry));
    return module;
}

} // namespace

TZipEngine::TZipEngine() : modules_(std::make_unique<Modules>()) {
    zipengine::SharedComment().length = 0;
}

TZipEngine::~TZipEngine() {
    if (modules_->zipModule != nullptr)
        platform::FreeLibrary(modules_->zipModule);
    if (modules_->unzipModule != nullptr)
        platform::FreeLibrary(modules_->unzipModule);
    FilesToProcess = QStringList();
}

void TZipEngine::SetMessagePump(std::function<void()> pump, std::chrono::milliseconds interval) {
    auto &state = zipengine::MessagePump();
    state.pump = std::move(pump);
    state.interval = std::max(interval, std::chrono::milliseconds(0));
    state.hasRun = false;
}

QByteArray TZipEngine::CommentBuffer() {
    const auto &store = zipengine::SharedComment();
    return QByteArray(store.chars, store.length);
}

std::int64_t TZipFileStats::TrueSize() const {
    return static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(static_cast<std::uint32_t>(EngineValue1)) << 32) |
        static_cast<std::uint32_t>(Size));
}

std::int64_t TZipFileStats::TrueCompressedSize() const {
    return static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(static_cast<std::uint32_t>(EngineValue2)) << 32) |
        static_cast<std::uint32_t>(CompressedSize));
}

namespace {

int SplitResult(std::int32_t result, std::int32_t &secondary) {
    const auto bits = static_cast<std::uint32_t>(result);
    secondary = static_cast<std::int32_t>(bits >> 16);
    return static_cast<int>(bits & 0xFFFFu);
}

// The entry point of one engine side, its library loaded on the first call
// and kept; nullptr while the library cannot be loaded.
EngineEntryPoint LoadedEntry(void *&module, EngineEntryPoint &entry, const char *moduleFile,
                             const char *entryName) {
    if (module == nullptr)
        module = LoadEngine(moduleFile, entryName, entry);
    return module == nullptr ? nullptr : entry;
}

int CallEngine(EngineEntryPoint entry, int argc, char **argv, TZipEngine &engine) {
    if (entry == nullptr) {
        engine.SecondaryCode = ZipResultNotLoaded;
        return ZipResultNotLoaded;
    }
    return SplitResult(entry(ENGINE_MAGIC, argc, argv, &TZipEngine::EngineCallback, &engine),
                       engine.SecondaryCode);
}

} // namespace

int TZipEngine::RunZipEngine(int argc, char **argv) {
    return CallEngine(
        LoadedEntry(modules_->zipModule, modules_->zipeng, ENGINE_ZIP_MODULE, ENGINE_ZIP_ENTRY),
        argc, argv, *this);
}

int TZipEngine::RunUnzipEngine(int argc, char **argv) {
    return CallEngine(LoadedEntry(modules_->unzipModule, modules_->unzeng, ENGINE_UNZIP_MODULE,
                                  ENGINE_UNZIP_ENTRY),
                      argc, argv, *this);
}

void TZipEngine::RethrowHandlerError() {
    if (handlerError_)
        std::rethrow_exception(std::exchange(handlerError_, nullptr));
}

int TZipEngine::RunFrame(Side side, const std::function<void(Arguments &)> &build,
                         bool clearFiles) {
    std::unique_ptr<Arguments> vector;
    try {
        vector = std::make_unique<Arguments>();
    } catch (const std::bad_alloc &) {
        return ZipResultArgumentList;
    }

    // Runs however the frame is left, so that a failure while building the
    // vector, or an error from a handler, still leaves the component clean.
    struct Cleanup {
        TZipEngine &engine;
        std::unique_ptr<Arguments> &vector;
        bool clearFiles;
        ~Cleanup() {
            engine.Abort = false;
            vector.reset();
            if (clearFiles) {
                engine.FilesToProcess = QStringList(); // clear() may allocate
                engine.FilePositions = QList<std::int32_t>();
                engine.LiteralNames = false;
            }
        }
    };

    // Only errors of this call count; one caught outside any call is stale.
    handlerError_ = nullptr;
    int code = ENGINE_OK;
    {
        const Cleanup cleanup{*this, vector, clearFiles};
        build(*vector);
        Abort = false;
        const zipengine::InterruptibleCall call;
        code = side == Side::Zip ? RunZipEngine(vector->Count(), vector->Data())
                                 : RunUnzipEngine(vector->Count(), vector->Data());
    }
    RethrowHandlerError();
    return code;
}

int TZipEngine::RunQuery(std::int32_t selector) {
    QByteArray path = ZipFileName.toUtf8();
    char *vector[2] = {reinterpret_cast<char *>(&selector), path.data()};
    handlerError_ = nullptr;
    Abort = false;
    const int code = [&] {
        const zipengine::InterruptibleCall call;
        return RunUnzipEngine(1, vector);
    }();
    Abort = false;
    RethrowHandlerError();
    return code;
}

std::int32_t TZipEngine::EntryCount() {
    readOnlyType_.clear();
    const int code = RunQuery(MultidiskMode ? ENGINE_QUERY_COUNT_MULTIDISK : ENGINE_QUERY_COUNT);
    return code == ENGINE_OK ? lastCount_ : 0;
}

TZipFileStats TZipEngine::EntryStats(std::int32_t index) {
    if (index < 0)
        return {};
    // Modular, so that the largest index cannot overflow.
    const int code = RunQuery(static_cast<std::int32_t>(static_cast<std::uint32_t>(index) + 1u));
    return code == ENGINE_OK ? lastEntry_ : TZipFileStats{};
}
