#ifndef RECENTFILES_H
#define RECENTFILES_H

#include <QString>
#include <QStringList>

class QSettings;

// The PLU files the window opened or saved last, newest first, kept in the
// settings store beside the device.
constexpr int RecentFilesKept = 8;

QStringList recentFiles(const QSettings &settings);
// path becomes the newest; a name listed already moves up rather than
// appearing twice, and the oldest beyond RecentFilesKept go.
void rememberRecentFile(QSettings &settings, const QString &path);
void forgetRecentFile(QSettings &settings, const QString &path);

// The list with path put first, as rememberRecentFile keeps it.
QStringList withRecentFile(const QStringList &files, const QString &path);

#endif // RECENTFILES_H
