#ifndef TESTAPP_H
#define TESTAPP_H

#include <QString>

class QTableWidget;
class Tarexa;

// Gives a test program the application identity Tarexa runs with, its
// compiled-in images and a private settings store in a temporary folder,
// so that no test reads or writes the user's own settings.
void setUpTestApplication();
QString testSettingsFolder();

// Puts text into a cell the way a user's edit does.
void typeInto(QTableWidget *table, int row, int col, const QString &text);
QString cellText(QTableWidget *table, int row, int col);

#endif // TESTAPP_H
