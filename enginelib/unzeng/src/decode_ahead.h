// Reads the small entries an operation is about to reach on the other
// cores, ahead of it. The operation still takes each entry in directory
// order on its own thread: it sends every message, asks every question and
// decides every file itself, and only then uses what was done ahead (a
// checked result, or a finished file waiting under a temporary name), so
// what the user sees keeps its order. Only what needs no question is read
// ahead: entries that are not encrypted and small enough to finish quickly
// (a large entry stays one stream, read when its turn comes, with its
// progress as it goes).
#pragma once

#include "zipformat/archive.h"
#include "zipformat/entry.h"
#include "zipformat/error.h"

#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zipread {

// What an entry read ahead left for its turn.
struct AheadResult {
    zipformat::Error error = zipformat::Error::Ok;
    // The percentages the read reported, in order, to be sent at its turn.
    std::array<std::uint8_t, 101> steps{};
    std::size_t stepCount = 0;
    // Extracting: the finished file's temporary name, empty once placed.
    std::string staged;
    // What prepare() worked out on the operation's thread.
    std::time_t modified = 0;
};

// The work done ahead, on whichever thread reaches the entry first; it must
// touch nothing but the archive (read only) and its own result.
class AheadJob {
public:
    virtual ~AheadJob() = default;
    // Called on the operation's thread as the entry is queued, for what is
    // not safe to work out on another (the local time zone).
    virtual void prepare(const zipformat::Entry &, AheadResult &) {}
    // False when nothing could be done: the entry is read at its turn.
    virtual bool run(const zipformat::Archive &archive, const zipformat::Entry &entry,
                     AheadResult &result) noexcept = 0;
    // Removes what an entry that was not used left behind.
    virtual void drop(AheadResult &) noexcept {}
};

class DecodeAhead {
public:
    // An entry of the walk, held with its own copies of the texts.
    struct Item {
        zipformat::Entry entry;
        std::size_t index = 0;
        bool ahead = false;                                              // queued for a thread
        enum class State { Waiting, Running, Done } state = State::Done; // under the mutex
        bool usable = false; // the job ran and did its work
        AheadResult result;

        void hold(const zipformat::Entry &e);

    private:
        std::string name_, rawName_, extra_, comment_;
    };

    DecodeAhead(const zipformat::Archive &archive, AheadJob &job);
    // Waits for the threads and drops what no turn used.
    ~DecodeAhead();
    DecodeAhead(const DecodeAhead &) = delete;
    DecodeAhead &operator=(const DecodeAhead &) = delete;

    // Whether `e` may be read ahead at all.
    static bool suits(const zipformat::Entry &e) noexcept;
    // True while more entries may be queued.
    bool hasRoom() const;
    // Queues the entry, read ahead when `ahead`.
    void push(const zipformat::Entry &e, std::size_t index, bool ahead);
    bool empty() const { return items_.empty(); }
    // Makes the first queued entry the current one.
    void pop();
    const Item &current() const { return *current_; }
    // The current entry's result, reading it here when no other thread has
    // begun to; null when it was not read ahead or its job could not run.
    AheadResult *take();

private:
    void work();
    // Waits until no thread is on the current item, taking it over when
    // none has begun; true when it was taken over.
    bool settle();
    void run(Item &item) noexcept;
    void release(Item &item) noexcept;

    const zipformat::Archive &archive_;
    AheadJob &job_;
    std::deque<std::unique_ptr<Item>> items_;
    std::unique_ptr<Item> current_;
    std::uint64_t queuedBytes_ = 0;

    // Shared with the threads.
    std::mutex mutex_;
    std::condition_variable wake_, done_;
    std::deque<Item *> waiting_; // front: the nearest
    unsigned idle_ = 0;          // threads asleep
    bool awaited_ = false;       // the operation waits for a thread's item
    bool stop_ = false;
    std::vector<std::thread> threads_;
};

} // namespace zipread
