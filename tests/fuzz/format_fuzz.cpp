// libFuzzer harness for the format library: the input is taken as an
// archive file, opened, every entry's directory fields touched, every entry
// located, checked and decoded into a sink that discards the bytes, and the
// file walked once more with the local-header scanner. Built by build.sh
// with clang, outside the normal build.
#include "zipformat/archive.h"
#include "zipformat/reader.h"
#include "zipformat/scan.h"

#include "fuzz_input.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

using namespace zipformat;

namespace {

// Stops a read after a few megabytes so a small input that inflates to
// gigabytes costs time, not the fuzzer's patience.
class CappedSink : public OutputSink {
public:
    Error write(const std::uint8_t *data, std::size_t size) noexcept override {
        if (size > 0) {
            // Touch the first and last byte so a bad pointer shows up.
            sum_ += data[0] + data[size - 1];
        }
        total_ += size;
        return total_ > kCap ? Error::Aborted : Error::Ok;
    }
    std::uint64_t sum_ = 0;

private:
    static constexpr std::uint64_t kCap = std::uint64_t{4} << 20;
    std::uint64_t total_ = 0;
};

std::uint64_t touch(std::string_view s) {
    std::uint64_t h = s.size();
    for (unsigned char c : s)
        h = h * 31 + c;
    return h;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const auto input = FuzzInputPath(data, size);
    if (!input)
        return 0;
    const std::string &path = *input;

    volatile std::uint64_t sink = 0;
    for (int pass = 0; pass < 2; ++pass) {
        OpenOptions options;
        options.allowMultidisk = pass == 1;
        options.checkOverlap = pass == 0;
        Archive archive;
        if (archive.open(path, options) != Error::Ok)
            continue;
        const ArchiveInfo &info = archive.info();
        sink = sink + touch(info.comment) + info.entryCount + info.shift;
        for (std::size_t i = 0; i < archive.size(); ++i) {
            const Entry &e = archive.entry(i);
            sink = sink + touch(e.name) + touch(e.rawName) + touch(e.comment) + touch(e.extra);
            sink = sink + static_cast<std::uint64_t>(e.modifiedTime()) + e.unixMode() +
                   e.isDirectory() + e.isSymlink() + e.dosAttributes() + e.hostSystem() +
                   e.isReadable() + e.isEncrypted() + e.hasDescriptor();
            EntryLocation loc;
            if (archive.locate(i, loc) == Error::Ok) {
                CappedSink raw;
                (void)copyRaw(archive, loc.dataPos, loc.dataEnd, raw);
            }
            for (std::string_view password : {std::string_view{}, std::string_view{"x"}}) {
                sink = sink + static_cast<int>(checkEntry(archive, i, password));
                ReadOptions ro;
                ro.password = password;
                // Alternate the whole-buffer and the streaming paths.
                ro.wholeBufferCap = password.empty() ? std::size_t{1} << 20 : 0;
                CappedSink out;
                sink = sink + static_cast<int>(readEntry(archive, i, out, ro)) + out.sum_;
                if (!e.isEncrypted())
                    break;
            }
        }
    }

    Source source;
    if (source.open(path) == Error::Ok) {
        LocalScanner scanner(source);
        LocalRecord record;
        // Each call either advances or ends; bound it anyway so a scanner
        // that stops advancing shows up as a timeout, not an endless loop.
        for (int n = 0; n < 100000; ++n) {
            Error err = scanner.next(record);
            if (err == Error::NotZip)
                break;
            sink = sink + touch(record.name) + record.dataEnd;
        }
    }
    (void)sink;
    return 0;
}
