#ifndef CHANGES_H
#define CHANGES_H

#include "scalestore.h"

#include <QList>
#include <QString>

class PluTable;

// The rows in use of the table that the scale is not known to hold as they
// are: those that differ in any field, those the snapshot lacks and those
// it knows as unknown, in ascending order.
QList<int> changedRows(const PluTable &table, const Snapshot &snapshot);

// What a read that went to the end tells: the scale holds exactly these
// PLUs (a later one of a number replaces an earlier; unnumbered ones are
// left out).
Snapshot snapshotOfRead(const QList<PLU_STRING> &plus);

// PLU numbers as a list to read: "3, 5, 12".
QString numberListText(const QList<int> &numbers);

// A table holding only these rows of rows, for sending part of a table.
PluTable rowsOf(const PluTable &rows, const QList<int> &numbers);

// The PLUs the snapshot holds, or may hold (unknown), that are not in use
// in the table, ascending.
QList<int> missingFromTable(const PluTable &table, const Snapshot &snapshot);

// One field of a PLU that the table and the scale hold differently.
struct FieldDifference
{
    int column = PriceColumn;
    QString tableText;
    QString scaleText;
};

struct PluDifference
{
    int plu = 0;
    QList<FieldDifference> fields;
};

// The table beside the scale's snapshot, each list ascending.
struct Comparison
{
    QList<int> onlyInTable;
    QList<int> onlyOnScale;
    QList<PluDifference> differing;

    bool isEmpty() const
    {
        return onlyInTable.isEmpty() && onlyOnScale.isEmpty() && differing.isEmpty();
    }
};
Comparison compare(const PluTable &table, const Snapshot &snapshot);

// Whether the scale holds a field's two texts as the same value: the price
// and the durability are numbers to it ("1.5" and "1.50" are one price, an
// empty durability is 0), a name is what its bytes on the line read back as
// ("Crème" is held as "Cr?me"), the barcode is text.
bool sameOnScale(int column, const QString &a, const QString &b);

#endif // CHANGES_H
