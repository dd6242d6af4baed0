#include "aes_writer.h"

#include "random_bytes.h"
#include "record_layout.h"

namespace zipwrite {

zipformat::Status AesEncryptor::start(const std::string &password, std::uint8_t strength) {
    if (strength < 1 || strength > zipformat::kAesStrength256)
        return zipformat::Status(ENGINE_BAD_ARGUMENTS);
    strength_ = strength;
    const std::size_t saltSize = zipformat::aesSaltSize(strength);
    if (zipformat::Status s = randomBytes(header_, saltSize); s.failed())
        return s;
    cipher_.init(strength, password, header_, header_ + saltSize, false);
    return {};
}

std::string aesExtraField(std::uint16_t method, std::uint8_t strength) {
    std::string out;
    putLe16(out, zipformat::kExtraAes);
    putLe16(out, 7);
    putLe16(out, 2); // AE-2
    out += "AE";
    out.push_back(static_cast<char>(strength));
    putLe16(out, method);
    return out;
}

} // namespace zipwrite
