// Include/exclude sections and other pattern lists applied to stored names;
// the matching itself is the format library's.
#pragma once

#include <string>
#include <vector>

#include "zipformat/wildcard.h"

namespace zipwrite {

bool matchesAny(const std::vector<std::string> &patterns, const std::string &name);

// Include/exclude filter on a stored name: kept when it matches an include
// (or there are none) and no exclude, by zipformat::patternSelects.
bool passesFilters(const std::vector<std::string> &includes,
                   const std::vector<std::string> &excludes, const std::string &storedName);

} // namespace zipwrite
