#include "messenger.h"

#include "zipformat/file_record.h"

#include <cstring>
#include <vector>

namespace zipwrite {

void Messenger::entry(std::int32_t code, const EntryReport &report) {
    EngineFileRecord rec{};
    rec.FileName = report.name.c_str();
    zipformat::putRecordSizes(rec, report.size, report.compressedSize);
    rec.Attributes = static_cast<std::uint8_t>(report.attributes & 0x3F);
    rec.DosDateTime = report.dosDateTime;
    rec.PercentDone = report.percentDone;
    rec.Comment = "";
    rec.CommentLength = 0;
    (void)send(code, &rec);
}

void Messenger::name(std::int32_t code, const std::string &name) {
    std::vector<char> copy(name.begin(), name.end());
    copy.push_back('\0');
    (void)send(code, copy.data());
}

std::string Messenger::fetchComment() {
    char buffer[ENGINE_ARCHIVE_COMMENT_CAPACITY + 1] = {};
    EngineCommentRequest req{};
    req.Buffer = buffer;
    req.Length = 0;
    req.Done = 0;
    (void)send(ENGINE_MSG_COMMENT_WANTED, &req);
    // Never trust the length beyond the buffer we handed out.
    const std::size_t n =
        req.Length > ENGINE_ARCHIVE_COMMENT_CAPACITY ? ENGINE_ARCHIVE_COMMENT_CAPACITY : req.Length;
    return std::string(buffer, n);
}

} // namespace zipwrite
