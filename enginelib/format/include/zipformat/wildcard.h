// Shell-style patterns for entry and file names, shared by both engines.
#pragma once

#include <string>
#include <string_view>

namespace zipformat {

// True when the text holds "*", "?" or "[" and so is matched as a pattern.
bool hasWildcard(std::string_view text) noexcept;

// "*" any run of characters (also across "/"), "?" one character, "[...]"
// a class ("!" or "^" negates, "a-z" ranges, bytes compared unsigned); an
// unclosed "[" is an ordinary character. Case-sensitive, as Linux names are.
bool wildcardMatch(std::string_view pattern, std::string_view name) noexcept;

// The one rule by which a pattern of a request (a name with wildcards, an
// include or an exclude) selects an entry or file name, for adding,
// deleting, extracting and testing alike: the pattern matches the whole
// stored name, or a folder's name without its final "/" (as a typed folder
// name always selected its entry; zip and unzip do not). As with zip and
// unzip, "Makefile" so selects a Makefile at the top only, and "*Makefile"
// or "*/Makefile" the ones in folders.
bool patternSelects(std::string_view pattern, std::string_view name) noexcept;

// True when `pattern` can match one name only, which goes to `out`: every
// "[" in it opens a class of one character ("[*]", "[?]", "[[]", the way
// callers write names that must be taken literally) or is never closed, and
// it holds no "*" or "?". Such a pattern can be looked up instead of matched.
bool patternLiteral(std::string_view pattern, std::string &out);

} // namespace zipformat
