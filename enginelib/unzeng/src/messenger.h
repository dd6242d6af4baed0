// One call of the entry point: the records handed to the callback. Buffers
// are reused across messages, so reporting an entry allocates nothing once
// they have grown.
#pragma once

#include "engine_contract.h"
#include "zipformat/entry.h"
#include "zipformat/messenger_base.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace zipread {

class Messenger : public zipformat::MessengerBase {
public:
    Messenger(EngineCallback cb, void *user) noexcept
        : MessengerBase(cb, user, StopAnswer::AnyButZero) {}

    // Fills the shared record for `e`; valid until the next call.
    EngineFileRecord *record(const zipformat::Entry &e, std::uint8_t percent = 0);
    // Sends a file-record message for `e`.
    bool report(std::int32_t code, const zipformat::Entry &e, std::uint8_t percent = 0);

private:
    EngineFileRecord rec_{};
    std::string name_, comment_;
};

// Archive and entry comments as UTF-8: kept when already valid UTF-8,
// converted from the legacy code page otherwise, as names are.
void commentText(std::string_view raw, std::string &out);

} // namespace zipread
