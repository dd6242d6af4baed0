#include "ArchiveFigures.h"

#include "ZipEngine.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

double TArchiveFigures::Saving() const {
    if (TotalSize == 0)
        return 0.0;
    return 100.0 - 100.0 * static_cast<double>(TotalPacked) / static_cast<double>(TotalSize);
}

QDateTime DosStepTime(const QDateTime &time) {
    if (!time.isValid())
        return time;
    const QTime t = time.time();
    return QDateTime(time.date(), QTime(t.hour(), t.minute(), t.second() & ~1));
}

TArchiveFigures TArchiveFigures::Gather(TZipEngine &zip) {
    TArchiveFigures f;
    f.FileName = zip.ZipFileName;
    // The file is opened for reading, as the size and time are taken from
    // the file itself; a failure is kept for the caller to report.
    const QByteArray path = f.FileName.toLocal8Bit();
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        f.FileError = errno;
    } else if (S_ISDIR(st.st_mode)) {
        f.FileError = EISDIR;
    } else {
        f.FileSize = st.st_size;
        f.FileDateTime = DosStepTime(QDateTime::fromSecsSinceEpoch(st.st_mtim.tv_sec));
    }
    if (fd >= 0)
        ::close(fd);
    f.Entries = zip.EntryCount();
    for (std::int32_t i = 0; i < f.Entries; ++i) {
        const TZipFileStats s = zip.EntryStats(i);
        f.TotalPacked += s.TrueCompressedSize();
        f.TotalSize += s.TrueSize();
    }
    f.Comment = zip.ArchiveComment();
    return f;
}
