#include "entry_cursor.h"

#include "results.h"
#include "zipformat/aes.h"
#include "zipformat/reader.h"

namespace zipread {

using zipformat::Error;

EntryKind ZipCursor::kind() const {
    const zipformat::Entry &e = entry();
    if (e.isDirectory())
        return EntryKind::Directory;
    return e.isSymlink() ? EntryKind::Symlink : EntryKind::File;
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
