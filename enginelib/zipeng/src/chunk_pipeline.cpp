#include "chunk_pipeline.h"

#include "deflate_jobs.h"
#include "zipformat/crc32.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace zipwrite {

SourceFile::~SourceFile() {
    if (fd >= 0)
        ::close(fd);
}

int readFully(int fd, std::uint64_t offset, std::uint8_t *buffer, std::size_t length) {
    std::size_t got = 0;
    while (got < length) {
        const ssize_t n = ::pread(fd, buffer + got, length - got, static_cast<off_t>(offset + got));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO; // the file became shorter while it was read
        got += static_cast<std::size_t>(n);
    }
    return 0;
}

ChunkPipeline::ChunkPipeline(unsigned threads) {
    if (threads == 0)
        threads = 1;
    for (unsigned i = 0; i < threads; ++i)
        threads_.emplace_back([this] { run(); });
}

ChunkPipeline::~ChunkPipeline() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    work_.notify_all();
    for (auto &t : threads_)
        t.join();
}

void ChunkPipeline::submit(const std::shared_ptr<ChunkTask> &task) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back(task);
    }
    work_.notify_one();
}

namespace {

void encrypt(ChunkTask &task) {
    if (task.aesPassword == nullptr)
        return;
    auto aes = std::make_unique<AesEncryptor>();
    if (aes->start(*task.aesPassword, task.aesStrength).failed()) {
        task.failed = true;
        return;
    }
    aes->encrypt(task.data.data(), task.data.size());
    task.aes = std::move(aes);
}

void compress(ChunkTask &task, DeflateTools &tools, std::vector<std::uint8_t> &input) {
    input.resize(task.length);
    task.error = readFully(task.source->fd, task.offset, input.data(), task.length);
    // Closed as soon as its last chunk is read, not when the entry is written.
    task.source.reset();
    if (task.error != 0)
        return;
    task.crc = zipformat::crc32(0, input.data(), task.length);
    if (task.level > 0 && task.length > 0) {
        if (!tools.compress(input.data(), task.length, task.level, task.finalChunk, task.data)) {
            task.failed = true;
            return;
        }
        // A single-chunk entry that deflate would make larger is stored
        // instead; the caller does the same for the sum of several chunks.
        if (!task.singleChunk || task.data.size() < task.length)
            return;
    }
    task.stored = true;
    task.data.swap(input);
    input.clear();
}

void process(ChunkTask &task, DeflateTools &tools, std::vector<std::uint8_t> &input) {
    compress(task, tools, input);
    if (task.error == 0 && !task.failed)
        encrypt(task);
}

void processSafely(ChunkTask &task, DeflateTools &tools, std::vector<std::uint8_t> &input) {
    try {
        process(task, tools, input);
    } catch (...) {
        task.failed = true;
    }
}

} // namespace

void ChunkPipeline::wait(ChunkTask &task) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (task.done)
        return;
    const auto queued =
        std::find_if(queue_.begin(), queue_.end(),
                     [&](const std::shared_ptr<ChunkTask> &t) { return t.get() == &task; });
    if (queued == queue_.end()) {
        finished_.wait(lock, [&] { return task.done; });
        return;
    }
    queue_.erase(queued);
    lock.unlock();
    if (!callerTools_)
        callerTools_ = std::make_unique<DeflateTools>();
    processSafely(task, *callerTools_, callerInput_);
    lock.lock();
    task.done = true;
}

void ChunkPipeline::run() {
    DeflateTools tools;
    std::vector<std::uint8_t> input;
    for (;;) {
        std::shared_ptr<ChunkTask> task;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            work_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
            if (stopping_)
                return;
            task = queue_.front();
            queue_.pop_front();
        }
        processSafely(*task, tools, input);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            task->done = true;
        }
        finished_.notify_all();
    }
}

} // namespace zipwrite
