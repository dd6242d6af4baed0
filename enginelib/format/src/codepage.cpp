// Legacy code pages: which one the user's machine would have written, and
// decoding through glibc's iconv.
#include "zipformat/names.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iconv.h>

namespace zipformat {
namespace {

struct Language {
    const char *code;
    const char *page;
};

// The OEM code page a DOS or Windows machine of each language writes into
// ZIP headers.
constexpr Language kPages[] = {
    {"ru", "CP866"}, {"uk", "CP866"}, {"be", "CP866"}, {"bg", "CP866"}, {"kk", "CP866"},
    {"ja", "CP932"}, {"ko", "CP949"}, {"el", "CP737"}, {"tr", "CP857"}, {"he", "CP862"},
    {"iw", "CP862"}, {"pl", "CP852"}, {"cs", "CP852"}, {"sk", "CP852"}, {"hu", "CP852"},
    {"sl", "CP852"}, {"hr", "CP852"}, {"ro", "CP852"}, {"bs", "CP852"}, {"sq", "CP852"},
    {"lt", "CP775"}, {"lv", "CP775"}, {"et", "CP775"}, {"de", "CP850"}, {"fr", "CP850"},
    {"es", "CP850"}, {"it", "CP850"}, {"pt", "CP850"}, {"nl", "CP850"}, {"da", "CP850"},
    {"sv", "CP850"}, {"nb", "CP850"}, {"nn", "CP850"}, {"no", "CP850"}, {"fi", "CP850"},
    {"is", "CP850"}, {"ca", "CP850"}, {"gl", "CP850"}, {"eu", "CP850"}, {"ga", "CP850"},
};

std::string fromLocale() {
    const char *locale = nullptr;
    for (const char *var : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char *v = std::getenv(var);
        if (v != nullptr && *v != '\0') {
            locale = v;
            break;
        }
    }
    if (locale == nullptr)
        return "CP437";
    const std::string_view l(locale);
    const std::string_view language = l.substr(0, l.find_first_of("_.@"));
    if (language == "zh") {
        // Traditional script where the territory writes it.
        const bool traditional = l.find("_TW") != std::string_view::npos ||
                                 l.find("_HK") != std::string_view::npos ||
                                 l.find("_MO") != std::string_view::npos;
        return traditional ? "CP950" : "CP936";
    }
    for (const Language &p : kPages) {
        if (language == p.code)
            return p.page;
    }
    return "CP437";
}

bool isCp437(const std::string &page) {
    return strcasecmp(page.c_str(), "CP437") == 0 || strcasecmp(page.c_str(), "IBM437") == 0;
}

// One iconv descriptor per thread, kept while the code page stays the same.
class Converter {
public:
    ~Converter() { close(); }
    bool convert(const std::string &page, std::string_view raw, std::string &out) {
        if (page != page_) {
            close();
            page_ = page;
            cd_ = iconv_open("UTF-8", page.c_str());
        }
        if (cd_ == invalid())
            return false;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        // Every code page in use takes at most 4 UTF-8 bytes per input byte.
        std::string buffer(raw.size() * 4 + 8, '\0');
        char *in = const_cast<char *>(raw.data());
        std::size_t inLeft = raw.size();
        char *dst = buffer.data();
        std::size_t outLeft = buffer.size();
        if (iconv(cd_, &in, &inLeft, &dst, &outLeft) == static_cast<std::size_t>(-1) ||
            iconv(cd_, nullptr, nullptr, &dst, &outLeft) == static_cast<std::size_t>(-1))
            return false;
        out.append(buffer.data(), buffer.size() - outLeft);
        return true;
    }

private:
    // iconv_open's failure value is (iconv_t)-1, a pointer made of an integer.
    static iconv_t invalid() {
        return reinterpret_cast<iconv_t>(-1); // NOLINT(performance-no-int-to-ptr)
    }
    void close() {
        if (cd_ != invalid())
            iconv_close(cd_);
        cd_ = invalid();
    }
    std::string page_;
    iconv_t cd_ = invalid();
};

} // namespace

std::string legacyCodepage() {
    const char *chosen = std::getenv("TARNWICK_LEGACY_CODEPAGE");
    if (chosen == nullptr || *chosen == '\0')
        return fromLocale();
    std::string page(chosen);
    bool digits = true;
    for (char c : page)
        digits = digits && std::isdigit(static_cast<unsigned char>(c));
    return digits ? "CP" + page : page;
}

void appendLegacyAsUtf8(std::string &out, std::string_view raw) {
    const std::string page = legacyCodepage();
    if (!isCp437(page)) {
        thread_local Converter converter;
        std::string decoded;
        if (converter.convert(page, raw, decoded) && isValidUtf8(decoded)) {
            out += decoded;
            return;
        }
    }
    appendCp437AsUtf8(out, raw);
}

} // namespace zipformat
