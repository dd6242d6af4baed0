// Writes the new state of an archive: the kept old entries (copied raw into a
// temporary file, or left where they are when the archive grows in place),
// whatever the operation adds, then the central directory and end records.
#pragma once

#include "output_file.h"
#include "record_layout.h"
#include "source_archive.h"
#include "span_writer.h"

#include <memory>
#include <string>
#include <vector>

namespace zipwrite {

class Messenger;

class ArchiveWriter {
public:
    // grow: write into the existing archive (requires `source`); growRoom is
    // an upper bound of what the operation will write there (new entries,
    // directory and end records), beyond which the old directory is kept
    // safe until the new one is complete.
    static zipformat::Status open(const std::string &archivePath, const SourceArchive *source,
                                  bool grow, const std::string &tempDir, std::uint64_t growRoom,
                                  std::unique_ptr<ArchiveWriter> &out);

    // A new multi-disk set, written piece by piece (nothing is kept).
    explicit ArchiveWriter(std::unique_ptr<SpanWriter> span);

    Output &out() { return span_ ? static_cast<Output &>(*span_) : *out_; }

    // Makes old entry i part of the new archive and returns its central
    // record with the offset it has there. In temporary mode the entry is
    // copied now; entries must be kept in their old order.
    zipformat::Status keep(std::size_t index, Messenger &messenger, CentralRecord &rec);
    // The same for an entry of a walked source in temporary mode: its local
    // record, [begin, end) of the old file, is copied now, and `storedOffset`
    // is where the new directory must say it starts.
    zipformat::Status keepRange(std::uint64_t begin, std::uint64_t end, Messenger &messenger,
                                std::uint64_t &storedOffset);

    // Offset as the directory stores it for a record starting at the
    // current output position (for a set, the logical position; finish()
    // turns it into a piece and an offset there).
    std::uint64_t storedOffsetHere() const;

    // Writes the directory (records in their final order) and the end
    // records, then commits.
    zipformat::Status finish(const std::vector<CentralRecord> &directory,
                             const std::string &comment);
    // The same for a directory too large to hold (not for a set): the
    // records are written as they are made, between startDirectory() and
    // endDirectory(), which writes the end records for `count` of them and
    // commits.
    void startDirectory();
    zipformat::Status writeRecord(const CentralRecord &rec);
    zipformat::Status endDirectory(std::uint64_t count, const std::string &comment);

private:
    ArchiveWriter(const SourceArchive *source, bool grow) : source_(source), grow_(grow) {}
    zipformat::Status finishSet(const std::vector<CentralRecord> &directory,
                                const std::string &comment);
    zipformat::Status copyRange(std::uint64_t begin, std::uint64_t end, Messenger *messenger);
    zipformat::Status protectOldDirectory(std::uint64_t growRoom);

    const SourceArchive *source_;
    bool grow_;
    std::uint64_t base_ = 0; // absolute position of offset 0
    std::uint64_t cdOffset_ = 0;
    std::uint64_t cdStart_ = 0;
    std::unique_ptr<OutputFile> out_;
    std::unique_ptr<SpanWriter> span_;
};

} // namespace zipwrite
