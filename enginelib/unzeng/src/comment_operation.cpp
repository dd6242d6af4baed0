#include "operations.h"

#include <algorithm>

namespace zipread {

zipformat::Status runComment(Messenger &messenger, std::string_view rawComment) {
    std::string text;
    commentText(rawComment, text);
    EngineArchiveComment c{};
    c.Text = text.c_str();
    c.Length = static_cast<std::uint16_t>(std::min<std::size_t>(text.size(), 0xffff));
    return zipformat::Status(messenger.send(ENGINE_MSG_ARCHIVE_COMMENT, &c) ? ENGINE_ABORTED
                                                                            : ENGINE_OK);
}

} // namespace zipread
