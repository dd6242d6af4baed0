// The callback side of one call of either entry point: messages go out on
// the calling thread, and a stop request is remembered from the answer that
// made it, so the work can end where it can end cleanly. Each engine adds
// the messages only it sends.
#pragma once

#include "engine_contract.h"
#include "zipformat/status.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace zipformat {

class MessengerBase {
public:
    // Which answers of the callback ask to stop. The contract says 1. The
    // reading engine has always also stopped on any other answer but 0 and
    // the writing engine gone on, and programs written against either may
    // rely on it, so each side keeps its own.
    enum class StopAnswer { One, AnyButZero };

    MessengerBase(EngineCallback cb, void *user, StopAnswer stopOn) noexcept
        : cb_(cb), user_(user), stopOn_(stopOn) {}

    // Sends a message; true when a stop was asked for, now or before.
    bool send(std::int32_t code, void *data) noexcept;
    bool stopped() const noexcept { return stopped_; }
    // ENGINE_ABORTED once a stop was asked for, for a step to return.
    Status checkAbort() const noexcept { return stopped_ ? Status(ENGINE_ABORTED) : Status(); }

    // Message 1060 for `name`, passed over for `reason`.
    bool skip(std::string_view name, std::uint8_t reason);
    // Message 110: asks for disk `number` of a set (0: the last one); false
    // when the user gave up.
    bool askForDisk(std::uint32_t number) noexcept;

private:
    EngineCallback cb_;
    void *user_;
    StopAnswer stopOn_;
    bool stopped_ = false;
    std::string skipName_;
};

} // namespace zipformat
