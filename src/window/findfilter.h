#ifndef FINDFILTER_H
#define FINDFILTER_H

#include "plu.h"

#include <QLineEdit>
#include <QPointer>

#include <optional>

class QTableWidget;

// Whether a row belongs in the Find filter: its PLU number, price, names or
// barcode contain the needle, whatever the case (Cyrillic as well), with
// ё and е taken as one letter. The
// durability is left out: a number of days is never what one looks for.
// An empty needle keeps every row.
bool rowMatches(const PLU_STRING &row, const QString &needle);

// Hides the rows of the PLU table that do not match and shows the others;
// only the rows' visibility changes, never their texts or marks. Returns
// the number of rows shown.
int applyFilter(QTableWidget *table, const QString &needle);

// "12 of 999 rows shown", for the status bar.
QString shownRowsText(int shown);

// Asks for a PLU number, 0 to 998, starting at current; empty when the
// user cancels.
std::optional<int> askPluNumber(QWidget *parent, int current = 0);

// The Find field of the tool bar: filters the table as the user types and
// Escape clears it.
class FindField : public QLineEdit
{
    Q_OBJECT

public:
    explicit FindField(QTableWidget *table, QWidget *parent = nullptr);

    // Scrolls to the cell and selects it; when the filter hides its row,
    // the filter is cleared first.
    void goToCell(int row, int column);
    // Go to PLU: the PLU's price cell.
    void goToPlu(int number) { goToCell(number, PriceColumn); }

public slots:
    // Edit > Find: the field takes the keys, its text selected.
    void focusForTyping();
    // Filters again, for when the table got new contents (a file opened,
    // a read from the scale). Edits do not refilter, so a row being typed
    // into does not vanish under the cursor.
    void refilter();

signals:
    void filterApplied(int shownRows);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QPointer<QTableWidget> m_table;
};

#endif // FINDFILTER_H
