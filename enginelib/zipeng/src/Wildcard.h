// Wildcard patterns of file elements and of include/exclude sections:
// "*" any run of characters (also across "/"), "?" one character, "[...]"
// a set. Case-sensitive, as names on Linux are.
#pragma once

#include <string>
#include <vector>

namespace zipwrite {

bool hasWildcard(const std::string &s);
bool wildcardMatch(const std::string &pattern, const std::string &name);
bool matchesAny(const std::vector<std::string> &patterns, const std::string &name);

// Include/exclude filter on a stored name: kept when it matches an include
// (or there are none) and no exclude. A pattern without "/" also matches the
// last component, so "-x *.o" works on names with folders.
bool passesFilters(const std::vector<std::string> &includes,
                   const std::vector<std::string> &excludes, const std::string &storedName);

} // namespace zipwrite
