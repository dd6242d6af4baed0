// An archive reached through a symbolic link is rewritten where the link
// points: replacing the path by rename would put a new file in place of the
// link and leave the file it pointed to as it was.
#pragma once

#include <string>

namespace zipwrite {

// The path `path` leads to once every symbolic link in its last component is
// followed (a chain, and a link whose target does not exist yet); `path`
// itself when it is no link. Empty when the links loop or cannot be read.
std::string linkTarget(const std::string &path);

} // namespace zipwrite
