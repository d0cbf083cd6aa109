#include "testapp.h"

#include <QCoreApplication>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>

void setUpTestApplication()
{
    Q_INIT_RESOURCE(tarexa);
    QCoreApplication::setOrganizationName("Kestrova");
    QCoreApplication::setApplicationName("Weigh Scale");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, testSettingsFolder());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, testSettingsFolder());
}

QString testSettingsFolder()
{
    static QTemporaryDir folder;
    return folder.path();
}

void typeInto(QTableWidget *table, int row, int col, const QString &text)
{
    if (QTableWidgetItem *cell = table->item(row, col))
        cell->setData(Qt::EditRole, text);
    else
        table->setItem(row, col, new QTableWidgetItem(text));
}

QString cellText(QTableWidget *table, int row, int col)
{
    QTableWidgetItem *cell = table->item(row, col);
    return cell ? cell->text() : QString();
}
