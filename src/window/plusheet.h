#ifndef PLUSHEET_H
#define PLUSHEET_H

#include "plu.h"

#include <QSet>
#include <QTableWidget>

class PluTable;

// The text of a cell of the PLU table; a cell without an item is empty.
QString pluCellText(const QTableWidget *table, int row, int col);
// The texts of a row of the PLU table, numbered by the row.
PLU_STRING pluOfTableRow(const QTableWidget *table, int row);

// The document's sheet: one row for each PLU, the six texts of a PLU and
// its mark. Every value put into it passes its column's rule.
class PluSheet : public QTableWidget
{
    Q_OBJECT

public:
    explicit PluSheet(QWidget *parent = nullptr);

    // Empties every row and forgets the refused rows, without raising a
    // single cell change.
    void clearRows();
    // A PLU read from the scale or loaded from a file: each new cell raises
    // a cell change, so every value passes the column's rule like a typed one.
    void putPluInRow(short row, const PLU_STRING &s);
    // A read reply, from its SOH on, put in the row of the PLU it names;
    // returns that PLU, or -1 when it names none (and nothing changes).
    short putReplyInRow(QString &reply);
    // The sheet in the engine's terms, for a scale command or a save.
    PluTable contents() const;
    bool isMarkedRow(int row) const;
    // A cell changed: a value its column refuses is emptied, after a box
    // that says why, and its row is remembered.
    void refuseInvalid(int row, int col);
    // A click on a mark cell sets or clears the mark.
    void toggleMark(int row, int col);
    void setMarked(int row, bool marked);
    // Puts text in a cell as an edit would, raising a cell change; in the
    // mark column any text sets the mark and an empty one clears it.
    void putCellText(int row, int col, const QString &text);
    // Rows of this document that had a value refused: a row may have lost
    // its price (or its number) that way, and must not pass for a PLU the
    // table lacks.
    const QSet<int> &refusedRows() const { return m_refusedRows; }
    // Tells whoever shows the sheet that it holds new contents (a file
    // opened, a read from the scale).
    void announceNewContents() { emit newContents(); }

signals:
    void newContents();

private:
    QTableWidgetItem *enableTextCell(int row, int col, bool enable);
    void putUnmarkedCell(int row);

    QSet<int> m_refusedRows;
};

#endif // PLUSHEET_H
