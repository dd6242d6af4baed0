// Worker threads that read and compress chunks while the calling thread
// writes finished chunks in order and sends every callback message. Entries
// are independent, so small files keep all cores busy as well as large ones.
#pragma once

#include "aes_writer.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zipwrite {

class DeflateTools;

// An open source file shared by the chunks of one entry.
struct SourceFile {
    explicit SourceFile(int descriptor) : fd(descriptor) {}
    ~SourceFile();
    SourceFile(const SourceFile &) = delete;
    SourceFile &operator=(const SourceFile &) = delete;
    int fd;
};

struct ChunkTask {
    // Input.
    std::shared_ptr<SourceFile> source;
    std::uint64_t offset = 0;
    std::size_t length = 0;
    int level = 6;           // 0: store
    bool finalChunk = true;  // last chunk of its entry
    bool singleChunk = true; // the entry is this one chunk
    // Set on the first chunk of an entry encrypted with AES: the entry's keys
    // are derived here (a thousand rounds of HMAC-SHA1 each, too much for
    // the writing thread when there are thousands of small files) and this
    // chunk's data is encrypted with them.
    const std::string *aesPassword = nullptr;
    std::uint8_t aesStrength = 0;
    // Output, valid once done.
    std::vector<std::uint8_t> data;    // compressed bytes, or the raw bytes when stored
    std::uint32_t crc = 0;             // CRC-32 of this chunk's input
    bool stored = false;               // data holds the raw input
    std::unique_ptr<AesEncryptor> aes; // with aesPassword: data is encrypted
    int error = 0;                     // errno of a failed read; EIO for a short one
    bool failed = false;               // compression failed (treated like no memory)
    bool done = false;
};

class ChunkPipeline {
public:
    explicit ChunkPipeline(unsigned threads);
    ~ChunkPipeline();
    ChunkPipeline(const ChunkPipeline &) = delete;
    ChunkPipeline &operator=(const ChunkPipeline &) = delete;

    void submit(const std::shared_ptr<ChunkTask> &task);
    // Waits until `task` is done, doing it on the calling thread when no
    // worker has begun it: sleeping while it waits its turn in the queue
    // would leave a core idle.
    void wait(ChunkTask &task);

private:
    void run();

    std::mutex mutex_;
    std::condition_variable work_;
    std::condition_variable finished_;
    std::deque<std::shared_ptr<ChunkTask>> queue_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
    // The calling thread's own, for the tasks it does itself.
    std::unique_ptr<DeflateTools> callerTools_;
    std::vector<std::uint8_t> callerInput_;
};

// Reads [offset, offset+length) of fd completely; returns 0 or an errno.
int readFully(int fd, std::uint64_t offset, std::uint8_t *buffer, std::size_t length);

} // namespace zipwrite
