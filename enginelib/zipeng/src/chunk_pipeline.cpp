#include "chunk_pipeline.h"

#include "deflate_jobs.h"
#include "zipformat/crc32.h"

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

void ChunkPipeline::wait(ChunkTask &task) {
    std::unique_lock<std::mutex> lock(mutex_);
    finished_.wait(lock, [&] { return task.done; });
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

} // namespace

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
        try {
            process(*task, tools, input);
        } catch (...) {
            task->failed = true;
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            task->done = true;
        }
        finished_.notify_all();
    }
}

} // namespace zipwrite
