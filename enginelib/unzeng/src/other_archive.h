// Archives of the other formats a Linux desktop has (tar with its
// compressions, 7-Zip, RAR, ISO 9660, cpio, a single compressed file),
// read through libarchive. They are only ever read front to back, entry by
// entry, as a compressed tar stream allows; each entry is presented as a
// ZIP entry made on a Unix host, so everything above deals with one kind.
#pragma once

#include "zipformat/entry.h"
#include "zipformat/error.h"
#include "zipformat/reader.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct archive;
struct archive_entry;

namespace zipread {

// What an entry makes on disk, for the extraction's safety rules.
enum class EntryKind { File, Directory, Symlink, Hardlink, Special };

class OtherArchive {
public:
    // Opens `path` and reads its first header. NotZip when the content is
    // none of the formats read here (a plain file, a ZIP archive, a
    // picture), NotAccessible when it cannot be read at all. The content
    // decides, never the name.
    zipformat::Error open(const std::string &path, const std::string &password);

    // Moves to the next entry; false at the end, with error() Ok, or when a
    // header is damaged, with error() saying so.
    bool next();
    zipformat::Error error() const noexcept { return error_; }

    // The current entry; valid until the next call of next().
    const zipformat::Entry &entry() const noexcept { return entry_; }
    EntryKind kind() const noexcept { return kind_; }
    // For a Hardlink: the name of the entry whose file it shares.
    std::string_view linkedName() const noexcept { return linked_; }
    // The current entry's data (a symbolic link's text) into `sink`; holes
    // of sparse files arrive as zeros.
    zipformat::Error read(zipformat::OutputSink &sink);

    // The format as the user knows it: "tar.gz", "7-Zip", "ISO 9660".
    const std::string &typeName() const noexcept { return type_; }

private:
    void take(archive_entry *e);
    zipformat::Error readError() const;

    struct ReadFree {
        void operator()(archive *a) const noexcept;
    };
    std::unique_ptr<archive, ReadFree> a_;
    std::string path_;
    std::string type_;
    bool pending_ = false; // the first header, read by open(), not yet handed out
    bool done_ = false;
    zipformat::Error error_ = zipformat::Error::Ok;
    zipformat::Entry entry_;
    EntryKind kind_ = EntryKind::File;
    std::string name_, linked_;
};

// The text a single compressed file's one entry is named by when its
// header names none: the archive's own name without the compression's
// suffix.
std::string singleEntryName(std::string_view archivePath);

} // namespace zipread
