// Writes new entries from files on disk into an ArchiveWriter, in order,
// while worker threads read and compress ahead. All messages go out from the
// calling thread in entry order.
#pragma once

#include "archive_writer.h"
#include "collector.h"
#include "messenger.h"
#include "options.h"

#include <optional>
#include <vector>

namespace zipwrite {

struct NewEntry {
    const Candidate *candidate = nullptr;
    bool replacing = false; // message 1000 instead of 1010
};

struct WrittenEntry {
    std::optional<CentralRecord> record; // empty: the file was skipped
};

// Chunk size of large entries; also the whole-buffer cap of small ones.
constexpr std::size_t kChunkSize = std::size_t{4} << 20;

// `written` gets one element per item, in the same order.
zipformat::Status writeNewEntries(const Options &opt, const std::vector<NewEntry> &items,
                                  ArchiveWriter &writer, Messenger &messenger,
                                  std::vector<WrittenEntry> &written);

} // namespace zipwrite
