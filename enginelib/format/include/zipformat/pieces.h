// Names of the pieces of a multi-disk set, as Info-ZIP and 7-Zip spell
// them: NAME.z01, NAME.z02, ..., NAME.z99, NAME.z100, ... and the last piece
// under the archive's own name, NAME.zip, which holds the directory.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zipformat {

// Path of piece `index` (0-based) of a set of `count` pieces whose last
// piece is `lastPath`.
std::string piecePath(const std::string &lastPath, std::uint32_t index, std::uint32_t count);

// When `path` names a piece other than the last ("NAME.z01"), the path of
// the set's last piece ("NAME.zip"); otherwise empty.
std::string lastPieceOf(const std::string &path);

// Whether the file name `leaf` (no folder) is a piece other than the last of
// a set whose last piece is named `lastLeaf`: the same stem, ".z" (in the
// case the set uses) and two or more digits.
bool isEarlierPieceName(std::string_view leaf, std::string_view lastLeaf);

} // namespace zipformat
