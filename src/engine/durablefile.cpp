#include "durablefile.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>

QString systemErrorText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

QString replacedFile(const QString &fileName)
{
    QFileInfo info(fileName);
    for (int depth = 0; depth < 128 && info.isSymLink(); ++depth)
        info.setFile(info.symLinkTarget());
    return info.isSymLink() ? fileName : info.filePath();
}
