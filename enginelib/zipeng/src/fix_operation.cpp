// Repairing an archive: "-F" from the central directory where it can be
// read, "-FF" from a scan of the whole file for local headers. Only entries
// whose data decodes with the right CRC are kept, so the result passes a
// test; every entry left out, or kept without a check (no password, a
// method not decoded here), is named in a skip message. The damaged file is
// replaced only by a complete new archive that the extracting side's reader
// has read back.
#include "archive_writer.h"
#include "engine_contract.h"
#include "operations.h"
#include "output_file.h"
#include "read_back.h"
#include "source_archive.h"
#include "surviving_directory.h"

#include "zipformat/names.h"

#include "zipformat/aes.h"
#include "zipformat/archive.h"
#include "zipformat/reader.h"
#include "zipformat/scan.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <sys/stat.h>

namespace zipwrite {

namespace {

class DiscardSink : public zipformat::OutputSink {
public:
    zipformat::Error write(const std::uint8_t *, std::size_t) noexcept override {
        return zipformat::Error::Ok;
    }
};

// Whether entry i may stay, and whether its data was checked; when it was
// not, or failed, the skip reason that says why. Entries that cannot be
// checked (no password given, a method this engine does not decode) stay in
// a normal repair, since dropping them would lose data nobody proved
// damaged; the aggressive repair keeps only what it could check. An
// encrypted entry the given password does not open is unchecked too: a
// stale password must not cost the user every encrypted file. The
// traditional encryption header checks only one byte, so about one wrong
// password in 128 gets past it and shows as damaged data instead; such an
// entry is kept for the same reason. Running out of memory decides nothing
// about the entry: it ends the repair.
zipformat::Status keepEntry(const zipformat::Archive &a, std::size_t i, const Options &opt,
                            bool &keep, bool &checked, std::uint8_t &reason) {
    using zipformat::Error;
    DiscardSink sink;
    zipformat::ReadOptions ro;
    ro.password = opt.password;
    const Error e = zipformat::readEntry(a, i, sink, ro);
    const zipformat::Entry &entry = a.entry(i);
    if (e == Error::NoMemory)
        return zipformat::Status(ENGINE_NO_MEMORY);
    const bool password = e == Error::NeedPassword || e == Error::BadPassword ||
                          e == Error::UnsupportedCrypto ||
                          ((e == Error::Corrupted || e == Error::BadCrc) && entry.isEncrypted() &&
                           !zipformat::isAes(entry));
    checked = e == Error::Ok;
    keep = checked || password || (e == Error::UnsupportedMethod && !opt.aggressiveFix);
    reason = password                        ? ENGINE_SKIP_PASSWORD
             : e == Error::BadCrc            ? ENGINE_SKIP_BAD_CRC
             : e == Error::UnsupportedMethod ? ENGINE_SKIP_UNKNOWN_METHOD
                                             : ENGINE_SKIP_CORRUPTED;
    return {};
}

// An entry left out of the repaired archive, or kept without a check of its
// data: each is named in a skip message.
struct Unchecked {
    std::string name;
    std::uint8_t reason = ENGINE_SKIP_CORRUPTED;
};

bool isNonAsciiUtf8(const std::string &name) {
    const bool ascii = std::all_of(name.begin(), name.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    return !ascii && zipformat::isValidUtf8(name);
}

struct Located {
    std::size_t index;
    zipformat::EntryLocation loc;
};

zipformat::Status writeDirectory(OutputFile &out, const std::vector<CentralRecord> &directory,
                                 const std::string &comment) {
    const std::uint64_t cdOffset = out.position();
    for (const auto &rec : directory) {
        if (zipformat::Status s = out.write(centralHeader(rec)); s.failed())
            return s;
    }
    return out.write(endRecords(directory.size(), cdOffset, out.position() - cdOffset, comment));
}

// Copies bytes [from, to) of the damaged file to `out` through `buf`.
zipformat::Status copyRange(const zipformat::Source &src, std::uint64_t from, std::uint64_t to,
                            OutputFile &out, std::vector<std::uint8_t> &buf) {
    for (std::uint64_t at = from; at < to;) {
        const std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>(buf.size(), to - at));
        if (!src.readAt(at, buf.data(), n))
            return zipformat::Status(ENGINE_NOT_ACCESSIBLE);
        if (zipformat::Status s = out.write(buf.data(), n); s.failed())
            return s;
        at += n;
    }
    return {};
}

// Copies the chosen entries of `a` into a new archive written by `out`.
// Each local header is written afresh from the checked directory record
// (name, method, sizes and CRC as the data proved them), with only the
// well-formed fields of its old extra block; the data is copied raw.
zipformat::Status writeEntries(const zipformat::Archive &a, const std::vector<Located> &keep,
                               OutputFile &out, const std::string &comment, Messenger *msg) {
    std::vector<CentralRecord> directory;
    std::vector<std::uint8_t> buf(1u << 20);
    for (const auto &k : keep) {
        const zipformat::Entry &e = a.entry(k.index);
        if (msg != nullptr) {
            msg->name(ENGINE_MSG_FIXING, std::string(e.name));
            if (zipformat::Status s = msg->checkAbort(); s.failed())
                return s;
        }
        CentralRecord rec = centralRecordOf(e);
        rec.localOffset = out.position();
        // An unencrypted entry needs no data descriptor once its sizes are
        // known; an encrypted one keeps it, since its check byte depends on
        // the flag.
        if ((rec.flags & zipformat::kFlagDescriptor) != 0 &&
            (rec.flags & zipformat::kFlagEncrypted) == 0)
            rec.flags = static_cast<std::uint16_t>(rec.flags & ~zipformat::kFlagDescriptor);
        std::string localExtra(k.loc.localExtraSize, '\0');
        if (!localExtra.empty() && !a.source().readAt(k.loc.headerPos + 30 + k.loc.localNameSize,
                                                      localExtra.data(), localExtra.size()))
            localExtra.clear();
        LocalFields lf;
        static_cast<HeaderFields &>(lf) = rec;
        lf.name = &rec.name;
        lf.zip64 =
            rec.size >= zipformat::kZip64Limit || rec.compressedSize >= zipformat::kZip64Limit;
        lf.extra = withoutZip64(localExtra);
        if (zipformat::Status s = out.write(localHeader(lf).bytes); s.failed())
            return s;
        if (zipformat::Status s = copyRange(a.source(), k.loc.dataPos, k.loc.dataEnd, out, buf);
            s.failed())
            return s;
        if ((rec.flags & zipformat::kFlagDescriptor) != 0) {
            if (zipformat::Status s =
                    out.write(dataDescriptor(rec.crc, rec.compressedSize, rec.size, lf.zip64));
                s.failed())
                return s;
        }
        rec.extra = withoutZip64(rec.extra);
        directory.push_back(std::move(rec));
    }
    return writeDirectory(out, directory, comment);
}

zipformat::Status checkedEntries(const zipformat::Archive &a, const Options &opt, Messenger &msg,
                                 std::vector<Located> &keep, std::vector<Unchecked> &unchecked) {
    keep.clear();
    unchecked.clear();
    // Entries whose records run into each other cannot all be what they
    // claim: overlap bombs are made of them (several names for one local
    // header, or data that spans the next entries' headers). Copied apart,
    // they would turn a file the reader refuses into a real bomb, and
    // checking each would decode the shared data once per entry. The first
    // entry in directory order that is kept holds the bytes: one whose data
    // fails claims nothing, since a damaged size would otherwise take the
    // good entries after it down with it.
    std::map<std::uint64_t, std::uint64_t> extents; // start -> end of the records taken
    const auto overlaps = [&extents](std::uint64_t from, std::uint64_t to) {
        const auto next = extents.lower_bound(from);
        return (next != extents.end() && next->first < to) ||
               (next != extents.begin() && std::prev(next)->second > from);
    };
    for (std::size_t i = 0; i < a.size(); ++i) {
        Located l{i, {}};
        const std::string name(a.entry(i).name);
        if (a.locate(i, l.loc) != zipformat::Error::Ok ||
            overlaps(l.loc.headerPos, std::max(l.loc.end, l.loc.headerPos + 1))) {
            unchecked.push_back({name, ENGINE_SKIP_CORRUPTED});
            continue;
        }
        bool kept = false, checked = false;
        std::uint8_t reason = ENGINE_SKIP_CORRUPTED;
        if (zipformat::Status s = keepEntry(a, i, opt, kept, checked, reason); s.failed())
            return s;
        if (kept) {
            extents.emplace(l.loc.headerPos, std::max(l.loc.end, l.loc.headerPos + 1));
            keep.push_back(l);
        }
        if (!checked)
            unchecked.push_back({name, reason});
        if (zipformat::Status s = msg.checkAbort(); s.failed())
            return s;
    }
    return {};
}

// Puts the new archive in place once the reader has accepted it, then names
// what was left out or kept unchecked. 40 when anything was.
zipformat::Status commitChecked(OutputFile &out, const std::vector<Unchecked> &unchecked,
                                Messenger &msg) {
    if (zipformat::Status s = out.flush(); s.failed())
        return s;
    if (!readsBack(out.temporaryPath()))
        return zipformat::Status(ENGINE_BAD_ARCHIVE);
    if (zipformat::Status s = out.commit(); s.failed())
        return s;
    for (const Unchecked &d : unchecked)
        msg.skip(d.name, d.reason);
    return unchecked.empty() ? zipformat::Status() : zipformat::Status(ENGINE_SOME_SKIPPED);
}

// Builds an archive from the local headers found by a scan, into `out`.
// Later records of the same name win (an archive grown in place keeps the
// old versions of replaced entries in front). `built` is false when the scan
// found no record.
zipformat::Status buildFromScan(const std::string &path, OutputFile &out, Messenger &msg,
                                bool &built) {
    built = false;
    zipformat::Source src;
    if (src.open(path) != zipformat::Error::Ok)
        return zipformat::Status(ENGINE_NOT_ACCESSIBLE);
    zipformat::LocalScanner scanner(src);
    std::vector<zipformat::LocalRecord> records;
    std::map<std::string, std::size_t> byName;
    for (int guard = 0; guard < 10000000; ++guard) {
        zipformat::LocalRecord r;
        const zipformat::Error e = scanner.next(r);
        if (e == zipformat::Error::NotZip)
            break;
        if (e != zipformat::Error::Ok)
            continue;
        auto it = byName.find(r.rawName);
        if (it != byName.end()) {
            records[it->second] = std::move(r);
        } else {
            byName.emplace(r.rawName, records.size());
            records.push_back(std::move(r));
        }
        if (zipformat::Status s = msg.checkAbort(); s.failed())
            return s;
    }
    if (records.empty())
        return {};
    SurvivingDirectory survivors;
    survivors.scan(src);
    std::vector<CentralRecord> directory;
    std::vector<std::uint8_t> buf(1u << 20);
    for (const auto &r : records) {
        CentralRecord rec = centralRecordOf(headerFieldsOf(r, r.rawName), out.position());
        SurvivingFields kept;
        if (survivors.find(r.rawName, r.headerPos, kept)) {
            rec.madeBy = kept.madeBy;
            rec.internalAttr = kept.internalAttr;
            rec.externalAttr = kept.externalAttr;
            rec.flags = static_cast<std::uint16_t>(rec.flags | (kept.flags & zipformat::kFlagUtf8));
        } else {
            // Nothing is known of the host: an MS-DOS one makes readers take
            // the name as a DOS code page unless it is flagged, while ours
            // reads valid UTF-8 as UTF-8. The flag makes them all agree.
            rec.madeBy = zipformat::kMadeByDos;
            rec.externalAttr =
                !r.rawName.empty() && r.rawName.back() == '/' ? ENGINE_ATTR_DIRECTORY : 0;
            if (isNonAsciiUtf8(r.rawName))
                rec.flags = static_cast<std::uint16_t>(rec.flags | zipformat::kFlagUtf8);
        }
        if (zipformat::Status s = copyRange(src, r.headerPos, r.end, out, buf); s.failed())
            return s;
        directory.push_back(std::move(rec));
    }
    if (zipformat::Status s = writeDirectory(out, directory, std::string()); s.failed())
        return s;
    if (zipformat::Status s = out.flush(); s.failed())
        return s;
    built = true;
    return {};
}

// Whether the reader of the extracting side, which refuses multi-disk sets,
// settles on the same end record as the repair's own reading: when a later
// end record claims a set, the one the repair found must not be kept.
bool readerAgrees(const std::string &path, const zipformat::Archive &a) {
    if (a.source().isSet())
        return true; // the repair writes one archive in place of the set
    zipformat::Archive r;
    zipformat::OpenOptions oo;
    oo.checkOverlap = false;
    return r.open(path, oo) == zipformat::Error::Ok && r.info().endPos == a.info().endPos;
}

// The normal repair: entries as the central directory lists them. `done`
// stays false, with nothing changed, when the directory cannot be used or
// what it gives does not read back; the repair then goes on from the local
// headers.
zipformat::Status fixFromDirectory(const Options &opt, Messenger &msg, bool &done) {
    done = false;
    zipformat::Archive a;
    zipformat::OpenOptions oo;
    oo.checkOverlap = false;
    oo.allowMultidisk = true;
    if (a.open(opt.archive, oo) != zipformat::Error::Ok || !readerAgrees(opt.archive, a))
        return {};
    std::vector<Located> keep;
    std::vector<Unchecked> unchecked;
    if (zipformat::Status s = checkedEntries(a, opt, msg, keep, unchecked); s.failed())
        return s;
    if (keep.empty())
        return {};
    std::unique_ptr<OutputFile> out;
    if (zipformat::Status s = OutputFile::createTemporary(opt.archive, opt.tempDir, out);
        s.failed())
        return s;
    const auto &c = a.info().comment;
    if (zipformat::Status s = writeEntries(a, keep, *out, std::string(c.data(), c.size()), &msg);
        s.failed())
        return s;
    a.close();
    const zipformat::Status s = commitChecked(*out, unchecked, msg);
    done = s.code() != ENGINE_BAD_ARCHIVE;
    return done ? s : zipformat::Status();
}

// A file without a single local header is fine when it is a valid empty
// archive: it is written again, with its comment.
zipformat::Status fixEmpty(const Options &opt, Messenger &msg) {
    zipformat::Archive a;
    if (a.open(opt.archive) != zipformat::Error::Ok || a.size() != 0)
        return zipformat::Status(ENGINE_BAD_ARCHIVE);
    std::unique_ptr<OutputFile> out;
    if (zipformat::Status s = OutputFile::createTemporary(opt.archive, opt.tempDir, out);
        s.failed())
        return s;
    const auto &c = a.info().comment;
    if (zipformat::Status s = writeDirectory(*out, {}, std::string(c.data(), c.size())); s.failed())
        return s;
    a.close();
    return commitChecked(*out, {}, msg);
}

zipformat::Status fixFromScan(const Options &opt, Messenger &msg) {
    // From the local headers: first into a scratch file, which is then read
    // like any archive to check every entry's data.
    std::unique_ptr<OutputFile> scratch;
    if (zipformat::Status s = OutputFile::createTemporary(opt.archive, opt.tempDir, scratch);
        s.failed())
        return s;
    bool built = false;
    if (zipformat::Status s = buildFromScan(opt.archive, *scratch, msg, built); s.failed())
        return s;
    if (!built)
        return fixEmpty(opt, msg);
    zipformat::Archive a;
    zipformat::OpenOptions oo;
    oo.checkOverlap = false;
    if (a.open(scratch->temporaryPath(), oo) != zipformat::Error::Ok)
        return zipformat::Status(ENGINE_BAD_ARCHIVE);
    std::vector<Located> keep;
    std::vector<Unchecked> unchecked;
    if (zipformat::Status s = checkedEntries(a, opt, msg, keep, unchecked); s.failed())
        return s;
    if (keep.empty())
        return zipformat::Status(ENGINE_BAD_ARCHIVE);
    std::unique_ptr<OutputFile> out;
    if (zipformat::Status s = OutputFile::createTemporary(opt.archive, opt.tempDir, out);
        s.failed())
        return s;
    if (zipformat::Status s = writeEntries(a, keep, *out, std::string(), &msg); s.failed())
        return s;
    return commitChecked(*out, unchecked, msg);
}

} // namespace

zipformat::Status runFix(const Options &opt, Messenger &msg) {
    struct stat st {};
    if (::stat(opt.archive.c_str(), &st) != 0)
        return zipformat::Status(ENGINE_ARCHIVE_NOT_FOUND);
    if (!opt.aggressiveFix) {
        bool done = false;
        if (zipformat::Status s = fixFromDirectory(opt, msg, done); s.failed() || done)
            return s;
    }
    return fixFromScan(opt, msg);
}

} // namespace zipwrite
