// Erasing secrets (passwords, keys, cipher and HMAC state) so that they do
// not outlive their use in freed memory or on a stack. The stores cannot be
// dropped by the compiler as dead, unlike a memset before a free.
#pragma once

#include <cstddef>
#include <string>

namespace zipformat {

void wipe(void *data, std::size_t size) noexcept;
// The whole buffer the string holds, then empties it.
void wipe(std::string &text) noexcept;

// A password held by an operation: wiped when it goes. Filled in one
// assignment, so that no grown-out-of buffer keeps a copy.
class SecretString : public std::string {
public:
    SecretString() = default;
    SecretString(const SecretString &) = default;
    SecretString(SecretString &&) noexcept = default;
    SecretString &operator=(const SecretString &) = default;
    SecretString &operator=(SecretString &&) noexcept = default;
    using std::string::operator=;
    ~SecretString() { wipe(*this); }
};

// Forgets the keys this thread derived last (AesCipher keeps them so that
// checking an entry and reading it derive them once). Called when an
// operation ends.
void forgetDerivedKeys() noexcept;

} // namespace zipformat
