// Writing and reading files whole on Windows, through Qt's own calls:
// QSaveFile's commit flushes the new file to the disk before it replaces
// the old one, and a folder has nothing of its own to sync.
#include "durablefile.h"

#include <QFile>
#include <QFileDevice>
#include <QFileInfo>

bool writeAll(QFileDevice &file, const QByteArray &bytes, QString &reason)
{
    if (file.write(bytes) == bytes.size() && file.flush())
        return true;
    reason = file.errorString();
    return false;
}

bool syncToDisk(QFileDevice &file)
{
    Q_UNUSED(file);
    return true;
}

// A device or a pipe is never replaced by a regular file.
bool isNoRegularFile(const QString &fileName)
{
    const QFileInfo info(fileName);
    return info.exists() && !info.isFile();
}

// The write itself tells when the folder takes no new file.
int newFileErrorBeside(const QString &fileName)
{
    Q_UNUSED(fileName);
    return 0;
}

void syncFolderOf(const QString &fileName)
{
    Q_UNUSED(fileName);
}

// Only a regular file is read: a device may never end.
bool openRegularFile(QFile &file, QString &reason, const QString &notRegular)
{
    if (!QFileInfo(file.fileName()).isFile()) {
        reason = QFileInfo::exists(file.fileName()) ? notRegular : file.errorString();
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        reason = file.errorString();
        return false;
    }
    return true;
}
