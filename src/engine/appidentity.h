#ifndef APPIDENTITY_H
#define APPIDENTITY_H

#include <QString>
#include <QtGlobal>

// Who Tarexa is to the settings store and the per-user data folder. The
// window, tarexa-cli and the benchmarks must agree on it, or they would keep
// different lists of scales and different records of what the scales hold.
constexpr const char *OrganizationName = "Kestrova";
// The name stays English in the store's paths; the window shows it in the
// reader's language (shownApplicationName), so it is marked for lupdate.
constexpr const char *ApplicationName = QT_TRANSLATE_NOOP("Tarexa", "Weigh Scale");

// The application's name as a window or a box shows it.
QString shownApplicationName();

// The release, as the build names it ("0.3").
QString applicationVersion();

// Gives the application object the names and version above.
void setApplicationIdentity();

#endif // APPIDENTITY_H
