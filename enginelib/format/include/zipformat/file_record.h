// What both engines put alike in the contract's file record.
#pragma once

#include "engine_contract.h"

#include <cstdint>

namespace zipformat {

// Space saved in percent, rounded, 0 to 100; 0 when nothing was saved.
std::uint8_t savedPercent(std::uint64_t size, std::uint64_t packed) noexcept;

// The sizes of an entry: their low 32 bits in Size and CompressedSize,
// their high 32 bits in EngineValue1 and EngineValue2, and the space saved
// in Ratio.
void putRecordSizes(EngineFileRecord &rec, std::uint64_t size, std::uint64_t packed) noexcept;

} // namespace zipformat
