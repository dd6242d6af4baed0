#include "zipformat/messenger_base.h"

#include <algorithm>

namespace zipformat {

bool MessengerBase::send(std::int32_t code, void *data) noexcept {
    if (cb_ == nullptr)
        return stopped_;
    const std::int32_t answer = cb_(code, data, user_);
    if (answer == 1 || (answer != 0 && stopOn_ == StopAnswer::AnyButZero))
        stopped_ = true;
    return stopped_;
}

bool MessengerBase::skip(std::string_view name, std::uint8_t reason) {
    // The record points into a buffer of ours, not into the caller's text,
    // which need not end in a NUL.
    skipName_.assign(name);
    EngineSkipReport r{};
    r.FileName = skipName_.c_str();
    r.Reason = reason;
    return send(ENGINE_MSG_SKIPPING, &r);
}

bool MessengerBase::askForDisk(std::uint32_t number) noexcept {
    auto disk = static_cast<std::int32_t>(std::min<std::uint32_t>(number, INT32_MAX));
    return !send(ENGINE_MSG_NEW_DISK, &disk);
}

} // namespace zipformat
