#include "appidentity.h"

#include <QCoreApplication>

QString applicationVersion()
{
    return QStringLiteral(TAREXA_VERSION);
}

QString shownApplicationName()
{
    return QCoreApplication::translate("Tarexa", ApplicationName);
}

void setApplicationIdentity()
{
    QCoreApplication::setOrganizationName(QString::fromLatin1(OrganizationName));
    QCoreApplication::setApplicationName(QString::fromLatin1(ApplicationName));
    QCoreApplication::setApplicationVersion(applicationVersion());
}
