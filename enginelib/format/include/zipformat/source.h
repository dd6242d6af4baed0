// A read-only archive file: positioned reads with every range checked
// against the file size, so callers never read past what the file holds.
//
// The pieces of a multi-disk set (NAME.z01, NAME.z02, ..., NAME.zip) can be
// read as one without knowing their sizes beforehand, so that a set on
// removable media needs only the disks whose bytes are read: piece k starts
// at position positionOf(k, 0), a fixed stride apart, and a position past the
// end of piece k goes on into piece k + 1, so data that crosses from one
// piece into the next reads straight through. Positions within one piece
// subtract as byte counts; across pieces, distance() knows the way. Only
// one piece is open at a time; a piece that is not there (another medium)
// is asked for through a callback when its bytes are needed, with every
// piece closed meanwhile.
#pragma once

#include "zipformat/error.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace zipformat {

// Asks for a piece of a set to be made available, by the number a user
// knows it by: 0 for the last piece, k for piece k (NAME.z0k). False when
// the user gave up.
using PieceRequest = std::function<bool(std::uint32_t diskNumber)>;

class Source {
public:
    Source() = default;
    ~Source();
    Source(const Source &) = delete;
    Source &operator=(const Source &) = delete;
    Source(Source &&other) noexcept;
    Source &operator=(Source &&other) noexcept;

    // NotFound, NotAccessible (also for folders) or Ok.
    Error open(const std::string &path) noexcept;
    // Turns the open file, the last piece of a set of `count`, into the
    // whole set. The other pieces are found by name beside it when they are
    // read, each one that is missing asked for through `request` then.
    // BadDirectory when the last piece is too large for the set's stride.
    Error attachPieces(const std::string &lastPath, std::uint32_t count,
                       PieceRequest request) noexcept;
    bool isSet() const noexcept { return count_ > 0; }
    // Position of byte `offset` of piece `disk`; a plain file is one piece
    // whatever number it is given. UINT64_MAX for a piece the set lacks or
    // an offset no piece can have.
    std::uint64_t positionOf(std::uint32_t disk, std::uint64_t offset) const noexcept;
    // Bytes from position `from` on to position `to`, found without asking
    // for any piece: false when `to` lies before `from` or the size of a
    // piece in between is unknown and that piece is not at hand.
    bool distance(std::uint64_t from, std::uint64_t to, std::uint64_t &bytes) const noexcept;
    // Reads everything from `from` up to `to` into `out`, piece after piece,
    // each asked for once if it is missing; false as readAt().
    bool readRange(std::uint64_t from, std::uint64_t to,
                   std::vector<std::uint8_t> &out) const noexcept;
    // True once a request for a piece was refused.
    bool aborted() const noexcept { return aborted_; }
    void close() noexcept;
    bool isOpen() const noexcept { return fd_ >= 0; }
    std::uint64_t size() const noexcept { return size_; }
    int fd() const noexcept { return fd_; }

    // Reads exactly `size` bytes at `offset`; false when the range is not
    // wholly inside the file or the read fails.
    bool readAt(std::uint64_t offset, void *out, std::size_t size) const noexcept;
    // True when [offset, offset + size) lies inside the file, without
    // overflow. For a set, size() is the end of the last piece's positions.
    bool contains(std::uint64_t offset, std::uint64_t size) const noexcept {
        return offset <= size_ && size <= size_ - offset;
    }

private:
    bool openPiece(std::uint32_t index) const noexcept;
    // The size of piece `index` when it is known or the piece is at hand.
    bool sizeAtHand(std::uint32_t index, std::uint64_t &size) const noexcept;
    bool knownSize(std::uint32_t index, std::uint64_t &size) const noexcept;
    bool learnSize(std::uint32_t index, std::uint64_t size) const noexcept;
    bool readPieces(std::uint64_t offset, unsigned char *out, std::size_t size) const noexcept;

    mutable int fd_ = -1;
    std::uint64_t size_ = 0;
    // A set: how many pieces, and the stride between their starts (1 << shift_).
    std::uint32_t count_ = 0; // 0 for a plain file
    unsigned shift_ = 0;
    std::string lastPath_;
    // Sizes seen so far: a piece read once is not asked for again to step
    // over it, and a different file under its name is noticed.
    mutable std::map<std::uint32_t, std::uint64_t> sizes_;
    mutable std::uint32_t current_ = 0; // the piece fd_ belongs to
    mutable std::uint64_t currentSize_ = 0;
    PieceRequest request_;
    mutable bool aborted_ = false;
};

} // namespace zipformat
