#include "archive_writer.h"

#include "engine_contract.h"
#include "messenger.h"

#include <algorithm>

namespace zipwrite {

zipformat::Status ArchiveWriter::open(const std::string &archivePath, const SourceArchive *source,
                                      bool grow, const std::string &tempDir, std::uint64_t growRoom,
                                      std::unique_ptr<ArchiveWriter> &out) {
    // A writer that fails half-way is dropped here, and its output rolls back.
    const bool growing = grow && source != nullptr;
    std::unique_ptr<ArchiveWriter> w(new ArchiveWriter(source, growing));
    if (growing) {
        w->base_ = source->prefix();
        if (zipformat::Status s =
                OutputFile::openForGrowth(archivePath, source->appendAt(), w->out_);
            s.failed())
            return s;
        if (zipformat::Status s = w->protectOldDirectory(growRoom); s.failed())
            return s;
        out = std::move(w);
        return {};
    }
    if (zipformat::Status s = OutputFile::createTemporary(archivePath, tempDir, w->out_);
        s.failed())
        return s;
    if (source != nullptr && source->prefix() > 0) {
        // A self-extractor stub stays in front, and offsets stay relative
        // to the archive proper, as they were.
        if (zipformat::Status s = w->copyRange(0, source->prefix(), nullptr); s.failed())
            return s;
        w->base_ = source->prefix();
    }
    out = std::move(w);
    return {};
}

ArchiveWriter::ArchiveWriter(std::unique_ptr<SpanWriter> span)
    : source_(nullptr), grow_(false), span_(std::move(span)) {}

// The old directory, copied whole past the room the new data needs, with end
// records that point to the copy. Until the new directory is written and the
// file cut behind it, the file's last end record is this one, and every old
// entry is still where the copy says.
zipformat::Status ArchiveWriter::protectOldDirectory(std::uint64_t growRoom) {
    const auto &info = source_->archive().info();
    std::string bytes(static_cast<std::size_t>(info.centralSize), '\0');
    if (!bytes.empty() &&
        !source_->archive().source().readAt(info.centralPos, bytes.data(), bytes.size()))
        return zipformat::Status(ENGINE_NOT_ACCESSIBLE);
    // Room for the new directory at least as large as the old one, plus
    // the end records, even when nothing else is added.
    const std::uint64_t at = out_->position() + growRoom + info.centralSize + 4096;
    bytes +=
        endRecords(source_->entries().size(), at - base_, info.centralSize, source_->comment());
    return out_->shadow(at, bytes);
}

std::uint64_t ArchiveWriter::storedOffsetHere() const {
    return span_ ? span_->position() : out_->position() - base_;
}

zipformat::Status ArchiveWriter::copyRange(std::uint64_t begin, std::uint64_t end,
                                           Messenger *messenger) {
    constexpr std::size_t kPiece = 1u << 20;
    std::vector<std::uint8_t> buf(
        static_cast<std::size_t>(std::min<std::uint64_t>(kPiece, end - begin)));
    std::uint64_t at = begin;
    while (at < end) {
        const std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>(buf.size(), end - at));
        if (!source_->archive().source().readAt(at, buf.data(), n))
            return zipformat::Status(ENGINE_NOT_ACCESSIBLE);
        if (zipformat::Status s = out_->write(buf.data(), n); s.failed())
            return s;
        at += n;
        if (messenger != nullptr) {
            if (zipformat::Status s = messenger->checkAbort(); s.failed())
                return s;
        }
    }
    return {};
}

zipformat::Status ArchiveWriter::keep(std::size_t index, Messenger &messenger, CentralRecord &rec) {
    const ExistingEntry &e = source_->entries().at(index);
    rec = e.central;
    if (grow_)
        return {}; // it stays where it is
    return keepRange(e.begin, e.end, messenger, rec.localOffset);
}

zipformat::Status ArchiveWriter::keepRange(std::uint64_t begin, std::uint64_t end,
                                           Messenger &messenger, std::uint64_t &storedOffset) {
    storedOffset = storedOffsetHere();
    return copyRange(begin, end, &messenger);
}

// Each record is placed on the piece that holds its local header; the end
// records go whole onto the last piece, which they make the last.
zipformat::Status ArchiveWriter::finishSet(const std::vector<CentralRecord> &directory,
                                           const std::string &comment) {
    SpanWriter &out = *span_;
    const std::uint64_t cdStart = out.position();
    std::vector<std::uint64_t> starts;
    starts.reserve(directory.size());
    for (const auto &logical : directory) {
        CentralRecord rec = logical;
        SpanWriter::Place local;
        if (zipformat::Status s = out.placeOf(logical.localOffset, local); s.failed())
            return s;
        rec.disk = local.disk;
        rec.localOffset = local.offset;
        starts.push_back(out.position());
        if (zipformat::Status s = out.writeTogether(centralHeader(rec)); s.failed())
            return s;
    }
    const std::uint64_t cdSize = out.position() - cdStart;
    for (;;) {
        if (zipformat::Status s = out.makeRoom(spanEndRecordsSize(comment)); s.failed())
            return s;
        const std::uint64_t endAt = out.position();
        SpanWriter::Place here;
        if (zipformat::Status s = out.placeOf(endAt, here); s.failed())
            return s;
        SpanEnd end;
        end.lastDisk = here.disk;
        SpanWriter::Place cd;
        if (zipformat::Status s = out.placeOf(cdStart, cd); s.failed())
            return s;
        end.cdDisk = cd.disk;
        end.cdOffset = cd.offset;
        end.cdSize = cdSize;
        end.count = directory.size();
        for (std::uint64_t at : starts) {
            SpanWriter::Place p;
            if (zipformat::Status s = out.placeOf(at, p); s.failed())
                return s;
            end.entriesHere += p.disk == here.disk ? 1 : 0;
        }
        end.endOffset = here.offset;
        if (zipformat::Status s = out.writeTogether(spanEndRecords(end, comment)); s.failed())
            return s;
        // A medium that took less than it reported pushes the records onto
        // the next piece: they are written again with its number.
        SpanWriter::Place written;
        if (zipformat::Status s = out.placeOf(endAt, written); s.failed())
            return s;
        if (written.disk == here.disk)
            break;
        if (zipformat::Status s = out.rewind(endAt); s.failed())
            return s;
    }
    return out.commit();
}

zipformat::Status ArchiveWriter::finish(const std::vector<CentralRecord> &directory,
                                        const std::string &comment) {
    if (span_)
        return finishSet(directory, comment);
    startDirectory();
    for (const auto &rec : directory) {
        if (zipformat::Status s = writeRecord(rec); s.failed())
            return s;
    }
    return endDirectory(directory.size(), comment);
}

void ArchiveWriter::startDirectory() {
    cdOffset_ = storedOffsetHere();
    cdStart_ = out_->position();
}

zipformat::Status ArchiveWriter::writeRecord(const CentralRecord &rec) {
    return out_->write(centralHeader(rec));
}

zipformat::Status ArchiveWriter::endDirectory(std::uint64_t count, const std::string &comment) {
    const std::uint64_t cdSize = out_->position() - cdStart_;
    if (zipformat::Status s = out_->write(endRecords(count, cdOffset_, cdSize, comment));
        s.failed())
        return s;
    return out_->commit();
}

} // namespace zipwrite
