// One call of the entry point: the callback, the stop state, and the
// records handed to it. Buffers are reused across messages, so reporting an
// entry allocates nothing once they have grown.
#pragma once

#include "engine_contract.h"
#include "zipformat/entry.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace zipread {

class Messenger {
public:
    Messenger(EngineCallback cb, void *user) noexcept : cb_(cb), user_(user) {}

    // Sends a message; true when the callback asked to stop (from then on
    // stopped() stays true).
    bool send(std::int32_t code, void *data) noexcept;
    bool stopped() const noexcept { return stopped_; }

    // Fills the shared record for `e`; valid until the next call.
    EngineFileRecord *record(const zipformat::Entry &e, std::uint8_t percent = 0);
    // Message 110: asks for disk `number` of a set (0: the last one); false
    // when the user gave up.
    bool askForDisk(std::uint32_t number);
    // Sends message 1060 for `name`.
    bool skip(std::string_view name, std::uint8_t reason);
    // Sends a file-record message for `e`.
    bool report(std::int32_t code, const zipformat::Entry &e, std::uint8_t percent = 0);

private:
    EngineCallback cb_;
    void *user_;
    bool stopped_ = false;
    EngineFileRecord rec_{};
    std::string name_, comment_, skipName_;
};

// Archive and entry comments as UTF-8: kept when already valid UTF-8,
// converted from the legacy code page otherwise, as names are.
void commentText(std::string_view raw, std::string &out);

} // namespace zipread
