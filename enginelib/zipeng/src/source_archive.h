// The archive being changed, read through the format library: every entry
// with its central record (ready to be written again) and the range of its
// local record for a raw copy.
#pragma once

#include "record_layout.h"
#include "zipformat/status.h"

#include "zipformat/archive.h"

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace zipwrite {

struct ExistingEntry {
    std::string name;        // UTF-8, "/" separators
    CentralRecord central;   // localOffset: as stored (relative to the archive proper)
    std::uint64_t begin = 0; // absolute: local header
    std::uint64_t end = 0;   // absolute: after data and data descriptor
    std::time_t mtime = 0;
    bool exactTime = false; // mtime from an extra field, else from the DOS time
    bool isDir = false;
};

class SourceArchive {
public:
    // Leaves `out` null when the archive does not exist or is an empty file
    // (a new archive). Fails with 400 not accessible, 110 not a ZIP archive
    // or broken, 410 one disk of a set.
    static zipformat::Status open(const std::string &path, std::unique_ptr<SourceArchive> &out);
    // The same for an operation on an archive that must be there: one that
    // does not exist (or an empty file) is 100 not found.
    static zipformat::Status openExisting(const std::string &path,
                                          std::unique_ptr<SourceArchive> &out);
    // The same with the directory checked but not held: entries() stays
    // empty and the operation walks archive() (zipformat::EntryWalk), so
    // that a million entries cost a few bytes each.
    static zipformat::Status openWalked(const std::string &path,
                                        std::unique_ptr<SourceArchive> &out);

    const zipformat::Archive &archive() const { return archive_; }
    const std::vector<ExistingEntry> &entries() const { return entries_; }
    const std::string &comment() const { return comment_; }
    // Bytes in front of the archive proper (self-extractor stub).
    std::uint64_t prefix() const { return archive_.info().shift; }
    // Where new data may start in grow mode: the old central directory.
    std::uint64_t appendAt() const { return archive_.info().centralPos; }

private:
    static zipformat::Status openWith(const std::string &path, bool walked,
                                      std::unique_ptr<SourceArchive> &out);

    zipformat::Archive archive_;
    std::vector<ExistingEntry> entries_;
    std::string comment_;
};

// The central record of an entry as the directory holds it, ZIP64 fields
// folded into the 64-bit values.
CentralRecord centralRecordOf(const zipformat::Entry &e);

} // namespace zipwrite
