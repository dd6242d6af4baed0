#include "operations.h"

#include "progress_sink.h"
#include "target.h"
#include "zipformat/reader.h"
#include "zipformat/umask.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zipread {
namespace {

using zipformat::Entry;
using zipformat::Error;

// What became of one entry.
enum class Outcome { Done, Kept, Skipped, Aborted, DiskFull, NoMemory };

// Link texts longer than this are not links any system would make.
constexpr std::size_t kMaxLinkTarget = 4096;

class StringSink final : public zipformat::OutputSink {
public:
    std::string text;
    Error write(const std::uint8_t *data, std::size_t size) noexcept override {
        if (size > kMaxLinkTarget - std::min(text.size(), kMaxLinkTarget))
            return Error::Corrupted;
        text.append(reinterpret_cast<const char *>(data), size);
        return Error::Ok;
    }
};

// Permissions as stored, never set-user-ID, set-group-ID or sticky.
mode_t fileMode(const Entry &e, mode_t umask) {
    std::uint32_t mode = e.unixMode();
    if (mode != 0)
        return static_cast<mode_t>(mode & 0777);
    mode_t m = 0666 & ~umask;
    if (e.dosAttributes() & ENGINE_ATTR_READONLY)
        m &= ~static_cast<mode_t>(0222);
    return m;
}

// Gives a written file the entry's mode and times, then closes it.
Error finishFile(int fd, const Entry &e, std::time_t modified, mode_t umask, Error err) {
    if (err == Error::Ok) {
        fchmod(fd, fileMode(e, umask));
        struct timespec times[2];
        times[1].tv_sec = modified;
        times[1].tv_nsec = 0;
        times[0] = times[1];
        if (e.hasAtime)
            times[0].tv_sec = e.atime;
        futimens(fd, times);
    }
    if (::close(fd) != 0 && err == Error::Ok)
        err = (errno == ENOSPC || errno == EDQUOT) ? Error::DiskFull : Error::WriteFailed;
    return err;
}

// Extracting ahead: the file is written whole, with its mode and times,
// under a temporary name in the target folder. Its turn moves it into its
// folder once every question about it is answered, or drops it.
class StageJob final : public AheadJob {
public:
    StageJob(int root, mode_t umask) noexcept : root_(root), umask_(umask) {}
    // A DOS time becomes local time through the C library's time zone,
    // which is not for other threads.
    void prepare(const Entry &entry, AheadResult &result) override {
        result.modified = entry.modifiedTime();
    }

    bool run(const zipformat::Archive &archive, const Entry &entry,
             AheadResult &result) noexcept override {
        std::string temp;
        int fd = -1;
        try {
            fd = Target::createTemp(root_, temp);
        } catch (...) {
            return false;
        }
        if (fd < 0)
            return false; // its turn reports why
        RecordingSink sink(entry, result, fd);
        result.error = finishFile(fd, entry, result.modified, umask_,
                                  zipformat::readEntry(archive, entry, sink));
        if (result.error == Error::Ok)
            result.staged.swap(temp);
        else
            unlinkat(root_, temp.c_str(), 0);
        return true;
    }
    void drop(AheadResult &result) noexcept override {
        if (!result.staged.empty())
            unlinkat(root_, result.staged.c_str(), 0);
        result.staged.clear();
    }

private:
    int root_;
    mode_t umask_;
};

class Extractor {
public:
    Extractor(Messenger &messenger, const Options &opt, EntryCursor &cursor, bool isSet)
        : messenger_(messenger), opt_(opt), cursor_(cursor), isSet_(isSet),
          umask_(zipformat::processUmask()) {}

    zipformat::Status run();

private:
    Outcome extractOne();
    Outcome skip(const Entry &e, std::uint8_t reason);
    Outcome fail(const Entry &e, Error err);
    // Decides whether an existing file may be replaced; Kept/Aborted/Skipped
    // stop the entry, Done goes on.
    Outcome mayReplace(const Entry &e, int dirfd, const std::string &leaf,
                       const std::string &shown);
    Outcome writeFile(int dirfd, const std::string &leaf);
    // `report`: progress is sent as the data comes.
    Outcome writeStream(int dirfd, const std::string &leaf, bool report);
    Outcome writeLink(int dirfd, const std::string &leaf, std::size_t depth);
    Outcome writeHardlink(const std::string &leaf);
    Outcome install(const Entry &e, int dirfd, const std::string &temp, const std::string &leaf);

    Messenger &messenger_;
    const Options &opt_;
    EntryCursor &cursor_;
    bool isSet_;
    Target target_;
    mode_t umask_;
    std::vector<std::string_view> parts_;
    std::size_t skipped_ = 0;
};

zipformat::Status Extractor::run() {
    if (!target_.open(opt_.directory))
        return zipformat::Status(ENGINE_NOT_ACCESSIBLE);
    target_.protect(opt_.archive, isSet_);
    Selection selection(opt_);
    StageJob job(target_.root(), umask_);
    // Every file selected is written unless a file on disk decides
    // otherwise: with freshen, update or never-replace, most may not be.
    if (!opt_.freshen && !opt_.update && !opt_.neverReplace)
        cursor_.readAhead(
            [&selection](std::size_t index, const Entry &e) {
                return !e.isSymlink() && selection.selects(index, e.name);
            },
            job);
    const AheadScope scope(cursor_);
    std::int32_t result = ENGINE_OK;
    while (result == ENGINE_OK && nextSelected(cursor_, selection)) {
        switch (extractOne()) {
        case Outcome::Aborted:
            result = ENGINE_ABORTED;
            break;
        case Outcome::DiskFull:
            result = ENGINE_DISK_FULL;
            break;
        case Outcome::NoMemory:
            result = ENGINE_NO_MEMORY;
            break;
        case Outcome::Skipped:
            ++skipped_;
            break;
        default:
            break;
        }
        if (messenger_.stopped())
            result = ENGINE_ABORTED;
    }
    cursor_.endAhead();
    target_.finish();
    if (result != ENGINE_OK)
        return zipformat::Status(result);
    if (cursor_.error() != Error::Ok)
        return zipformat::statusOf(cursor_.error());
    if (reportUnmatched(messenger_, selection))
        return zipformat::Status(ENGINE_ABORTED);
    if (selection.hasNames() && !selection.anyMatched())
        return zipformat::Status(ENGINE_NOTHING_MATCHED);
    if (skipped_ > 0 || !selection.unmatched().empty())
        return zipformat::Status(ENGINE_SOME_SKIPPED);
    return {};
}

Outcome Extractor::skip(const Entry &e, std::uint8_t reason) {
    return messenger_.skip(e.name, reason) ? Outcome::Aborted : Outcome::Skipped;
}

Outcome Extractor::fail(const Entry &e, Error err) {
    // A piece of the set that the user would not provide: no skip report.
    if (messenger_.stopped())
        return Outcome::Aborted;
    switch (err) {
    case Error::Aborted:
        return Outcome::Aborted;
    case Error::DiskFull:
        return Outcome::DiskFull;
    case Error::NoMemory:
        return Outcome::NoMemory;
    default:
        return skip(e, cursor_.skipReason(err));
    }
}

Outcome Extractor::extractOne() {
    const Entry &e = cursor_.entry();
    const EntryKind kind = cursor_.kind();
    const bool isDir = kind == EntryKind::Directory;
    if (!splitSafePath(e.name, parts_)) {
        // "./" and the like name the target itself: nothing to make.
        if (isDir && !e.name.empty() && e.name.front() != '/' &&
            e.name.find_first_not_of("./") == std::string_view::npos)
            return Outcome::Done;
        return skip(e, ENGINE_SKIP_CANNOT_OPEN);
    }
    if (isDir) {
        if (opt_.junkPaths || opt_.freshen)
            return Outcome::Done; // folders only come with paths, and freshen adds nothing
        if (messenger_.report(ENGINE_MSG_EXTRACTING, e))
            return Outcome::Aborted;
        if (target_.folder(parts_, parts_.size(), true) < 0)
            return skip(e, ENGINE_SKIP_CANNOT_OPEN);
        target_.noteFolder(parts_, e.unixMode(), e.modifiedTime());
        return Outcome::Done;
    }
    std::string leaf(parts_.back());
    std::size_t depth = opt_.junkPaths ? 0 : parts_.size() - 1;
    std::string shown;
    for (std::size_t i = parts_.size() - 1 - depth; i < parts_.size(); ++i) {
        if (!shown.empty())
            shown.push_back('/');
        shown.append(parts_[i]);
    }
    // Freshening only touches files that exist, so it makes no folders.
    const bool freshenOnly = opt_.freshen && !opt_.update;
    int dirfd = opt_.junkPaths ? target_.folder(parts_, 0, true)
                               : target_.folder(parts_, parts_.size() - 1, !freshenOnly);
    if (dirfd < 0 && freshenOnly && errno == ENOENT)
        return Outcome::Kept;
    if (dirfd < 0)
        return skip(e, ENGINE_SKIP_CANNOT_OPEN);
    Outcome o = mayReplace(e, dirfd, leaf, shown);
    if (o != Outcome::Done)
        return o;
    if (messenger_.report(ENGINE_MSG_EXTRACTING, e))
        return Outcome::Aborted;
    switch (kind) {
    case EntryKind::Symlink:
        return writeLink(dirfd, leaf, depth);
    case EntryKind::Hardlink:
        return writeHardlink(leaf);
    case EntryKind::Special:
        // Devices, FIFOs and sockets are never made from an archive.
        return skip(e, ENGINE_SKIP_CANNOT_OPEN);
    default:
        return writeFile(dirfd, leaf);
    }
}

Outcome Extractor::mayReplace(const Entry &e, int dirfd, const std::string &leaf,
                              const std::string &shown) {
    struct stat st {};
    bool exists = fstatat(dirfd, leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    if (!exists) {
        // Freshen only refreshes what is there; update also adds.
        return (opt_.freshen && !opt_.update) ? Outcome::Kept : Outcome::Done;
    }
    if (S_ISDIR(st.st_mode))
        return skip(e, ENGINE_SKIP_CANNOT_OPEN); // a folder is never replaced by a file
    // An entry named like the archive, extracted beside it, would replace
    // the very file being read, whatever the overwrite setting says.
    if (target_.isProtected(dirfd, leaf))
        return skip(e, ENGINE_SKIP_CANNOT_OPEN);
    if (opt_.freshen || opt_.update) {
        // DOS times have two-second steps: a file within them is as new.
        std::time_t entryTime = e.modifiedTime();
        std::time_t slack = e.hasExactMtime ? 0 : 1;
        if (st.st_mtime + slack >= entryTime)
            return messenger_.skip(e.name, ENGINE_SKIP_UP_TO_DATE) ? Outcome::Aborted
                                                                   : Outcome::Kept;
    }
    if (opt_.alwaysReplace)
        return Outcome::Done;
    if (opt_.neverReplace)
        return Outcome::Kept;
    char reply[ENGINE_REPLY_TEXT_CAPACITY];
    std::memset(reply, 0, sizeof reply);
    EngineReplaceQuery q{};
    q.FileName = shown.c_str();
    q.ReplyText = reply;
    q.DoReplace = 0; // keeping the file loses nothing
    if (messenger_.send(ENGINE_MSG_REPLACE, &q))
        return Outcome::Aborted;
    return q.DoReplace == 1 ? Outcome::Done : Outcome::Kept;
}

Outcome Extractor::writeFile(int dirfd, const std::string &leaf) {
    const Entry &e = cursor_.entry();
    AheadResult *done = cursor_.ahead();
    if (!done)
        return writeStream(dirfd, leaf, true);
    const Error err = replayProgress(messenger_, e, *done);
    if (err != Error::Ok)
        return fail(e, err);
    if (renameat(target_.root(), done->staged.c_str(), dirfd, leaf.c_str()) == 0) {
        done->staged.clear();
        return Outcome::Done;
    }
    // A folder of another file system mounted inside the target: the file
    // is written there after all, its progress already told.
    if (errno == EXDEV)
        return writeStream(dirfd, leaf, false);
    return skip(e, ENGINE_SKIP_CANNOT_OPEN);
}

Outcome Extractor::writeStream(int dirfd, const std::string &leaf, bool report) {
    const Entry &e = cursor_.entry();
    std::string temp;
    int fd = Target::createTemp(dirfd, temp);
    if (fd < 0)
        return errno == ENOSPC ? Outcome::DiskFull : skip(e, ENGINE_SKIP_CANNOT_OPEN);
    Error err;
    if (report) {
        FileSink sink(messenger_, e, fd);
        err = cursor_.read(sink);
    } else {
        AheadResult unused;
        RecordingSink sink(e, unused, fd);
        err = cursor_.read(sink);
    }
    err = finishFile(fd, e, e.modifiedTime(), umask_, err);
    if (err != Error::Ok) {
        unlinkat(dirfd, temp.c_str(), 0);
        return fail(e, err);
    }
    return install(e, dirfd, temp, leaf);
}

Outcome Extractor::writeLink(int dirfd, const std::string &leaf, std::size_t depth) {
    const Entry &e = cursor_.entry();
    StringSink sink;
    Error err = cursor_.read(sink);
    if (err != Error::Ok)
        return fail(e, err);
    if (!safeLinkTarget(sink.text, depth))
        return skip(e, ENGINE_SKIP_CANNOT_OPEN);
    std::string temp;
    for (int attempt = 0;; ++attempt) {
        temp = ".tarnwick-link-" + std::to_string(attempt) + ".tmp";
        if (symlinkat(sink.text.c_str(), dirfd, temp.c_str()) == 0)
            break;
        if (errno != EEXIST || attempt > 100)
            return skip(e, ENGINE_SKIP_CANNOT_OPEN);
    }
    struct timespec times[2];
    times[1].tv_sec = e.modifiedTime();
    times[1].tv_nsec = 0;
    times[0] = times[1];
    utimensat(dirfd, temp.c_str(), times, AT_SYMLINK_NOFOLLOW);
    return install(e, dirfd, temp, leaf);
}

Outcome Extractor::writeHardlink(const std::string &leaf) {
    const Entry &e = cursor_.entry();
    // The file linked to is one this extraction wrote or could have: inside
    // the target, reached without following a link, a plain file.
    std::vector<std::string_view> source;
    const std::string linked(cursor_.linkedName());
    if (!splitSafePath(linked, source))
        return skip(e, ENGINE_SKIP_CANNOT_OPEN);
    if (opt_.junkPaths)
        source.erase(source.begin(), source.end() - 1);
    const std::string sourceLeaf(source.back());
    const int found = target_.folder(source, source.size() - 1, false);
    // The target keeps one folder open; the destination's is looked up
    // again below, so this one is held apart.
    const int sourceDir = found < 0 ? -1 : fcntl(found, F_DUPFD_CLOEXEC, 0);
    if (sourceDir < 0)
        return skip(e, ENGINE_SKIP_CANNOT_OPEN);
    struct stat st {};
    if (fstatat(sourceDir, sourceLeaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(st.st_mode) || target_.isProtected(sourceDir, sourceLeaf)) {
        ::close(sourceDir);
        return skip(e, ENGINE_SKIP_CANNOT_OPEN);
    }
    // Formats that store a linked file's data with its last name (cpio)
    // give it here: it becomes the content of the file linked to.
    if (e.uncompressedSize > 0) {
        const Outcome o = writeFile(sourceDir, sourceLeaf);
        if (o != Outcome::Done) {
            ::close(sourceDir);
            return o;
        }
    }
    const int dirfd = opt_.junkPaths ? target_.folder(parts_, 0, true)
                                     : target_.folder(parts_, parts_.size() - 1, true);
    std::string temp;
    bool linkedOk = false;
    for (int attempt = 0; dirfd >= 0 && attempt <= 100; ++attempt) {
        temp = ".tarnwick-link-" + std::to_string(attempt) + ".tmp";
        if (linkat(sourceDir, sourceLeaf.c_str(), dirfd, temp.c_str(), 0) == 0) {
            linkedOk = true;
            break;
        }
        if (errno != EEXIST)
            break;
    }
    ::close(sourceDir);
    if (!linkedOk)
        return skip(e, ENGINE_SKIP_CANNOT_OPEN);
    const Outcome o = install(e, dirfd, temp, leaf);
    // Renaming onto a name of the same file leaves both names in place.
    unlinkat(dirfd, temp.c_str(), 0);
    return o;
}

Outcome Extractor::install(const Entry &e, int dirfd, const std::string &temp,
                           const std::string &leaf) {
    // The rename replaces a file or link under the name, never writes
    // through it; the old file stays until the new one is complete.
    if (renameat(dirfd, temp.c_str(), dirfd, leaf.c_str()) != 0) {
        unlinkat(dirfd, temp.c_str(), 0);
        return skip(e, ENGINE_SKIP_CANNOT_OPEN);
    }
    return Outcome::Done;
}

} // namespace

zipformat::Status runExtract(const Options &opt, Messenger &messenger, EntryCursor &cursor,
                             bool isSet) {
    Extractor extractor(messenger, opt, cursor, isSet);
    return extractor.run();
}

} // namespace zipread
