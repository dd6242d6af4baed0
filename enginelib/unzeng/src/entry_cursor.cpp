#include "entry_cursor.h"

#include "results.h"
#include "zipformat/aes.h"
#include "zipformat/reader.h"

#include <thread>

namespace zipread {

using zipformat::Error;

EntryKind ZipCursor::kind() const {
    const zipformat::Entry &e = entry();
    if (e.isDirectory())
        return EntryKind::Directory;
    return e.isSymlink() ? EntryKind::Symlink : EntryKind::File;
}

void ZipCursor::readAhead(const Wanted &wanted, AheadJob &job) {
    // The pieces of a set are read one at a time and may have to be asked
    // for; on a single core there is nobody to read ahead.
    if (archive_.source().isSet() || std::thread::hardware_concurrency() < 2)
        return;
    wanted_ = wanted;
    ahead_ = std::make_unique<DecodeAhead>(archive_, job);
}

bool ZipCursor::next() {
    if (!ahead_) {
        if (!walk_.next())
            return false;
        ++index_;
        return true;
    }
    while (ahead_->hasRoom() && walk_.next()) {
        ++index_;
        const zipformat::Entry &e = walk_.entry();
        ahead_->push(e, index_, DecodeAhead::suits(e) && wanted_(index_, e));
    }
    if (ahead_->empty())
        return false;
    ahead_->pop();
    return true;
}

Error ZipCursor::read(zipformat::OutputSink &sink) {
    zipformat::SecretString password;
    Error err = passwords_.resolve(archive_, entry(), password);
    if (err != Error::Ok)
        return err;
    zipformat::ReadOptions options;
    options.password = password;
    return zipformat::readEntry(archive_, entry(), sink, options);
}

std::uint8_t ZipCursor::skipReason(Error e) const {
    const zipformat::Entry &entry = this->entry();
    return zipread::skipReason(e, entry.isEncrypted() && !zipformat::isAes(entry));
}

std::uint8_t OtherCursor::skipReason(Error e) const {
    return zipread::skipReason(e, false);
}

} // namespace zipread
