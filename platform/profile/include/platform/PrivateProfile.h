#pragma once

#include <QString>

// Private-profile (INI) files with the read and write semantics the program
// was designed against: one key per call, case-insensitive section and key
// names, every other line of the file (comments included) left as it was.
namespace platform {

// Longest value a read returns, as a 1024-byte buffer with its terminating zero.
inline constexpr int kProfileReadLimit = 1023;

// Reads `key` of `section` from `fileName`; `defaultValue` (also cut to the read
// limit) when the file, the section or the key is missing. Blanks around the
// value and one pair of enclosing quotes are removed.
QString GetPrivateProfileString(const QString &section, const QString &key,
                                const QString &defaultValue, const QString &fileName);

// Writes one key, creating the file and the section when they are missing.
// A null `value` removes the key. Returns false when the file cannot be
// written; LastProfileError() then tells why (an errno value).
bool WritePrivateProfileString(const QString &section, const QString &key, const QString &value,
                               const QString &fileName);

// errno of the last failed write of this thread, 0 after a successful one.
int LastProfileError();

// The full path a profile file name stands for: a bare name (no "/") lives in
// WindowsDirectory(), anything else is taken as it stands.
QString ResolveProfilePath(const QString &fileName);

// The folder that bare profile names resolve in: $TARNWICK_WINDIR when set,
// else $XDG_CONFIG_HOME/tarnwick (default ~/.config/tarnwick). Not created here;
// the first write creates it with mode 0700.
QString WindowsDirectory();

} // namespace platform
