#include "zipformat/archive.h"

#include "directory.h"
#include "zipformat/pieces.h"
#include "zipformat/records.h"

#include <new>
#include <sys/stat.h>
#include <utility>

namespace zipformat {

Archive::Archive() = default;
Archive::~Archive() = default;
Archive::Archive(Archive &&) noexcept = default;
Archive &Archive::operator=(Archive &&) noexcept = default;

namespace {

bool exists(const std::string &path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

// Opens the last piece of a set: the archive itself, or the piece that
// "NAME.z01" belongs to. When it is missing but the set's first piece is
// there (or was named), the last disk is asked for.
Error openLastPiece(detail::ArchiveState &s, const std::string &path, const OpenOptions &options,
                    const std::string &last) {
    s.path = last.empty() ? path : last;
    Error e = s.src.open(s.path);
    const bool setLikely = !last.empty() || exists(piecePath(s.path, 0, 2));
    for (int asked = 0; e == Error::NotFound && setLikely && options.askForPiece; ++asked) {
        if (asked >= 100)
            return Error::NotFound;
        if (!options.askForPiece(0))
            return Error::Aborted;
        e = s.src.open(s.path);
    }
    return e;
}

} // namespace

Error Archive::open(const std::string &path, const OpenOptions &options) noexcept {
    try {
        auto state = std::make_unique<detail::ArchiveState>();
        Error e = Error::Ok;
        if (options.allowMultidisk) {
            std::string last = lastPieceOf(path);
            if (!last.empty()) {
                // "NAME.z01" may be a whole archive that only has such a name.
                auto plain = std::make_unique<detail::ArchiveState>();
                plain->path = path;
                OpenOptions asIs = options;
                asIs.askForPiece = nullptr;
                if (plain->src.open(path) == Error::Ok &&
                    detail::readDirectory(*plain, asIs) == Error::Ok && !plain->src.isSet()) {
                    s_ = std::move(plain);
                    return Error::Ok;
                }
            }
            e = openLastPiece(*state, path, options, last);
        } else {
            state->path = path;
            e = state->src.open(path);
        }
        if (e != Error::Ok)
            return e;
        e = detail::readDirectory(*state, options);
        if (e != Error::Ok)
            return state->src.aborted() ? Error::Aborted : e;
        s_ = std::move(state);
        return Error::Ok;
    } catch (const std::bad_alloc &) {
        return Error::NoMemory;
    } catch (...) {
        return Error::BadDirectory;
    }
}

Error Archive::reopen(const Archive &checked) noexcept {
    try {
        const detail::ArchiveState *from = checked.s_.get();
        if (from == nullptr || !from->streamed)
            return Error::NotAccessible;
        auto state = std::make_unique<detail::ArchiveState>();
        state->path = from->path;
        if (const Error e = state->src.open(state->path); e != Error::Ok)
            return e;
        if (state->src.isSet() || state->src.size() != from->info.fileSize)
            return Error::NotAccessible;
        state->info = from->info;
        state->comment = from->comment;
        state->info.comment = state->comment;
        state->streamed = true;
        state->checkOverlap = from->checkOverlap;
        state->shift = from->shift;
        state->centralEnd = from->centralEnd;
        state->limits = from->limits;
        s_ = std::move(state);
        return Error::Ok;
    } catch (const std::bad_alloc &) {
        return Error::NoMemory;
    }
}

void Archive::close() noexcept {
    s_.reset();
}

void Archive::releaseFile() noexcept {
    if (s_)
        s_->src.close();
}

namespace {
const Source kNoSource;
const ArchiveInfo kNoInfo;
const Entry kNoEntry;
} // namespace

const Source &Archive::source() const noexcept {
    return s_ ? s_->src : kNoSource;
}
const ArchiveInfo &Archive::info() const noexcept {
    return s_ ? s_->info : kNoInfo;
}
std::size_t Archive::size() const noexcept {
    if (!s_)
        return 0;
    return s_->streamed ? static_cast<std::size_t>(s_->info.entryCount) : s_->entries.size();
}

bool Archive::holdsEntries() const noexcept {
    return s_ && !s_->streamed;
}

const Entry &Archive::entry(std::size_t index) const noexcept {
    return (s_ && index < s_->entries.size()) ? s_->entries[index] : kNoEntry;
}

std::span<const Entry> Archive::entries() const noexcept {
    if (!s_)
        return {};
    return {s_->entries.data(), s_->entries.size()};
}

Error Archive::locate(std::size_t index, EntryLocation &out) const noexcept {
    if (!s_ || index >= s_->entries.size())
        return Error::BadLocalHeader;
    return detail::locateEntry(*s_, s_->entries[index], out);
}

Error Archive::locate(const Entry &entry, EntryLocation &out) const noexcept {
    if (!s_)
        return Error::BadLocalHeader;
    return detail::locateEntry(*s_, entry, out);
}

} // namespace zipformat
