#include "recentfiles.h"

#include <QDir>
#include <QSettings>

namespace {

const char *const RecentFilesKey = "RecentFiles";

} // namespace

QStringList recentFiles(const QSettings &settings)
{
    return settings.value(QLatin1String(RecentFilesKey)).toStringList();
}

// Two spellings of one file (a relative name, a "..") are one entry.
QStringList withRecentFile(const QStringList &files, const QString &path)
{
    const QString clean = QDir::cleanPath(QDir().absoluteFilePath(path));
    QStringList list{ clean };
    for (const QString &file : files)
        if (file != clean && list.size() < RecentFilesKept)
            list << file;
    return list;
}

void rememberRecentFile(QSettings &settings, const QString &path)
{
    settings.setValue(QLatin1String(RecentFilesKey), withRecentFile(recentFiles(settings), path));
}

void forgetRecentFile(QSettings &settings, const QString &path)
{
    QStringList files = recentFiles(settings);
    files.removeAll(path);
    settings.setValue(QLatin1String(RecentFilesKey), files);
}
