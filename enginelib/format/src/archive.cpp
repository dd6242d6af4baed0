#include "zipformat/archive.h"

#include "directory.h"

#include <new>
#include <utility>

namespace zipformat {

Archive::Archive() = default;
Archive::~Archive() = default;
Archive::Archive(Archive &&) noexcept = default;
Archive &Archive::operator=(Archive &&) noexcept = default;

Error Archive::open(const std::string &path, const OpenOptions &options) noexcept {
    try {
        auto state = std::make_unique<detail::ArchiveState>();
        Error e = state->src.open(path);
        if (e != Error::Ok)
            return e;
        e = detail::readDirectory(*state, options);
        if (e != Error::Ok)
            return e;
        s_ = std::move(state);
        return Error::Ok;
    } catch (const std::bad_alloc &) {
        return Error::NoMemory;
    } catch (...) {
        return Error::BadDirectory;
    }
}

void Archive::close() noexcept {
    s_.reset();
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
    return s_ ? s_->entries.size() : 0;
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

} // namespace zipformat
