#include "decode_ahead.h"

#include "zipformat/aes.h"
#include "zipformat/reader.h"

#include <algorithm>

namespace zipread {
namespace {

// Entries up to this size are read ahead; a larger one is read as one
// stream with its progress as it goes.
constexpr std::uint64_t kMaxAheadEntry = std::uint64_t{4} << 20;
// What may be queued at once, in entries and in bytes.
constexpr std::size_t kMaxQueued = 256;
constexpr std::uint64_t kMaxQueuedBytes = std::uint64_t{64} << 20;
// A sleeping thread is woken when this many items wait: waking it costs
// two switches, more than reading one small entry.
constexpr std::size_t kWakeBatch = 32;

} // namespace

void DecodeAhead::Item::hold(const zipformat::Entry &e) {
    entry = e;
    name_.assign(e.name);
    rawName_.assign(e.rawName);
    extra_.assign(e.extra);
    comment_.assign(e.comment);
    entry.name = name_;
    entry.rawName = rawName_;
    entry.extra = extra_;
    entry.comment = comment_;
}

DecodeAhead::DecodeAhead(const zipformat::Archive &archive, AheadJob &job)
    : archive_(archive), job_(job) {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    // The operation's own thread reads too when it catches up.
    for (unsigned i = 1; i < cores; ++i)
        threads_.emplace_back([this] { work(); });
}

DecodeAhead::~DecodeAhead() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    for (std::thread &t : threads_)
        t.join();
    if (current_)
        release(*current_);
    for (const std::unique_ptr<Item> &item : items_)
        release(*item);
}

bool DecodeAhead::suits(const zipformat::Entry &e) noexcept {
    return e.isReadable() && !e.isEncrypted() && !zipformat::isAes(e) && !e.isDirectory() &&
           zipformat::methodSupported(e.method) && e.compressedSize <= kMaxAheadEntry &&
           e.uncompressedSize <= kMaxAheadEntry;
}

bool DecodeAhead::hasRoom() const {
    return items_.size() < kMaxQueued && queuedBytes_ < kMaxQueuedBytes;
}

void DecodeAhead::push(const zipformat::Entry &e, std::size_t index, bool ahead) {
    auto item = std::make_unique<Item>();
    item->hold(e);
    item->index = index;
    item->ahead = ahead;
    Item *raw = item.get();
    items_.push_back(std::move(item));
    if (!ahead)
        return;
    queuedBytes_ += e.uncompressedSize;
    job_.prepare(raw->entry, raw->result);
    bool wake = false;
    {
        std::lock_guard lock(mutex_);
        raw->state = Item::State::Waiting;
        waiting_.push_back(raw);
        wake = idle_ > 0 && waiting_.size() >= kWakeBatch;
    }
    // A busy thread finds the item when it is done.
    if (wake)
        wake_.notify_one();
}

bool DecodeAhead::settle() {
    std::unique_lock lock(mutex_);
    Item &item = *current_;
    if (item.state == Item::State::Waiting) {
        // At the front: the threads take items from the back.
        waiting_.erase(std::find(waiting_.begin(), waiting_.end(), &item));
        item.state = Item::State::Running;
        return true;
    }
    awaited_ = true;
    done_.wait(lock, [&] { return item.state == Item::State::Done; });
    awaited_ = false;
    return false;
}

void DecodeAhead::release(Item &item) noexcept {
    if (!item.ahead)
        return;
    item.ahead = false;
    queuedBytes_ -= item.entry.uncompressedSize;
    if (item.usable)
        job_.drop(item.result);
}

void DecodeAhead::pop() {
    if (current_ && current_->ahead) {
        // Not taken (not selected after all, or the operation went on
        // without it): a thread may still be on it.
        if (settle()) {
            std::lock_guard lock(mutex_);
            current_->state = Item::State::Done;
        }
        release(*current_);
    }
    current_ = std::move(items_.front());
    items_.pop_front();
}

AheadResult *DecodeAhead::take() {
    Item &item = *current_;
    if (!item.ahead)
        return nullptr;
    if (settle()) {
        run(item);
        std::lock_guard lock(mutex_);
        item.state = Item::State::Done;
    }
    return item.usable ? &item.result : nullptr;
}

void DecodeAhead::run(Item &item) noexcept {
    item.usable = job_.run(archive_, item.entry, item.result);
}

void DecodeAhead::work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        ++idle_;
        wake_.wait(lock, [&] { return stop_ || !waiting_.empty(); });
        --idle_;
        if (stop_)
            return;
        // The farthest first: the operation reads the nearest itself when
        // it gets there, so neither waits for the other.
        Item *item = waiting_.back();
        waiting_.pop_back();
        item->state = Item::State::Running;
        lock.unlock();
        run(*item);
        lock.lock();
        item->state = Item::State::Done;
        if (awaited_)
            done_.notify_all();
    }
}

} // namespace zipread
