// The entries of an archive one after another, whatever its format: the
// list, test and extract operations walk a cursor, so a ZIP archive read by
// our own format code and another format read front to back through
// libarchive follow the same rules and send the same messages.
#pragma once

#include "decode_ahead.h"
#include "other_archive.h"
#include "passwords.h"
#include "zipformat/archive.h"
#include "zipformat/entry_walk.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

namespace zipread {

class EntryCursor {
public:
    virtual ~EntryCursor() = default;
    // Moves to the next entry; false at the end or when the archive turned
    // out damaged (error()).
    virtual bool next() = 0;
    virtual const zipformat::Entry &entry() const = 0;
    // The entry's position in the archive, counted from 0 in the order a
    // listing reports entries.
    virtual std::size_t index() const = 0;
    virtual EntryKind kind() const = 0;
    // For a Hardlink: the name of the entry whose file it shares.
    virtual std::string_view linkedName() const { return {}; }
    // The current entry's data (a link's text for a Symlink), asking for a
    // password where one is needed.
    virtual zipformat::Error read(zipformat::OutputSink &sink) = 0;
    // Why the walk ended early; Ok when it reached the end.
    virtual zipformat::Error error() const { return zipformat::Error::Ok; }
    // The skip reason for an entry whose read failed with `e`.
    virtual std::uint8_t skipReason(zipformat::Error e) const = 0;

    // Lets the cursor run `job` on the entries `wanted` picks (asked once
    // for each entry, in order, before it is reached) on other threads,
    // ahead of their turn, until endAhead(). A cursor that cannot read ahead
    // ignores it.
    using Wanted = std::function<bool(std::size_t index, const zipformat::Entry &)>;
    virtual void readAhead(const Wanted &, AheadJob &) {}
    // What the job left for the current entry; null when it was not read
    // ahead, and the entry is read at its turn.
    virtual AheadResult *ahead() { return nullptr; }
    // Stops reading ahead and drops what no turn used: before the job goes.
    virtual void endAhead() {}
};

// Ends reading ahead however the operation leaves.
class AheadScope {
public:
    explicit AheadScope(EntryCursor &cursor) noexcept : cursor_(cursor) {}
    ~AheadScope() { cursor_.endAhead(); }
    AheadScope(const AheadScope &) = delete;
    AheadScope &operator=(const AheadScope &) = delete;

private:
    EntryCursor &cursor_;
};

class ZipCursor final : public EntryCursor {
public:
    ZipCursor(Messenger &messenger, const zipformat::Archive &archive, const std::string &password)
        : archive_(archive), walk_(archive), passwords_(messenger, password) {}
    bool next() override;
    const zipformat::Entry &entry() const override {
        return ahead_ ? ahead_->current().entry : walk_.entry();
    }
    std::size_t index() const override { return ahead_ ? ahead_->current().index : index_; }
    EntryKind kind() const override;
    zipformat::Error read(zipformat::OutputSink &sink) override;
    zipformat::Error error() const override { return walk_.error(); }
    std::uint8_t skipReason(zipformat::Error e) const override;
    void readAhead(const Wanted &wanted, AheadJob &job) override;
    AheadResult *ahead() override { return ahead_ ? ahead_->take() : nullptr; }
    void endAhead() override { ahead_.reset(); }

private:
    const zipformat::Archive &archive_;
    zipformat::EntryWalk walk_;
    Passwords passwords_;
    std::size_t index_ = static_cast<std::size_t>(-1); // of the walk
    std::unique_ptr<DecodeAhead> ahead_;
    Wanted wanted_;
};

class OtherCursor final : public EntryCursor {
public:
    explicit OtherCursor(OtherArchive &archive) : archive_(archive) {}
    bool next() override {
        if (!archive_.next())
            return false;
        ++index_;
        return true;
    }
    const zipformat::Entry &entry() const override { return archive_.entry(); }
    std::size_t index() const override { return index_; }
    EntryKind kind() const override { return archive_.kind(); }
    std::string_view linkedName() const override { return archive_.linkedName(); }
    zipformat::Error read(zipformat::OutputSink &sink) override { return archive_.read(sink); }
    zipformat::Error error() const override { return archive_.error(); }
    std::uint8_t skipReason(zipformat::Error e) const override;

private:
    OtherArchive &archive_;
    std::size_t index_ = static_cast<std::size_t>(-1);
};

} // namespace zipread
