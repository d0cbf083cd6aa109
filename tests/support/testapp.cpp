#include "appidentity.h"
#include "testapp.h"
#include "plusheet.h"
#include "tarexa.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

void setUpTestApplication()
{
    Q_INIT_RESOURCE(tarexa);
    // The per-user data folder is the test program's own, so that no test
    // writes the user's own database of scales and transfers, and no other
    // test program running meanwhile shares its record of a terminal.
    static QTemporaryDir dataFolder;
    qputenv("XDG_DATA_HOME", dataFolder.path().toLocal8Bit());
    setApplicationIdentity();
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
    return pluCellText(table, row, col);
}

QAction *findAction(QWidget *window, const QString &text)
{
    const QList<QAction *> all = window->findChildren<QAction *>();
    for (QAction *action : all)
        if (action->text() == text)
            return action;
    return nullptr;
}

void triggerAction(QWidget *window, const QString &text)
{
    QAction *action = findAction(window, text);
    if (!action)
        QFAIL(qPrintable("no action " + text));
    action->trigger();
}

void clickCell(QTableWidget *table, int row, int col)
{
    table->scrollToItem(table->item(row, PLU_MARK_COLUMN));
    const QRect cell = table->visualRect(table->model()->index(row, col));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFileBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}
