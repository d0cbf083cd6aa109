// Writing and reading files whole on POSIX systems: the bytes go straight
// to the descriptor, and the file and its folder are synced.
#include "durablefile.h"

#include <QFile>
#include <QFileDevice>
#include <QFileInfo>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Straight to the file, past QFileDevice's buffer: a write cut short by a
// full disk leaves Qt's error unset ("Unknown error"), where writing the
// rest again gets the system's reason.
bool writeAll(QFileDevice &file, const QByteArray &bytes, QString &reason)
{
    const char *at = bytes.constData();
    size_t left = size_t(bytes.size());
    while (left > 0) {
        const ssize_t written = ::write(file.handle(), at, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            reason = written < 0 ? systemErrorText() : file.errorString();
            return false;
        }
        at += written;
        left -= size_t(written);
    }
    return true;
}

// The data must be on the disk before the new file replaces the old one:
// a disk that fills up often says so only here, not at the write.
bool syncToDisk(QFileDevice &file)
{
    return ::fsync(file.handle()) == 0;
}

// Only a regular file, or nothing, may stand where the write goes: renaming
// a new file over a FIFO, a device node or a socket would put a regular
// file in its place. A name the system cannot look up is left to the write
// itself to fail on.
bool isNoRegularFile(const QString &fileName)
{
    struct stat info {};
    return ::stat(QFile::encodeName(fileName).constData(), &info) == 0 && !S_ISREG(info.st_mode);
}

// Makes and removes a file in the folder that the write of fileName puts
// its temporary file in: 0 when that works, else the system's error number.
int newFileErrorBeside(const QString &fileName)
{
    const QString folder = QFileInfo(replacedFile(fileName)).absolutePath();
    QByteArray probe = QFile::encodeName(folder) + "/.tarexa-probe-XXXXXX";
    const int fd = ::mkostemp(probe.data(), O_CLOEXEC);
    if (fd < 0)
        return errno;
    ::close(fd);
    ::unlink(probe.constData());
    return 0;
}

// QSaveFile syncs the new file's data before renaming it over the old one;
// the rename itself lives in the folder, which needs its own sync to
// survive a power cut. Best effort: the new file is already in place.
void syncFolderOf(const QString &fileName)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(replacedFile(fileName)).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

// Only a regular file is read: opening a FIFO would wait for a writer, and
// reading a device may never end. The check is on the opened descriptor,
// which cannot be swapped for something else between check and read;
// opening without blocking makes a FIFO return at once.
bool openRegularFile(QFile &file, QString &reason, const QString &notRegular)
{
    const QByteArray path = QFile::encodeName(file.fileName());
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        reason = systemErrorText();
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        reason = systemErrorText();
    } else if (!S_ISREG(info.st_mode)) {
        reason = notRegular;
    } else if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        reason = file.errorString();
    } else {
        return true;
    }
    ::close(fd);
    return false;
}
