// Once a cipher is gone and its operation has ended, neither the password
// nor the keys derived from it are left anywhere in writable memory: not in
// the derived-key cache, not in freed cipher state.
#include "zipformat/aes_cipher.h"
#include "zipformat/wipe.h"

#include <nettle/pbkdf2.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Overwrites the dead stack below the caller, where the key derivation's
// own temporaries lie (they are not ours to wipe).
__attribute__((noinline)) void scrubStack() {
    char junk[256 * 1024];
    zipformat::wipe(junk, sizeof junk);
}

// Where `needle` occurs in the writable mappings of the process, except at
// the addresses given.
std::vector<const void *> foundIn(std::string_view needle,
                                  const std::vector<const void *> &except) {
    std::vector<const void *> found;
    FILE *maps = std::fopen("/proc/self/maps", "r");
    if (maps == nullptr)
        return found;
    char line[512];
    while (std::fgets(line, sizeof line, maps) != nullptr) {
        unsigned long from = 0, to = 0;
        char perms[5] = {};
        if (std::sscanf(line, "%lx-%lx %4s", &from, &to, perms) != 3 || perms[0] != 'r' ||
            perms[1] != 'w' || std::strstr(line, "[v") != nullptr)
            continue;
        const char *at = reinterpret_cast<const char *>(from);
        const char *end = reinterpret_cast<const char *>(to);
        while (const void *hit =
                   memmem(at, static_cast<std::size_t>(end - at), needle.data(), needle.size())) {
            bool mine = false;
            for (const void *e : except)
                mine = mine || e == hit;
            if (!mine)
                found.push_back(hit);
            at = static_cast<const char *>(hit) + 1;
        }
    }
    std::fclose(maps);
    return found;
}

TEST(Wipe, NoPasswordOrKeyOutlivesTheOperation) {
#if defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer keeps freed blocks in quarantine and maps terabytes of
    // shadow as writable; scanning those reads poisoned memory and aborts.
    GTEST_SKIP() << "scans raw process memory, which AddressSanitizer forbids";
#endif
    static const char kPassword[] = "a password nobody else would hold";
    const std::uint8_t salt[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    // Bytes 16 to 31 of the AES key: freed memory keeps them, while its
    // first bytes are taken by the allocator's own bookkeeping.
    auto derived = std::make_unique<std::uint8_t[]>(66);
    pbkdf2_hmac_sha1(sizeof kPassword - 1, reinterpret_cast<const std::uint8_t *>(kPassword), 1000,
                     sizeof salt, salt, 66, derived.get());
    const std::string keyPart(reinterpret_cast<const char *>(derived.get()) + 16, 16);
    zipformat::wipe(derived.get(), 66);
    scrubStack();
    {
        std::uint8_t verifier[2];
        auto cipher = std::make_unique<zipformat::AesCipher>();
        ASSERT_TRUE(cipher->init(3, kPassword, salt, verifier));
        std::uint8_t data[64] = {};
        cipher->encrypt(data, sizeof data);
    }
    zipformat::forgetDerivedKeys();
    scrubStack();
    EXPECT_TRUE(foundIn(kPassword, {}).empty());
    EXPECT_TRUE(foundIn(keyPart, {keyPart.data()}).empty());
}

} // namespace
