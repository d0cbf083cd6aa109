#ifndef CELLBLOCK_H
#define CELLBLOCK_H

#include "rules.h"

#include <QList>
#include <QString>
#include <QStringList>

// A block of cell texts as spreadsheets put it on the clipboard: one line
// a row, a tab between the cells of a row. A cell that holds a tab, a line
// break or starts with a quote is written in quotes, with each quote in it
// doubled.
using CellBlock = QList<QStringList>;

// The block in text; accepts \n, \r\n or \r between rows and a line break
// after the last one. A quoted cell that is not closed before its tab or
// line break is taken as it stands, quotes and all. An empty text is an
// empty block.
CellBlock parseCellBlock(const QString &text);

// The block as text: rows joined by \n, without a line break after the last.
QString cellBlockText(const CellBlock &block);

// One value bound for a cell of the PLU table.
struct CellValue
{
    int row = -1;
    int column = -1;
    QString text;

    bool operator==(const CellValue &other) const
    {
        return row == other.row && column == other.column && text == other.text;
    }
};

// Where a pasted block goes: its values that their columns accept, the
// refused ones, and whether part of it ran past the last row or data
// column and was left out.
struct PastePlan
{
    QList<CellValue> accepted;
    QList<Refusal> refused;
    bool cut = false;
};

// The block laid out with its first cell in startColumn: line i goes to
// rows[i] (the rows that can take it, in order), each value held to its
// column's rule. Lines beyond the last of rows, and values beyond the last
// data column, are left out.
PastePlan planPaste(const CellBlock &block, const QList<int> &rows, int startColumn);

#endif // CELLBLOCK_H
