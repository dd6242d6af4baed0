// A read-only archive file: positioned reads with every range checked
// against the file size, so callers never read past what the file holds.
//
// The pieces of a multi-disk set (NAME.z01, NAME.z02, ..., NAME.zip) can be
// read as one: piece k then covers [pieceStart(k), pieceStart(k+1)), so
// every position the directory names becomes an ordinary position and data
// that crosses from one piece into the next reads straight through. Only one
// piece is open at a time; a piece that is not there (another medium) is
// asked for through a callback, with every piece closed meanwhile.
#pragma once

#include "zipformat/error.h"

#include <cstddef>
#include <cstdint>
#include <functional>
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
    // whole set: the other pieces are found by name beside it and sized,
    // each one that is missing asked for through `request`. Aborted when a
    // request was refused, NotFound when a piece never turned up.
    Error attachPieces(const std::string &lastPath, std::uint32_t count,
                       PieceRequest request) noexcept;
    bool isSet() const noexcept { return !pieces_.empty(); }
    // Position of the first byte of piece `disk`; a plain file is one piece
    // whatever number it is given. UINT64_MAX for a piece the set lacks.
    std::uint64_t pieceStart(std::uint32_t disk) const noexcept;
    // True once a request for a piece was refused.
    bool aborted() const noexcept { return aborted_; }
    void close() noexcept;
    bool isOpen() const noexcept { return fd_ >= 0; }
    std::uint64_t size() const noexcept { return size_; }
    int fd() const noexcept { return fd_; }

    // Reads exactly `size` bytes at `offset`; false when the range is not
    // wholly inside the file or the read fails.
    bool readAt(std::uint64_t offset, void *out, std::size_t size) const noexcept;
    // True when [offset, offset + size) lies inside the file, without overflow.
    bool contains(std::uint64_t offset, std::uint64_t size) const noexcept {
        return offset <= size_ && size <= size_ - offset;
    }

private:
    struct Piece {
        std::string path;
        std::uint64_t start = 0;
        std::uint64_t size = 0;
    };
    bool openPiece(std::size_t index) const noexcept;
    bool readPieces(std::uint64_t offset, unsigned char *out, std::size_t size) const noexcept;

    mutable int fd_ = -1;
    std::uint64_t size_ = 0;
    std::vector<Piece> pieces_;       // empty for a plain file
    mutable std::size_t current_ = 0; // the piece fd_ belongs to
    PieceRequest request_;
    mutable bool aborted_ = false;
};

} // namespace zipformat
