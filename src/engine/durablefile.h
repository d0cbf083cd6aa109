#ifndef DURABLEFILE_H
#define DURABLEFILE_H

#include <QString>

class QByteArray;
class QFile;
class QFileDevice;

// What writing and reading a file whole needs from the operating system:
// one file for POSIX systems, one for Windows, and durablefile.cpp for what
// both share. The files that use these are written through a temporary
// file that replaces the old one only once all of it is on the disk.

// The system's words for errno.
QString systemErrorText();
// The file a write of fileName replaces: a symbolic link is followed, as
// QSaveFile follows it, so that the link stays and the file it leads to is
// replaced, with its temporary file in that file's folder.
QString replacedFile(const QString &fileName);

// Writes all of bytes to file, straight to the system; reason says why not.
bool writeAll(QFileDevice &file, const QByteArray &bytes, QString &reason);
// The file's data reaches the disk.
bool syncToDisk(QFileDevice &file);
// Something other than a regular file stands at fileName.
bool isNoRegularFile(const QString &fileName);
// 0 when a new file can be made beside the one fileName's write replaces,
// else the system's error number.
int newFileErrorBeside(const QString &fileName);
// The folder's own record of a rename reaches the disk (best effort).
void syncFolderOf(const QString &fileName);
// Opens file for reading when it is a regular file; otherwise reason is
// notRegular or the system's words.
bool openRegularFile(QFile &file, QString &reason, const QString &notRegular);

#endif // DURABLEFILE_H
