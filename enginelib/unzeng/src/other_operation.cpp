#include "operations.h"

#include <fcntl.h>
#include <string_view>
#include <unistd.h>

namespace zipread {
namespace {

using zipformat::Error;

// Bytes searched for a ZIP record signature: a self-extractor's stub lies
// in front of its archive.
constexpr std::size_t kSniffBytes = std::size_t{64} << 10;

// True when the file holds a ZIP record signature near its start: it is a
// damaged ZIP archive, for which Fix is the advice, rather than no archive.
bool looksLikeZip(const std::string &path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    std::string head(kSniffBytes, '\0');
    const ssize_t n = ::read(fd, head.data(), head.size());
    ::close(fd);
    if (n <= 0)
        return false;
    head.resize(static_cast<std::size_t>(n));
    for (std::string_view sig :
         {std::string_view("PK\x03\x04", 4), std::string_view("PK\x05\x06", 4),
          std::string_view("PK\x07\x08", 4), std::string_view("PK\x01\x02", 4)}) {
        if (head.find(sig) != std::string::npos)
            return true;
    }
    return false;
}

} // namespace

zipformat::Status unreadable(const std::string &path) {
    return zipformat::Status(looksLikeZip(path) ? ENGINE_BAD_ARCHIVE : ENGINE_NOT_ARCHIVE);
}

bool reportReadOnly(Messenger &messenger, const std::string &type) {
    return messenger.send(ENGINE_MSG_READ_ONLY, const_cast<char *>(type.c_str()));
}

zipformat::Status runOther(const Options &opt, Messenger &messenger) {
    OtherArchive archive;
    const Error e = archive.open(opt.archive, opt.password);
    if (e == Error::NotZip)
        return unreadable(opt.archive);
    if (e != Error::Ok)
        return zipformat::statusOf(e);
    OtherCursor cursor(archive);
    switch (opt.operation) {
    case Operation::List:
        if (reportReadOnly(messenger, archive.typeName()))
            return zipformat::Status(ENGINE_ABORTED);
        return runList(opt, messenger, cursor);
    case Operation::Test:
        return runTest(opt, messenger, cursor);
    case Operation::Comment:
        return runComment(messenger, {});
    case Operation::Extract:
        return runExtract(opt, messenger, cursor, false);
    }
    return zipformat::Status(ENGINE_BAD_ARGUMENTS);
}

} // namespace zipread
