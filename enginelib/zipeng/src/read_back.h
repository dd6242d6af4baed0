// The last check of a repair: the archive written is read back the way the
// extracting side will read it, so that a repair never calls a file fixed
// that the reader then refuses.
#pragma once

#include <string>

namespace zipwrite {

// Whether the archive at `path` opens with the extracting side's options,
// its whole directory parses and every local header the directory points to
// is where it says, with a matching name and method.
bool readsBack(const std::string &path);

} // namespace zipwrite
