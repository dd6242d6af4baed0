#include "messenger.h"

#include "zipformat/aes.h"
#include "zipformat/file_record.h"
#include "zipformat/names.h"

#include <cstring>

namespace zipread {

void commentText(std::string_view raw, std::string &out) {
    out.clear();
    if (zipformat::isValidUtf8(raw))
        out.assign(raw);
    else
        zipformat::appendLegacyAsUtf8(out, raw);
}

EngineFileRecord *Messenger::record(const zipformat::Entry &e, std::uint8_t percent) {
    name_.assign(e.name);
    commentText(e.comment, comment_);
    // The record carries at most 255 bytes; never cut a UTF-8 sequence.
    if (comment_.size() > 255) {
        std::size_t cut = 255;
        while (cut > 0 && (static_cast<unsigned char>(comment_[cut]) & 0xc0) == 0x80)
            --cut;
        comment_.resize(cut);
    }
    rec_ = EngineFileRecord{};
    rec_.FileName = name_.c_str();
    zipformat::putRecordSizes(rec_, e.uncompressedSize, e.compressedSize);
    rec_.Attributes = e.dosAttributes();
    rec_.DosDateTime = e.dosTime;
    rec_.PercentDone = percent;
    zipformat::AesField aes;
    if (zipformat::isAes(e) && zipformat::findAesField(e.extra, aes))
        rec_.EngineByte = engine_packed_method(aes.method, aes.strength);
    else
        rec_.EngineByte = engine_packed_method(e.method, 0);
    rec_.EngineFlag = e.isEncrypted() ? 1 : 0;
    rec_.Comment = comment_.c_str();
    rec_.CommentLength = static_cast<std::uint8_t>(comment_.size());
    return &rec_;
}

bool Messenger::report(std::int32_t code, const zipformat::Entry &e, std::uint8_t percent) {
    return send(code, record(e, percent));
}

} // namespace zipread
