// Deflate64 ("enhanced deflate", method 9): deflate with a 64 KiB window,
// length code 285 taking 16 extra bits and distance codes 30 and 31. No
// library in the distribution decodes it, so this decoder is ours. It
// streams: input and output pass through bounded buffers of its own, so
// memory stays flat whatever the entry's size.
#pragma once

#include "decoder.h"

#include <memory>

namespace zipformat::detail {

std::unique_ptr<Decoder> makeDeflate64Decoder();

} // namespace zipformat::detail
