// Writes an archive as the pieces of a multi-disk set: NAME.z01, NAME.z02,
// ... and finally NAME.zip. A piece ends when the medium under the archive's
// folder is full (the free space the file system reports, or a write that
// finds it full), at the largest file the file system takes, or at the
// piece size asked for. When the medium is full, message 110 asks for the
// next disk; a stop answer ends the operation (190) and every piece written
// so far that is still reachable is removed.
//
// Records that must stay whole (headers) are never split: a piece ends early
// instead. Positions are logical and continuous across pieces, so piece k
// holds [start(k), start(k+1)) and placeOf() turns a position into the disk
// number and offset the directory records.
#pragma once

#include "output.h"

#include <cstdint>
#include <deque>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace zipwrite {

class Messenger;

struct SpanSettings {
    std::string archive;         // the last piece's path
    std::uint64_t pieceSize = 0; // 0: as much as the medium takes
    bool clearOld = false;       // "-&": remove an older set's pieces from each medium
};

class SpanWriter final : public Output {
public:
    SpanWriter(const SpanSettings &settings, Messenger &messenger);
    ~SpanWriter() override;
    SpanWriter(const SpanWriter &) = delete;
    SpanWriter &operator=(const SpanWriter &) = delete;

    using Output::write;
    zipformat::Status write(const void *data, std::size_t n) override;
    zipformat::Status writeTogether(const std::string &s) override;
    std::uint64_t position() const override { return bufStart_ + buf_.size(); }
    bool canRewrite(std::uint64_t at) const override;
    zipformat::Status patch(std::uint64_t at, const void *data, std::size_t n) override;
    zipformat::Status rewind(std::uint64_t at) override;

    struct Place {
        std::uint32_t disk = 0;
        std::uint64_t offset = 0;
    };
    // Where the record that starts at logical position `at` lies.
    zipformat::Status placeOf(std::uint64_t at, Place &place);
    // Makes sure the next `size` bytes go whole into the piece they start.
    zipformat::Status makeRoom(std::size_t size);
    // Ends the set: the current piece becomes the last, under the archive's name.
    zipformat::Status commit();

private:
    struct Piece {
        std::string path;
        std::uint64_t start = 0; // logical
        dev_t dev = 0;
        ino_t ino = 0;
    };

    zipformat::Status flush(bool all);
    zipformat::Status startPiece(std::size_t need);
    zipformat::Status endPiece();
    zipformat::Status askForDisk(std::uint32_t number);
    std::size_t cutBefore(std::size_t from, std::size_t take) const;
    zipformat::Status rawWrite(const std::uint8_t *data, std::size_t n, std::size_t &done);
    std::uint64_t available() const;
    void clearOldPieces();
    bool isOurs(const std::string &path) const;
    void removeWritten() noexcept;

    SpanSettings settings_;
    Messenger &msg_;
    std::string folder_;
    std::string leaf_;
    std::uint64_t maxFile_ = UINT64_MAX;
    std::vector<Piece> pieces_;
    int fd_ = -1;                  // the current piece, -1 between pieces
    std::uint64_t pieceBytes_ = 0; // in the current piece
    std::uint64_t limit_ = 0;      // what the current piece may take
    bool mediumFull_ = false;      // a write found no room: only a new medium helps
    bool newMedium_ = true;        // nothing of ours is on it yet
    std::uint64_t mediumWritten_ = 0;
    std::uint64_t mediumBytes_ = UINT64_MAX; // test hook
    std::vector<std::uint8_t> buf_;          // not yet in a piece
    std::uint64_t bufStart_ = 0;
    std::deque<std::pair<std::uint64_t, std::uint64_t>> together_; // logical [begin, end)
    bool committed_ = false;
};

} // namespace zipwrite
