#include "entry_writer.h"

#include "aes_writer.h"
#include "chunk_pipeline.h"
#include "engine_contract.h"
#include "entry_cipher.h"

#include "zipformat/crc32.h"
#include "zipformat/dostime.h"
#include "zipformat/names.h"
#include "zipformat/pkcrypt.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <deque>
#include <fcntl.h>
#include <sys/mman.h>
#include <thread>
#include <unistd.h>

namespace zipwrite {

namespace {

// Worker threads: one per core, at most eight (the calling thread's writing
// and the disk limit what more would give).
unsigned workerCount() {
    return std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
}

// Bytes of input in flight: enough to keep every worker busy while the
// calling thread writes, little enough to bound memory (a chunk's input
// plus output, under 10 MiB each).
std::uint64_t windowFor(unsigned workers) {
    return (2 * std::uint64_t{workers} + 4) * kChunkSize;
}
// Chunks in flight at most, however small: many small files queued keep
// the workers busy while the calling thread waits for a core of its own.
// Each holds its file open until read, so well below the usual limit of
// 1024 descriptors.
constexpr std::size_t kMaxInFlight = 256;
// Sizes from which the local header carries ZIP64 sizes (some room for
// the encryption header and for a file that grows while it is read).
constexpr std::uint64_t kZip64Threshold = 0xFFFF0000u;

bool hasStoredExtension(const Options &opt, const std::string &name) {
    if (opt.storedExtensions.empty())
        return false;
    const auto slash = name.rfind('/');
    const std::string last = slash == std::string::npos ? name : name.substr(slash + 1);
    const auto dot = last.rfind('.');
    if (dot == std::string::npos || dot + 1 >= last.size())
        return false;
    std::string ext = last.substr(dot + 1);
    for (char &c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return std::find(opt.storedExtensions.begin(), opt.storedExtensions.end(), ext) !=
           opt.storedExtensions.end();
}

bool needsUtf8Flag(const std::string &name) {
    const bool ascii = std::all_of(name.begin(), name.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    return !ascii && zipformat::isValidUtf8(name);
}

std::uint8_t attributeByte(const struct stat &st) {
    std::uint8_t a = 0;
    if (S_ISDIR(st.st_mode))
        a |= ENGINE_ATTR_DIRECTORY;
    if ((st.st_mode & S_IWUSR) == 0)
        a |= ENGINE_ATTR_READONLY;
    return a;
}

// Opens a file to add. Test hook: TARNWICK_ZIPENG_UNREADABLE names a path
// that fails as if it could not be read (the tests run as root, for whom
// permissions do not make a file unreadable).
int openSource(const std::string &path) {
    const char *unreadable = std::getenv("TARNWICK_ZIPENG_UNREADABLE");
    if (unreadable != nullptr && path == unreadable) {
        errno = EACCES;
        return -1;
    }
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
}

// A link stored as a link ("-y") has its text as data. The text is read
// once, into an anonymous file, so that the entry goes through the same
// chunk pipeline (compression, encryption, CRC) as any file's bytes.
int openLinkText(const std::string &path) {
    std::string text(4096, '\0');
    const ssize_t n = ::readlink(path.c_str(), text.data(), text.size());
    if (n < 0)
        return -1;
    if (static_cast<std::size_t>(n) >= text.size()) {
        errno = ENAMETOOLONG;
        return -1;
    }
    const int fd = ::memfd_create("tarnwick-link", MFD_CLOEXEC);
    if (fd < 0)
        return -1;
    if (::write(fd, text.data(), static_cast<std::size_t>(n)) != n) {
        const int err = errno == 0 ? EIO : errno;
        ::close(fd);
        errno = err;
        return -1;
    }
    return fd;
}

int openSource(const Candidate &c) {
    return S_ISLNK(c.st.st_mode) ? openLinkText(c.diskPath) : openSource(c.diskPath);
}

struct Slot {
    std::size_t item = 0;
    std::size_t chunk = 0;
    std::size_t chunks = 1;
    std::uint64_t entrySize = 0;
    std::shared_ptr<ChunkTask> task; // null for folders and unopenable files
    int openError = 0;
};

class Streamer {
public:
    Streamer(const Options &opt, const std::vector<NewEntry> &items, ArchiveWriter &writer,
             Messenger &messenger)
        : opt_(opt), items_(items), writer_(writer), out_(writer.out()), msg_(messenger),
          written_(items.size()), window_(windowFor(workerCount())), pipeline_(workerCount()) {}

    zipformat::Status run(std::vector<WrittenEntry> &written) {
        std::deque<Slot> inflight;
        for (;;) {
            while (inflight.size() < kMaxInFlight && inflightBytes_ < window_ &&
                   produce(inflight)) {
            }
            if (inflight.empty())
                break;
            Slot slot = std::move(inflight.front());
            inflight.pop_front();
            if (slot.task)
                inflightBytes_ -= slot.task->length;
            if (slot.task)
                pipeline_.wait(*slot.task);
            if (zipformat::Status s = consume(slot); s.failed())
                return s;
            if (zipformat::Status s = msg_.checkAbort(); s.failed())
                return s;
        }
        written = std::move(written_);
        return {};
    }

private:
    // The next chunk of the next entry, handed to the workers.
    bool produce(std::deque<Slot> &inflight) {
        if (prodItem_ >= items_.size())
            return false;
        const Candidate &c = *items_[prodItem_].candidate;
        if (c.isDir) {
            inflight.push_back(Slot{prodItem_++, 0, 1, 0, nullptr, 0});
            return true;
        }
        if (prodChunk_ == 0) {
            const int fd = openSource(c);
            struct stat st {};
            if (fd < 0 || ::fstat(fd, &st) != 0) {
                const int err = fd < 0 ? errno : EIO;
                if (fd >= 0)
                    ::close(fd);
                inflight.push_back(Slot{prodItem_++, 0, 1, 0, nullptr, err});
                return true;
            }
            prodFile_ = std::make_shared<SourceFile>(fd);
            prodSize_ = static_cast<std::uint64_t>(st.st_size);
            prodChunks_ = std::max<std::uint64_t>(1, (prodSize_ + kChunkSize - 1) / kChunkSize);
            prodLevel_ = hasStoredExtension(opt_, c.storedName) ? 0 : opt_.level;
        }
        auto task = std::make_shared<ChunkTask>();
        task->source = prodFile_;
        task->offset = static_cast<std::uint64_t>(prodChunk_) * kChunkSize;
        task->length =
            static_cast<std::size_t>(std::min<std::uint64_t>(kChunkSize, prodSize_ - task->offset));
        task->level = prodLevel_;
        task->finalChunk = prodChunk_ + 1 == prodChunks_;
        task->singleChunk = prodChunks_ == 1;
        if (opt_.encrypt && opt_.aesStrength != 0 && prodChunk_ == 0) {
            task->aesPassword = &opt_.password;
            task->aesStrength = opt_.aesStrength;
        }
        pipeline_.submit(task);
        inflightBytes_ += task->length;
        inflight.push_back(
            Slot{prodItem_, prodChunk_, static_cast<std::size_t>(prodChunks_), prodSize_, task, 0});
        if (++prodChunk_ == prodChunks_) {
            prodChunk_ = 0;
            ++prodItem_;
            prodFile_.reset();
        }
        return true;
    }

    zipformat::Status consume(Slot &slot) {
        const NewEntry &item = items_[slot.item];
        const Candidate &c = *item.candidate;
        if (slot.chunk == 0) {
            dropping_ = false;
            if (c.isDir)
                return writeFolder(slot, item);
            if (slot.openError != 0 || slot.task->error != 0) {
                msg_.skip(c.storedName, ENGINE_SKIP_CANNOT_OPEN);
                dropping_ = true;
                return {};
            }
            if (slot.task->failed)
                return zipformat::Status(ENGINE_NO_MEMORY);
            if (zipformat::Status s = begin(slot, item); s.failed())
                return s;
        } else if (dropping_) {
            return {};
        } else if (slot.task->error != 0 || slot.task->failed) {
            if (slot.task->failed)
                return zipformat::Status(ENGINE_NO_MEMORY);
            // A read failed half-way: drop what was written of this entry
            // (what went to an earlier disk of a set stays there, unused).
            if (out_.canRewrite(cur_.headerPos)) {
                if (zipformat::Status s = out_.rewind(cur_.headerPos); s.failed())
                    return s;
            }
            msg_.skip(c.storedName, ENGINE_SKIP_CANNOT_OPEN);
            dropping_ = true;
            return {};
        }
        if (zipformat::Status s = writeChunk(*slot.task, slot); s.failed())
            return s;
        if (slot.chunk + 1 == slot.chunks)
            return finish(slot, item);
        return {};
    }

    EntryReport report(const Candidate &c, std::uint64_t size, std::uint64_t packed,
                       std::uint8_t pct) const {
        EntryReport r;
        r.name = c.storedName;
        r.size = size;
        r.compressedSize = packed;
        r.attributes = attributeByte(c.st);
        r.dosDateTime = cur_.dosTime;
        r.percentDone = pct;
        return r;
    }

    std::uint32_t dosTimeOf(const Candidate &c) const {
        std::time_t t = c.st.st_mtime;
        // Older files carry the earliest date; their true time is in the
        // extended timestamp.
        if (opt_.hasEarliest && t < opt_.earliest)
            t = opt_.earliest;
        return zipformat::dosFromUnix(t);
    }

    // The local header's fields of the entry being written, as they stand
    // (a large entry may have fallen back to stored since its header went
    // out); its central record is made from them too.
    LocalFields headerFields(const Candidate &c) const {
        LocalFields lf;
        lf.name = &c.storedName;
        lf.needed = cur_.method == zipformat::kMethodStored && !cur_.encrypted
                        ? zipformat::kVersionStored
                        : zipformat::kVersionDeflate;
        lf.flags = cur_.flags;
        lf.method = cur_.method;
        lf.dosTime = cur_.dosTime;
        lf.zip64 = cur_.zip64;
        lf.extra = extendedTimestamp(c.st.st_mtime);
        if (cur_.aes) {
            lf.needed = zipformat::kVersionAes;
            // Last in the header, so that its method is the header's last two
            // bytes when a large entry falls back to stored.
            lf.extra += aesExtraField(cur_.dataMethod, opt_.aesStrength);
        }
        return lf;
    }

    CentralRecord centralRecord(const LocalFields &lf, const Candidate &c) const {
        CentralRecord rec = centralRecordOf(lf, cur_.storedOffset);
        rec.externalAttr =
            (static_cast<std::uint32_t>(c.st.st_mode & 0xFFFF) << 16) | attributeByte(c.st);
        return rec;
    }

    zipformat::Status writeFolder(const Slot &slot, const NewEntry &item) {
        const Candidate &c = *item.candidate;
        cur_ = Current{};
        cur_.flags = needsUtf8Flag(c.storedName) ? zipformat::kFlagUtf8 : 0;
        cur_.method = zipformat::kMethodStored;
        cur_.dosTime = dosTimeOf(c);
        cur_.headerPos = out_.position();
        cur_.storedOffset = writer_.storedOffsetHere();
        msg_.entry(item.replacing ? ENGINE_MSG_UPDATING : ENGINE_MSG_ADDING, report(c, 0, 0, 0));
        LocalFields lf = headerFields(c);
        lf.needed = zipformat::kVersionDeflate;
        if (zipformat::Status s = out_.writeTogether(localHeader(lf).bytes); s.failed())
            return s;
        written_[slot.item].record = centralRecord(lf, c);
        msg_.entry(ENGINE_MSG_STATUS, report(c, 0, 0, 100));
        return {};
    }

    zipformat::Status begin(const Slot &slot, const NewEntry &item) {
        const Candidate &c = *item.candidate;
        const ChunkTask &first = *slot.task;
        cur_ = Current{};
        cur_.size = slot.entrySize;
        cur_.single = slot.chunks == 1;
        cur_.zip64 = slot.entrySize >= kZip64Threshold;
        cur_.encrypted = opt_.encrypt;
        cur_.aes = opt_.encrypt && opt_.aesStrength != 0;
        cur_.dataMethod = (cur_.single ? !first.stored : first.level > 0)
                              ? zipformat::kMethodDeflate
                              : zipformat::kMethodStored;
        cur_.method = cur_.aes ? zipformat::kMethodAes : cur_.dataMethod;
        cur_.flags = needsUtf8Flag(c.storedName) ? zipformat::kFlagUtf8 : 0;
        if (cur_.encrypted) {
            cur_.flags |= zipformat::kFlagEncrypted;
            // A large entry's CRC is only known at its end: it gets a data
            // descriptor, and the check byte is then taken from the time.
            // AES has no check byte; its sizes are patched like a plain
            // entry's.
            if (!cur_.single && !cur_.aes)
                cur_.flags |= zipformat::kFlagDescriptor;
        }
        // In a set the local header may be on a disk that is gone by the
        // time the sizes are known.
        if (!cur_.single && opt_.multidisk)
            cur_.flags |= zipformat::kFlagDescriptor;
        cur_.dosTime = dosTimeOf(c);
        cur_.headerPos = out_.position();
        cur_.storedOffset = writer_.storedOffsetHere();
        msg_.entry(item.replacing ? ENGINE_MSG_UPDATING : ENGINE_MSG_ADDING,
                   report(c, cur_.size, 0, 0));

        LocalFields lf = headerFields(c);
        if (cur_.single) {
            lf.crc = storedCrc(first.crc);
            lf.compressedSize = first.data.size() + cipherOverhead(opt_);
            lf.size = cur_.size;
        }
        cur_.layout = localHeader(lf);
        if (zipformat::Status s = out_.writeTogether(cur_.layout.bytes); s.failed())
            return s;
        return startEncryption(first.crc, std::move(slot.task->aes));
    }

    // AE-2 leaves the CRC out: the authentication code vouches for the data.
    std::uint32_t storedCrc(std::uint32_t crc) const { return cur_.aes ? 0 : crc; }

    // `ready`: the cipher a worker started, with the first chunk already
    // encrypted; null when the data has yet to be encrypted here.
    zipformat::Status startEncryption(std::uint32_t crc, std::unique_ptr<EntryCipher> ready) {
        if (!cur_.encrypted)
            return {};
        cur_.encryptedAhead = ready != nullptr;
        cur_.cipher = std::move(ready);
        if (!cur_.cipher) {
            if (zipformat::Status s = startEntryCipher(
                    opt_, zipformat::cryptCheckByte(cur_.flags, crc, cur_.dosTime), cur_.cipher);
                s.failed())
                return s;
        }
        return out_.write(cur_.cipher->header(), cur_.cipher->headerSize());
    }

    zipformat::Status writeChunk(ChunkTask &task, const Slot &slot) {
        if (cur_.cipher && !(slot.chunk == 0 && cur_.encryptedAhead))
            cur_.cipher->encrypt(task.data.data(), task.data.size());
        if (zipformat::Status s = out_.write(task.data.data(), task.data.size()); s.failed())
            return s;
        cur_.crc =
            slot.chunk == 0 ? task.crc : zipformat::crc32Combine(cur_.crc, task.crc, task.length);
        cur_.done += task.length;
        const Candidate &c = *items_[slot.item].candidate;
        const std::uint64_t packed = out_.position() - cur_.headerPos - cur_.layout.bytes.size();
        const auto pct =
            static_cast<std::uint8_t>(cur_.size == 0 ? 100 : cur_.done * 100 / cur_.size);
        // Progress when the percentage changes, not for every chunk.
        if (pct != cur_.lastPercent) {
            cur_.lastPercent = pct;
            msg_.entry(ENGINE_MSG_STATUS, report(c, cur_.size, packed, pct));
        }
        task.data = {}; // release the memory now, not when the slot goes
        return {};
    }

    // A large entry that deflate made larger than the file: write it again
    // stored, reading the file a second time.
    zipformat::Status restoreStored(const Candidate &c) {
        const std::uint64_t dataStart = cur_.headerPos + cur_.layout.bytes.size();
        if (zipformat::Status s = out_.rewind(dataStart); s.failed())
            return s;
        cur_.dataMethod = zipformat::kMethodStored;
        const std::uint8_t method[2] = {static_cast<std::uint8_t>(zipformat::kMethodStored), 0};
        // An AES entry names its method in the field at the header's end.
        const std::uint64_t methodAt =
            cur_.aes ? cur_.layout.bytes.size() - 2 : cur_.layout.methodAt;
        if (!cur_.aes)
            cur_.method = zipformat::kMethodStored;
        if (zipformat::Status s = out_.patch(cur_.headerPos + methodAt, method, 2); s.failed())
            return s;
        // New keys from a new salt: the stored bytes must not be encrypted
        // with the key stream the deflated ones were.
        if (zipformat::Status s = startEncryption(cur_.crc, nullptr); s.failed())
            return s;
        const int fd = openSource(c);
        if (fd < 0)
            return zipformat::Status(ENGINE_NOT_ACCESSIBLE);
        SourceFile file(fd);
        std::vector<std::uint8_t> buf(kChunkSize);
        for (std::uint64_t at = 0; at < cur_.size;) {
            const std::size_t n =
                static_cast<std::size_t>(std::min<std::uint64_t>(buf.size(), cur_.size - at));
            if (readFully(fd, at, buf.data(), n) != 0)
                return zipformat::Status(ENGINE_NOT_ACCESSIBLE);
            if (cur_.cipher)
                cur_.cipher->encrypt(buf.data(), n);
            if (zipformat::Status s = out_.write(buf.data(), n); s.failed())
                return s;
            at += n;
            if (zipformat::Status s = msg_.checkAbort(); s.failed())
                return s;
        }
        return {};
    }

    zipformat::Status finish(const Slot &slot, const NewEntry &item) {
        const Candidate &c = *item.candidate;
        const std::uint64_t packedData =
            out_.position() - cur_.headerPos - cur_.layout.bytes.size() - cipherHeaderSize(opt_);
        if (!cur_.single && cur_.dataMethod == zipformat::kMethodDeflate &&
            packedData > cur_.size && out_.canRewrite(cur_.headerPos)) {
            if (zipformat::Status s = restoreStored(c); s.failed())
                return s;
        }
        if (cur_.cipher) {
            std::uint8_t trailer[kCipherTrailerMax];
            if (const std::size_t n = cur_.cipher->trailer(trailer); n > 0) {
                if (zipformat::Status s = out_.write(trailer, n); s.failed())
                    return s;
            }
        }
        const std::uint64_t packed = out_.position() - cur_.headerPos - cur_.layout.bytes.size();
        const std::uint32_t crc = storedCrc(cur_.crc);
        if ((cur_.flags & zipformat::kFlagDescriptor) != 0) {
            if (zipformat::Status s =
                    out_.writeTogether(dataDescriptor(crc, packed, cur_.size, cur_.zip64));
                s.failed())
                return s;
        } else if (!cur_.single) {
            // Sizes and CRC were not known when the header went out.
            std::string fields;
            putLe32(fields, crc);
            putLe32(fields,
                    cur_.zip64 ? zipformat::kZip64Limit : static_cast<std::uint32_t>(packed));
            putLe32(fields,
                    cur_.zip64 ? zipformat::kZip64Limit : static_cast<std::uint32_t>(cur_.size));
            if (zipformat::Status s =
                    out_.patch(cur_.headerPos + cur_.layout.crcAt, fields.data(), fields.size());
                s.failed())
                return s;
            if (cur_.zip64) {
                std::string sizes;
                putLe64(sizes, cur_.size);
                putLe64(sizes, packed);
                if (zipformat::Status s = out_.patch(cur_.headerPos + cur_.layout.zip64SizesAt,
                                                     sizes.data(), sizes.size());
                    s.failed())
                    return s;
            }
        }
        LocalFields lf = headerFields(c);
        lf.crc = crc;
        lf.compressedSize = packed;
        lf.size = cur_.size;
        CentralRecord rec = centralRecord(lf, c);
        if (cur_.zip64)
            rec.needed = std::max(rec.needed, zipformat::kVersionZip64);
        written_[slot.item].record = std::move(rec);
        return {};
    }

    struct Current {
        std::uint64_t headerPos = 0;
        std::uint64_t storedOffset = 0;
        std::uint64_t size = 0;
        std::uint64_t done = 0;
        int lastPercent = -1;
        std::uint32_t crc = 0;
        std::uint32_t dosTime = 0;
        std::uint16_t flags = 0;
        std::uint16_t method = zipformat::kMethodDeflate;     // in the headers: 99 for AES
        std::uint16_t dataMethod = zipformat::kMethodDeflate; // of the packed data
        bool single = true;
        bool zip64 = false;
        bool encrypted = false;
        bool aes = false;
        bool encryptedAhead = false; // a worker encrypted the first chunk
        LocalHeaderLayout layout;
        std::unique_ptr<EntryCipher> cipher;
    };

    const Options &opt_;
    const std::vector<NewEntry> &items_;
    ArchiveWriter &writer_;
    Output &out_;
    Messenger &msg_;
    std::vector<WrittenEntry> written_;
    Current cur_;
    bool dropping_ = false;
    // Producer position.
    std::size_t prodItem_ = 0;
    std::uint64_t prodChunk_ = 0;
    std::uint64_t prodChunks_ = 1;
    std::uint64_t prodSize_ = 0;
    int prodLevel_ = 6;
    std::shared_ptr<SourceFile> prodFile_;
    std::uint64_t window_;
    std::uint64_t inflightBytes_ = 0;
    // Declared last: its threads stop before anything they might touch.
    ChunkPipeline pipeline_;
};

} // namespace

zipformat::Status writeNewEntries(const Options &opt, const std::vector<NewEntry> &items,
                                  ArchiveWriter &writer, Messenger &messenger,
                                  std::vector<WrittenEntry> &written) {
    Streamer streamer(opt, items, writer, messenger);
    return streamer.run(written);
}

} // namespace zipwrite
