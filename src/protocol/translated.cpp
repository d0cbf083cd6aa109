#include "translated.h"

#include <QCoreApplication>

QString translated(const char *text)
{
    return QCoreApplication::translate("Tarexa", text);
}
