#include "other_archive.h"

#include "zipformat/dostime.h"
#include "zipformat/names.h"
#include "zipformat/records.h"

#include <archive.h>
#include <archive_entry.h>
#include <array>
#include <cerrno>
#include <clocale>
#include <locale.h>
#include <sys/stat.h>

namespace zipread {
namespace {

using zipformat::Error;

// libarchive's read size: large enough that a compressed stream is fed to
// its decoder in big pieces.
constexpr std::size_t kBlockSize = std::size_t{256} << 10;

std::string filterSuffix(int filter) {
    switch (filter) {
    case ARCHIVE_FILTER_GZIP:
        return "gz";
    case ARCHIVE_FILTER_BZIP2:
        return "bz2";
    case ARCHIVE_FILTER_XZ:
        return "xz";
    case ARCHIVE_FILTER_LZMA:
        return "lzma";
    case ARCHIVE_FILTER_ZSTD:
        return "zst";
    case ARCHIVE_FILTER_LZIP:
        return "lz";
    case ARCHIVE_FILTER_COMPRESS:
        return "Z";
    case ARCHIVE_FILTER_LZ4:
        return "lz4";
    default:
        return {};
    }
}

// What the user calls the format, from the container and the outermost
// compression around it.
std::string typeOf(archive *a) {
    const int filter =
        archive_filter_count(a) > 1 ? archive_filter_code(a, 0) : ARCHIVE_FILTER_NONE;
    std::string suffix = filterSuffix(filter);
    switch (archive_format(a) & ARCHIVE_FORMAT_BASE_MASK) {
    case ARCHIVE_FORMAT_TAR:
        return suffix.empty() ? "tar" : "tar." + suffix;
    case ARCHIVE_FORMAT_CPIO:
        return suffix.empty() ? "cpio" : "cpio." + suffix;
    case ARCHIVE_FORMAT_ISO9660:
        return "ISO 9660";
    case ARCHIVE_FORMAT_7ZIP:
        return "7-Zip";
    case ARCHIVE_FORMAT_RAR:
    case ARCHIVE_FORMAT_RAR_V5:
        return "RAR";
    default: {
        const char *name = archive_filter_name(a, 0);
        return name != nullptr ? name : "compressed";
    }
    }
}

void appendUtf8(std::string &out, std::uint32_t c) {
    if (c > 0x10ffff || (c >= 0xd800 && c <= 0xdfff))
        c = 0xfffd;
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xc0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3f)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xe0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3f)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3f)));
    } else {
        out.push_back(static_cast<char>(0xf0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3f)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3f)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3f)));
    }
}

// Names as UTF-8: libarchive converts from the format's own encoding where
// the format records one (UTF-16 in 7-Zip and Joliet, UTF-8 in pax), as
// UTF-8 when the locale allows and as wide characters otherwise; bytes it
// cannot convert are kept when they are UTF-8 already and read as the
// legacy code page otherwise, as ZIP names are.
void utf8Name(const char *converted, const wchar_t *wide, const char *raw, std::string &out) {
    out.clear();
    if (converted != nullptr) {
        out.assign(converted);
        return;
    }
    if (wide != nullptr) {
        for (; *wide != L'\0'; ++wide)
            appendUtf8(out, static_cast<std::uint32_t>(*wide));
        return;
    }
    if (raw == nullptr)
        return;
    std::string_view bytes(raw);
    if (zipformat::isValidUtf8(bytes))
        out.assign(bytes);
    else
        zipformat::appendLegacyAsUtf8(out, bytes);
}

// libarchive converts names into the character set of the calling thread's
// locale; a program started in the C locale would lose every name beyond
// ASCII (7-Zip and Joliet store UTF-16). Its calls run in a UTF-8 locale of
// their own, set for this thread only, so the rest of the process is left
// as it was.
class Utf8Locale {
public:
    Utf8Locale() noexcept {
        static const locale_t utf8 = [] {
            locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
            return l != nullptr
                       ? l
                       : newlocale(LC_CTYPE_MASK, "en_US.UTF-8", static_cast<locale_t>(nullptr));
        }();
        if (utf8 != nullptr)
            previous_ = uselocale(utf8);
    }
    ~Utf8Locale() {
        if (previous_ != nullptr)
            uselocale(previous_);
    }
    Utf8Locale(const Utf8Locale &) = delete;
    Utf8Locale &operator=(const Utf8Locale &) = delete;

private:
    locale_t previous_ = nullptr;
};

} // namespace

std::string singleEntryName(std::string_view archivePath) {
    const auto slash = archivePath.rfind('/');
    std::string_view leaf =
        slash == std::string_view::npos ? archivePath : archivePath.substr(slash + 1);
    const auto dot = leaf.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        return "data";
    return std::string(leaf.substr(0, dot));
}

void OtherArchive::ReadFree::operator()(archive *a) const noexcept {
    archive_read_free(a);
}

Error OtherArchive::open(const std::string &path, const std::string &password) {
    const Utf8Locale utf8;
    path_ = path;
    a_.reset(archive_read_new());
    if (a_ == nullptr)
        return Error::NoMemory;
    // ZIP is read by our own format code alone: a damaged ZIP archive must
    // stay one that Fix is offered for, not turn into a stream read here.
    archive_read_support_filter_all(a_.get());
    archive_read_support_format_tar(a_.get());
    archive_read_support_format_cpio(a_.get());
    archive_read_support_format_7zip(a_.get());
    archive_read_support_format_rar(a_.get());
    archive_read_support_format_rar5(a_.get());
    archive_read_support_format_iso9660(a_.get());
    archive_read_support_format_raw(a_.get());
    if (!password.empty())
        archive_read_add_passphrase(a_.get(), password.c_str());
    if (archive_read_open_filename(a_.get(), path.c_str(), kBlockSize) != ARCHIVE_OK) {
        const int err = archive_errno(a_.get());
        return err == ENOENT                                  ? Error::NotFound
               : err == EACCES || err == EISDIR || err == EIO ? Error::NotAccessible
                                                              : Error::NotZip;
    }
    archive_entry *e = nullptr;
    const int r = archive_read_next_header(a_.get(), &e);
    if (r == ARCHIVE_FATAL || r == ARCHIVE_RETRY)
        return Error::NotZip;
    // The raw reader takes any file; only a compressed one is an archive.
    if ((archive_format(a_.get()) & ARCHIVE_FORMAT_BASE_MASK) == ARCHIVE_FORMAT_RAW &&
        archive_filter_count(a_.get()) <= 1)
        return Error::NotZip;
    type_ = typeOf(a_.get());
    if (r == ARCHIVE_EOF) {
        done_ = true;
        return Error::Ok;
    }
    take(e);
    pending_ = true;
    return Error::Ok;
}

bool OtherArchive::next() {
    if (pending_) {
        pending_ = false;
        return true;
    }
    if (done_ || a_ == nullptr)
        return false;
    const Utf8Locale utf8;
    archive_entry *e = nullptr;
    const int r = archive_read_next_header(a_.get(), &e);
    if (r == ARCHIVE_EOF) {
        done_ = true;
        return false;
    }
    if (r < ARCHIVE_WARN) {
        done_ = true;
        error_ = archive_errno(a_.get()) == ENOMEM ? Error::NoMemory : Error::BadDirectory;
        return false;
    }
    take(e);
    return true;
}

void OtherArchive::take(archive_entry *e) {
    utf8Name(archive_entry_pathname_utf8(e), archive_entry_pathname_w(e), archive_entry_pathname(e),
             name_);
    if ((archive_format(a_.get()) & ARCHIVE_FORMAT_BASE_MASK) == ARCHIVE_FORMAT_RAW &&
        (name_.empty() || name_ == "data"))
        name_ = singleEntryName(path_);
    linked_.clear();
    std::uint32_t mode = archive_entry_mode(e);
    const char *hardlink = archive_entry_hardlink(e);
    if (hardlink != nullptr) {
        utf8Name(archive_entry_hardlink_utf8(e), archive_entry_hardlink_w(e), hardlink, linked_);
        kind_ = EntryKind::Hardlink;
        mode = (mode & 07777) | S_IFREG;
    } else if (S_ISDIR(mode)) {
        kind_ = EntryKind::Directory;
    } else if (S_ISLNK(mode)) {
        kind_ = EntryKind::Symlink;
        utf8Name(archive_entry_symlink_utf8(e), archive_entry_symlink_w(e),
                 archive_entry_symlink(e), linked_);
    } else if (S_ISREG(mode) || (mode & S_IFMT) == 0) {
        kind_ = EntryKind::File;
        mode |= S_IFREG;
    } else {
        kind_ = EntryKind::Special;
    }
    entry_ = zipformat::Entry{};
    entry_.name = name_;
    entry_.rawName = name_;
    entry_.versionMadeBy = static_cast<std::uint16_t>(zipformat::kHostUnix << 8);
    entry_.externalAttributes = mode << 16;
    entry_.uncompressedSize = (kind_ == EntryKind::File || kind_ == EntryKind::Hardlink) &&
                                      archive_entry_size_is_set(e) && archive_entry_size(e) > 0
                                  ? static_cast<std::uint64_t>(archive_entry_size(e))
                                  : 0;
    if (kind_ == EntryKind::Symlink)
        entry_.uncompressedSize = linked_.size();
    // No format read here records what one entry takes packed (a compressed
    // tar is one stream, 7-Zip packs entries together), so the packed size
    // is the stored size and the method is told only for plain containers.
    entry_.compressedSize = entry_.uncompressedSize;
    entry_.method =
        archive_filter_count(a_.get()) > 1 ||
                (archive_format(a_.get()) & ARCHIVE_FORMAT_BASE_MASK) == ARCHIVE_FORMAT_7ZIP ||
                (archive_format(a_.get()) & ARCHIVE_FORMAT_BASE_MASK) == ARCHIVE_FORMAT_RAR ||
                (archive_format(a_.get()) & ARCHIVE_FORMAT_BASE_MASK) == ARCHIVE_FORMAT_RAR_V5
            ? 127
            : 0;
    if (archive_entry_is_encrypted(e))
        entry_.flags |= 1u;
    entry_.mtime = archive_entry_mtime_is_set(e) ? archive_entry_mtime(e) : 0;
    entry_.hasExactMtime = true;
    entry_.dosTime = zipformat::dosFromUnix(entry_.mtime);
    if (archive_entry_atime_is_set(e)) {
        entry_.atime = archive_entry_atime(e);
        entry_.hasAtime = true;
    }
}

Error OtherArchive::readError() const {
    const int err = archive_errno(a_.get());
    if (err == ENOMEM)
        return Error::NoMemory;
    if (entry_.isEncrypted())
        return Error::BadPassword;
    const char *text = archive_error_string(a_.get());
    if (text != nullptr && std::string_view(text).find("nsupported") != std::string_view::npos)
        return Error::UnsupportedMethod;
    return Error::Corrupted;
}

Error OtherArchive::read(zipformat::OutputSink &sink) {
    if (kind_ == EntryKind::Symlink)
        return sink.write(reinterpret_cast<const std::uint8_t *>(linked_.data()), linked_.size());
    // A hard link carries data where the format stores it with the last
    // name of the file (cpio).
    if (kind_ != EntryKind::File && kind_ != EntryKind::Hardlink)
        return Error::Ok;
    static const std::array<std::uint8_t, std::size_t{64} << 10> zeros{};
    const Utf8Locale utf8;
    std::uint64_t at = 0;
    for (;;) {
        const void *block = nullptr;
        std::size_t size = 0;
        la_int64_t offset = 0;
        const int r = archive_read_data_block(a_.get(), &block, &size, &offset);
        if (r == ARCHIVE_EOF)
            break;
        if (r < ARCHIVE_WARN || offset < 0)
            return readError();
        // A sparse file's holes: zeros up to where the next block lies.
        while (at < static_cast<std::uint64_t>(offset)) {
            const std::size_t n = static_cast<std::size_t>(
                std::min<std::uint64_t>(zeros.size(), static_cast<std::uint64_t>(offset) - at));
            if (Error err = sink.write(zeros.data(), n); err != Error::Ok)
                return err;
            at += n;
        }
        if (size > 0) {
            if (Error err = sink.write(static_cast<const std::uint8_t *>(block), size);
                err != Error::Ok)
                return err;
            at += size;
        }
    }
    while (at < entry_.uncompressedSize) {
        const std::size_t n = static_cast<std::size_t>(
            std::min<std::uint64_t>(zeros.size(), entry_.uncompressedSize - at));
        if (Error err = sink.write(zeros.data(), n); err != Error::Ok)
            return err;
        at += n;
    }
    return Error::Ok;
}

} // namespace zipread
