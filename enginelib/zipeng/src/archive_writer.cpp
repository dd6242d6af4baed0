#include "archive_writer.h"

#include "engine_error.h"
#include "messenger.h"
#include "engine_contract.h"

#include <algorithm>

namespace zipwrite {

ArchiveWriter::ArchiveWriter(const std::string &archivePath, const SourceArchive *source, bool grow,
                             const std::string &tempDir, uint64_t growRoom)
    : source_(source), grow_(grow && source != nullptr) {
    if (grow_) {
        base_ = source->prefix();
        out_ = OutputFile::openForGrowth(archivePath, source->appendAt());
        protectOldDirectory(growRoom);
        return;
    }
    out_ = OutputFile::createTemporary(archivePath, tempDir);
    if (source_ != nullptr && source_->prefix() > 0) {
        // A self-extractor stub stays in front, and offsets stay relative
        // to the archive proper, as they were.
        copyRange(0, source_->prefix(), nullptr);
        base_ = source_->prefix();
    }
}

ArchiveWriter::ArchiveWriter(std::unique_ptr<SpanWriter> span)
    : source_(nullptr), grow_(false), span_(std::move(span)) {}

// The old directory, copied whole past the room the new data needs, with end
// records that point to the copy. Until the new directory is written and the
// file cut behind it, the file's last end record is this one, and every old
// entry is still where the copy says.
void ArchiveWriter::protectOldDirectory(uint64_t growRoom) {
    const auto &info = source_->archive().info();
    std::string bytes(static_cast<size_t>(info.centralSize), '\0');
    if (!bytes.empty() &&
        !source_->archive().source().readAt(info.centralPos, bytes.data(), bytes.size()))
        throw EngineError(ENGINE_NOT_ACCESSIBLE, "cannot read the archive's directory");
    // Room for the new directory at least as large as the old one, plus
    // the end records, even when nothing else is added.
    const uint64_t at = out_->position() + growRoom + info.centralSize + 4096;
    bytes +=
        endRecords(source_->entries().size(), at - base_, info.centralSize, source_->comment());
    out_->shadow(at, bytes);
}

uint64_t ArchiveWriter::storedOffsetHere() const {
    return span_ ? span_->position() : out_->position() - base_;
}

void ArchiveWriter::copyRange(uint64_t begin, uint64_t end, Messenger *messenger) {
    constexpr size_t kPiece = 1u << 20;
    std::vector<uint8_t> buf(static_cast<size_t>(std::min<uint64_t>(kPiece, end - begin)));
    uint64_t at = begin;
    while (at < end) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(buf.size(), end - at));
        if (!source_->archive().source().readAt(at, buf.data(), n))
            throw EngineError(ENGINE_NOT_ACCESSIBLE, "cannot read the archive");
        out_->write(buf.data(), n);
        at += n;
        if (messenger != nullptr)
            messenger->checkAbort();
    }
}

CentralRecord ArchiveWriter::keep(size_t index, Messenger &messenger) {
    const ExistingEntry &e = source_->entries().at(index);
    CentralRecord rec = e.central;
    if (grow_)
        return rec; // it stays where it is
    rec.localOffset = storedOffsetHere();
    copyRange(e.begin, e.end, &messenger);
    return rec;
}

// Each record is placed on the piece that holds its local header; the end
// records go whole onto the last piece, which they make the last.
void ArchiveWriter::finishSet(const std::vector<CentralRecord> &directory,
                              const std::string &comment) {
    SpanWriter &out = *span_;
    const uint64_t cdStart = out.position();
    std::vector<uint64_t> starts;
    starts.reserve(directory.size());
    for (const auto &logical : directory) {
        CentralRecord rec = logical;
        const SpanWriter::Place local = out.placeOf(logical.localOffset);
        rec.disk = local.disk;
        rec.localOffset = local.offset;
        starts.push_back(out.position());
        out.writeTogether(centralHeader(rec));
    }
    const uint64_t cdSize = out.position() - cdStart;
    for (;;) {
        out.makeRoom(spanEndRecordsSize(comment));
        const uint64_t endAt = out.position();
        const SpanWriter::Place here = out.placeOf(endAt);
        SpanEnd end;
        end.lastDisk = here.disk;
        const SpanWriter::Place cd = out.placeOf(cdStart);
        end.cdDisk = cd.disk;
        end.cdOffset = cd.offset;
        end.cdSize = cdSize;
        end.count = directory.size();
        for (uint64_t at : starts)
            end.entriesHere += out.placeOf(at).disk == here.disk ? 1 : 0;
        end.endOffset = here.offset;
        out.writeTogether(spanEndRecords(end, comment));
        // A medium that took less than it reported pushes the records onto
        // the next piece: they are written again with its number.
        if (out.placeOf(endAt).disk == here.disk)
            break;
        out.rewind(endAt);
    }
    out.commit();
}

void ArchiveWriter::finish(const std::vector<CentralRecord> &directory,
                           const std::string &comment) {
    if (span_) {
        finishSet(directory, comment);
        return;
    }
    const uint64_t cdOffset = storedOffsetHere();
    const uint64_t cdStart = out_->position();
    for (const auto &rec : directory)
        out_->write(centralHeader(rec));
    const uint64_t cdSize = out_->position() - cdStart;
    out_->write(endRecords(directory.size(), cdOffset, cdSize, comment));
    out_->commit();
}

} // namespace zipwrite
