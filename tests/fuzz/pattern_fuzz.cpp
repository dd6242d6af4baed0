// libFuzzer harness for the name patterns both engines match requested
// names with: the input is a pattern and a name, split at the first NUL.
// A pattern that patternLiteral takes for one name only must match exactly
// that name, since the engines then look it up instead of matching it; and
// NamePatterns must select what patternSelects selects. Read as an entry
// element ("POSITION:NAME"), it must select the entry at its position under
// its name and nothing else. Built by build.sh with clang, outside the
// normal build.
#include "zipformat/entry_refs.h"
#include "zipformat/name_patterns.h"
#include "zipformat/wildcard.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

using namespace zipformat;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    const std::size_t cut = input.find('\0');
    if (cut == std::string_view::npos)
        return 0;
    std::string pattern(input.substr(0, cut));
    const std::string_view name = input.substr(cut + 1);
    for (char &c : pattern)
        if (c == '\\')
            c = '/'; // as NamePatterns reads it
    std::string literal;
    const bool single = patternLiteral(pattern, literal);
    if (single &&
        (!wildcardMatch(pattern, literal) || wildcardMatch(pattern, name) != (name == literal)))
        std::abort();
    // Looked up or matched, a name selects its folder entry too ("x" "x/").
    NamePatterns patterns({std::string(input.substr(0, cut))});
    if (patterns.match(name) != patternSelects(pattern, name))
        std::abort();

    const std::string element(input.substr(0, cut));
    EntryRefs refs({element});
    std::uint64_t position = 0;
    std::string_view refName;
    if (parseEntryRef(element, position, refName)) {
        const auto index = static_cast<std::size_t>(position - 1);
        if (refs.match(index + 1, name) || refs.match(index, name) != (name == refName) ||
            refs.unmatched().size() != (name == refName ? 0u : 1u))
            std::abort();
    } else if (refs.match(0, name) || refs.unmatched() != std::vector<std::string>{element}) {
        std::abort();
    }
    return 0;
}
