// Why an engine passed over a file (the Reason byte of TZipSkipping), in
// words: one table behind the window's warnings and tarnwick-cli's
// "skipped:" lines, so that both give the same reason.
#pragma once

#include <QString>

#include <cstdint>

// The reason without a full stop ("file not found"); empty for a code the
// engines do not send.
QString SkipReasonText(std::uint8_t reason);
