#include "UpdateViewedEntry.h"

#include "ArchiveView.h"
#include "BusyScope.h"
#include "EngineResultText.h"
#include "platform/IoError.h"
#include "platform/MessageDlg.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void Fail(int error) {
    throw std::runtime_error(platform::IoErrorFromErrno(error).message.toStdString());
}

void NotPutBack(const QString &storedName, const QString &why) {
    platform::MessageDlg(QStringLiteral("The file ") + storedName +
                             QStringLiteral(" was not put back into the archive: ") + why,
                         platform::MsgKind::Error, platform::MsgButton::OK);
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

std::optional<TZipEncryption> EncryptionFor(std::uint32_t aesBits) {
    switch (aesBits) {
    case 0:
        return zenZipCrypto;
    case 128:
        return zenAes128;
    case 192:
        return zenAes192;
    case 256:
        return zenAes256;
    default:
        return std::nullopt;
    }
}

// The copy's bytes, read through `from`, under `storedName` in `root`, with
// the copy's time and mode: what is stored is the file that was asked
// about, whatever its path leads to by now.
void Stage(int from, const struct stat &copy, const QString &root, const QString &storedName) {
    const QString staged = root + QLatin1Char('/') + storedName;
    if (!QDir().mkpath(QFileInfo(staged).absolutePath()))
        Fail(EACCES);
    const Descriptor to(::open(QFile::encodeName(staged).constData(),
                               O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (to.get() < 0)
        Fail(errno);
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(from, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            Fail(errno);
        if (n == 0)
            break;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(to.get(), buffer + done, static_cast<size_t>(n - done));
            if (w < 0 && errno == EINTR)
                continue;
            if (w < 0)
                Fail(errno);
            done += w;
        }
    }
    const struct timespec times[2] = {copy.st_atim, copy.st_mtim};
    if (::fchmod(to.get(), copy.st_mode & 07777) != 0 || ::futimens(to.get(), times) != 0)
        Fail(errno);
}

} // namespace

bool IsPlainStoredFileName(const QString &storedName) {
    if (storedName.isEmpty())
        return false;
    const QStringList parts = storedName.split(QLatin1Char('/'));
    return std::none_of(parts.begin(), parts.end(), [](const QString &part) {
        return part.isEmpty() || part == QLatin1String(".") || part == QLatin1String("..");
    });
}

void UpdateViewedEntry(TArchiveSession &session, TArchiveView &form, const TViewedCopy &copy) {
    const QString &storedName = copy.storedName;
    if (!IsPlainStoredFileName(storedName))
        return;
    form.MultidiskOff();
    const TBusyScope busy(form);

    // Not blocking: whatever is there now may be a pipe with no writer.
    const Descriptor from(::open(QFile::encodeName(copy.path).constData(),
                                 O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    if (from.get() < 0 || ::fstat(from.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_dev != copy.device || info.st_ino != copy.inode) {
        NotPutBack(storedName, QStringLiteral("its copy ") + copy.path +
                                   QStringLiteral(" is no longer the file that was changed."));
        return;
    }

    const std::optional<TEntrySealing> sealing = session.SealingOf(storedName);
    if (!sealing) {
        NotPutBack(storedName, QStringLiteral("the archive no longer holds that entry."));
        return;
    }
    const std::optional<TZipEncryption> encryption = EncryptionFor(sealing->AesBits);
    if (!encryption || (sealing->Encrypted && copy.password.isEmpty())) {
        NotPutBack(storedName, QStringLiteral("its encryption cannot be kept."));
        return;
    }

    // Beside the copy: as private as the view folder.
    QTemporaryDir stage(QFileInfo(copy.path).absolutePath() +
                        QStringLiteral("/.tarnwick-update-XXXXXX"));
    if (!stage.isValid())
        Fail(EACCES);
    Stage(from.get(), info, stage.path(), storedName);

    form.SetStatusText(QStringLiteral("Updating files."));
    TSessionOutcome outcome = session.PutBack(
        {stage.path(), storedName, sealing->Encrypted ? copy.password : QString(), *encryption});
    if (form.ShowOutcome(outcome, QStringLiteral("updating")) != ResultFailed)
        form.ListArchiveContents();
}
