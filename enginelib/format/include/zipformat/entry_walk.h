// The entries of an open archive one after another, in directory order.
// Over an archive opened with OpenOptions::streamEntries the directory is
// read again as the walk goes, a bounded chunk at a time, so listing,
// testing or extracting a million entries holds one of them at a time.
#pragma once

#include "zipformat/archive.h"
#include "zipformat/entry.h"
#include "zipformat/error.h"

#include <cstddef>
#include <memory>
#include <string>

namespace zipformat {

namespace detail {
class CentralReader;
}

class EntryWalk {
public:
    explicit EntryWalk(const Archive &archive);
    ~EntryWalk();
    EntryWalk(const EntryWalk &) = delete;
    EntryWalk &operator=(const EntryWalk &) = delete;

    // Moves to the next entry; false at the end or when the directory no
    // longer reads as it did when the archive was opened (error()).
    bool next() noexcept;
    // The current entry, valid until the next step.
    const Entry &entry() const noexcept { return current_; }
    Error error() const noexcept { return error_; }

private:
    const Archive &archive_;
    std::unique_ptr<detail::CentralReader> reader_;
    Entry current_;
    std::string name_;
    std::size_t index_ = 0; // of the next entry
    Error error_ = Error::Ok;
};

} // namespace zipformat
