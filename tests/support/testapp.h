#ifndef TESTAPP_H
#define TESTAPP_H

#include <QByteArray>
#include <QString>

class QAction;
class QTableWidget;
class QWidget;
class Tarexa;

// Gives a test program the application identity Tarexa runs with, its
// compiled-in images, a private settings store in a temporary folder and
// the test data folders, so that no test reads or writes the user's own
// settings or database.
void setUpTestApplication();
QString testSettingsFolder();

// Puts text into a cell the way a user's edit does.
void typeInto(QTableWidget *table, int row, int col, const QString &text);
QString cellText(QTableWidget *table, int row, int col);

// Triggers the window's action with this text (such as "&Save"), as a
// click on its menu entry does; fails the calling test when there is none.
QAction *findAction(QWidget *window, const QString &text);
void triggerAction(QWidget *window, const QString &text);
// Clicks a cell of the table with the mouse, as a user does.
void clickCell(QTableWidget *table, int row, int col);

QByteArray fileBytes(const QString &path);
void writeFileBytes(const QString &path, const QByteArray &bytes);

#endif // TESTAPP_H
