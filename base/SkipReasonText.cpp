#include "SkipReasonText.h"

#include "engine_contract.h"

#include <algorithm>
#include <iterator>

namespace {

struct TSkipReason {
    std::uint8_t Code;
    const char *Text;
};

constexpr TSkipReason SkipReasons[] = {
    {ENGINE_SKIP_NOT_FOUND, "file not found"},
    {ENGINE_SKIP_UNKNOWN_METHOD, "unknown compression"},
    {ENGINE_SKIP_BAD_CRC, "CRC does not check out"},
    {ENGINE_SKIP_UP_TO_DATE, "file is already up to date"},
    {ENGINE_SKIP_CANNOT_OPEN, "unable to open file"},
    {ENGINE_SKIP_PASSWORD, "invalid or no password to decrypt file"},
    {ENGINE_SKIP_CORRUPTED, "file's compressed data is corrupted"},
};

} // namespace

QString SkipReasonText(std::uint8_t reason) {
    const auto *found = std::find_if(std::begin(SkipReasons), std::end(SkipReasons),
                                     [reason](const TSkipReason &r) { return r.Code == reason; });
    return found == std::end(SkipReasons) ? QString() : QString::fromLatin1(found->Text);
}
