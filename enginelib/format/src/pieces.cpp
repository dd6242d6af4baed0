#include "zipformat/pieces.h"

#include <cctype>
#include <cstdio>

namespace zipformat {
namespace {

// The path without the extension of its last component, and whether that
// extension is written in capitals (then the pieces are NAME.Z01 too).
std::string stemOf(const std::string &path, bool &upper) {
    const auto slash = path.rfind('/');
    const auto dot = path.rfind('.');
    upper = false;
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash) ||
        dot + 1 == path.size() || dot == (slash == std::string::npos ? 0 : slash + 1))
        return path;
    upper = std::isupper(static_cast<unsigned char>(path[dot + 1])) != 0;
    return path.substr(0, dot);
}

// Length of a ".zNN..." suffix (two or more digits) at the end of `leaf`, 0
// when there is none.
std::size_t pieceSuffix(std::string_view leaf) {
    std::size_t digits = 0;
    while (digits < leaf.size() &&
           std::isdigit(static_cast<unsigned char>(leaf[leaf.size() - 1 - digits])))
        ++digits;
    if (digits < 2 || leaf.size() < digits + 3)
        return 0;
    const std::size_t z = leaf.size() - digits - 1;
    if ((leaf[z] != 'z' && leaf[z] != 'Z') || leaf[z - 1] != '.')
        return 0;
    return digits + 2;
}

} // namespace

std::string piecePath(const std::string &lastPath, std::uint32_t index, std::uint32_t count) {
    if (index + 1 >= count)
        return lastPath;
    bool upper = false;
    std::string out = stemOf(lastPath, upper);
    char number[16];
    std::snprintf(number, sizeof number, ".%c%02u", upper ? 'Z' : 'z', index + 1);
    return out + number;
}

std::string lastPieceOf(const std::string &path) {
    const auto slash = path.rfind('/');
    const std::string_view leaf =
        std::string_view(path).substr(slash == std::string::npos ? 0 : slash + 1);
    const std::size_t suffix = pieceSuffix(leaf);
    if (suffix == 0)
        return {};
    const bool upper = leaf[leaf.size() - suffix + 1] == 'Z';
    return path.substr(0, path.size() - suffix) + (upper ? ".ZIP" : ".zip");
}

bool isEarlierPieceName(std::string_view leaf, std::string_view lastLeaf) {
    const std::size_t suffix = pieceSuffix(leaf);
    if (suffix == 0)
        return false;
    bool upper = false;
    const std::string stem = stemOf(std::string(lastLeaf), upper);
    return leaf.substr(0, leaf.size() - suffix) == stem &&
           leaf[leaf.size() - suffix + 1] == (upper ? 'Z' : 'z');
}

} // namespace zipformat
