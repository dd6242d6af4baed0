// The messages only the writing side sends, and their records.
#pragma once

#include "engine_contract.h"
#include "zipformat/messenger_base.h"

#include <cstdint>
#include <string>

namespace zipwrite {

struct EntryReport {
    std::string name;
    std::uint64_t size = 0;
    std::uint64_t compressedSize = 0;
    std::uint8_t attributes = 0;
    std::uint32_t dosDateTime = 0;
    std::uint8_t percentDone = 0;
};

class Messenger : public zipformat::MessengerBase {
public:
    Messenger(EngineCallback cb, void *user) noexcept : MessengerBase(cb, user, StopAnswer::One) {}

    // A stop request in the answer comes back as ENGINE_ABORTED from the
    // next checkAbort(), where the work can stop cleanly.
    void entry(std::int32_t code, const EntryReport &report);
    void name(std::int32_t code, const std::string &name);
    // Message 140: fetches the new archive comment (at most 255 bytes).
    std::string fetchComment();
};

} // namespace zipwrite
