#include "zipformat/entry_walk.h"

#include "directory.h"

#include <new>

namespace zipformat {

EntryWalk::EntryWalk(const Archive &archive) : archive_(archive) {
    if (archive.s_ && archive.s_->streamed)
        reader_ = std::make_unique<detail::CentralReader>(*archive.s_, archive.s_->shift);
}

EntryWalk::~EntryWalk() = default;

bool EntryWalk::next() noexcept {
    if (error_ != Error::Ok || index_ >= archive_.size())
        return false;
    if (!reader_) {
        current_ = archive_.entry(index_++);
        return true;
    }
    try {
        if (!reader_->next(current_)) {
            // Fewer records than the open counted: the file changed since.
            error_ = reader_->error() != Error::Ok ? reader_->error() : Error::BadDirectory;
            return false;
        }
        detail::nameEntry(current_, name_);
        current_.limitPos = detail::limitOf(*archive_.s_, current_);
        ++index_;
        return true;
    } catch (const std::bad_alloc &) {
        error_ = Error::NoMemory;
        return false;
    }
}

} // namespace zipformat
