#ifndef PLUTABLE_H
#define PLUTABLE_H

#include "plu.h"

#include <QList>

#include <vector>

// The document without a window: 999 rows of text, row r holding PLU r,
// and the deletion marks. A row is in use exactly when its price is not
// empty; other rows are neither saved nor programmed, whatever they hold.
class PluTable
{
public:
    PluTable();

    // The row's PLU; its Number is always the row index.
    const PLU_STRING &row(int row) const { return m_rows[size_t(row)]; }
    // Replaces the row's six texts; the Number of s is ignored.
    void setRow(int row, const PLU_STRING &s);
    QString text(int row, int column) const;
    void setText(int row, int column, const QString &text);

    bool isInUse(int row) const { return !m_rows[size_t(row)].Price.isEmpty(); }
    bool isMarked(int row) const { return m_marks[size_t(row)]; }
    void setMarked(int row, bool marked);

    QList<int> rowsInUse() const;
    QList<int> markedRows() const;
    // Every row empty and unmarked.
    void clear();

    bool operator==(const PluTable &other) const;

private:
    std::vector<PLU_STRING> m_rows;
    std::vector<bool> m_marks;
};

#endif // PLUTABLE_H
