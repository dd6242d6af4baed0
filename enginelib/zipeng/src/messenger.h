// The callback side of an operation: builds the message records and keeps
// the stop request. Every message goes out on the calling thread.
#pragma once

#include "engine_contract.h"
#include "zipformat/status.h"

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

class Messenger {
public:
    Messenger(EngineCallback cb, void *user) : cb_(cb), user_(user) {}

    // Each returns normally; a stop request is remembered and comes back as
    // ENGINE_ABORTED from the next checkAbort(), where the work can stop
    // cleanly.
    void entry(std::int32_t code, const EntryReport &report);
    void skip(const std::string &name, std::uint8_t reason);
    void name(std::int32_t code, const std::string &name);
    // Message 110: asks for disk `number` of a set; false on a stop answer.
    bool newDisk(std::int32_t number);
    // Message 140: fetches the new archive comment (at most 255 bytes).
    std::string fetchComment();

    bool aborted() const { return aborted_; }
    zipformat::Status checkAbort() const;

private:
    void send(std::int32_t code, void *data);

    EngineCallback cb_;
    void *user_;
    bool aborted_ = false;
};

} // namespace zipwrite
