#ifndef APPIDENTITY_H
#define APPIDENTITY_H

#include <QString>

// Who Tarexa is to the settings store and the per-user data folder. The
// window, tarexa-cli and the benchmarks must agree on it, or they would keep
// different lists of scales and different records of what the scales hold.
constexpr const char *OrganizationName = "Kestrova";
constexpr const char *ApplicationName = "Weigh Scale";

// The release, as the build names it ("0.3").
QString applicationVersion();

// Gives the application object the names and version above.
void setApplicationIdentity();

#endif // APPIDENTITY_H
