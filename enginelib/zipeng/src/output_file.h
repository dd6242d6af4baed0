// Writing an archive without ever losing the old one.
//
// Temporary mode: everything goes to a new file in the "-b" folder (or the
// archive's own folder); on commit it is synced and put in place of the old
// archive by rename, or by a copy next to the archive and a rename when the
// folders are on different file systems. Until then the old archive is not
// touched, and an abandoned temporary file is removed.
//
// Grow mode ("-g"): the archive is opened in place; new data overwrites its
// old central directory, which is kept in memory. If the operation does not
// commit, the old bytes are written back and the file is cut to its old
// length. Before that, a copy of the old directory is put beyond the room
// the new data can take (shadow()), so that a process killed half-way still
// leaves a file whose last end record leads to a complete old directory.
#pragma once

#include "output.h"

#include <cstdint>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

namespace zipwrite {

class OutputFile final : public Output {
public:
    // ENGINE_TEMP_FILE when no temporary file can be made.
    static zipformat::Status createTemporary(const std::string &archive, const std::string &tempDir,
                                             std::unique_ptr<OutputFile> &out);
    // ENGINE_NOT_ACCESSIBLE when the archive cannot be opened for writing.
    static zipformat::Status openForGrowth(const std::string &archive, std::uint64_t appendAt,
                                           std::unique_ptr<OutputFile> &out);
    ~OutputFile() override;
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    using Output::write;
    zipformat::Status write(const void *data, std::size_t n) override;
    std::uint64_t position() const override { return position_; }
    bool canRewrite(std::uint64_t) const override { return true; }
    // Grow mode: writes `bytes` at absolute position `at` (past everything
    // the operation will write) and syncs them. commit() cuts them off.
    zipformat::Status shadow(std::uint64_t at, const std::string &bytes);
    // Overwrites bytes already written.
    zipformat::Status patch(std::uint64_t at, const void *data, std::size_t n) override;
    // Drops everything from `at` on; writing continues there.
    zipformat::Status rewind(std::uint64_t at) override;
    // Makes the result durable and puts it in place. On failure the old
    // archive is as it was.
    zipformat::Status commit();
    // Pushes buffered bytes to the file, e.g. to read it back.
    zipformat::Status flush();
    // The temporary file's path (temporary mode only).
    const std::string &temporaryPath() const { return tempPath_; }

private:
    OutputFile() = default;
    zipformat::Status rawWrite(std::uint64_t at, const void *data, std::size_t n);
    zipformat::Status fail(int err) const;
    void rollback() noexcept;

    int fd_ = -1;
    bool grow_ = false;
    bool committed_ = false;
    std::string archive_;
    std::string tempPath_;
    std::uint64_t position_ = 0;  // logical end of what was written
    std::uint64_t flushedTo_ = 0; // file offset of buffer_[0]
    std::vector<std::uint8_t> buffer_;
    // Grow mode: what to put back.
    std::uint64_t oldLength_ = 0;
    std::uint64_t appendAt_ = 0;
    std::vector<std::uint8_t> savedTail_;
    // Test hook: TARNWICK_ZIPENG_FAIL_AFTER=N makes writes fail with a full
    // disk once N bytes have been written through this object.
    std::uint64_t failAfter_ = UINT64_MAX;
    std::uint64_t bytesWritten_ = 0;
};

} // namespace zipwrite
