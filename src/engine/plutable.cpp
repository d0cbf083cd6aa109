#include "plutable.h"

PluTable::PluTable()
{
    clear();
}

void PluTable::clear()
{
    m_rows.assign(PLU_COUNT, PLU_STRING());
    m_marks.assign(PLU_COUNT, false);
    for (int r = 0; r < PLU_COUNT; ++r)
        m_rows[size_t(r)].Number = QString::number(r);
}

void PluTable::setRow(int row, const PLU_STRING &s)
{
    PLU_STRING &target = m_rows[size_t(row)];
    for (int col = 0; col < PLU_DATA_COLUMNS; ++col)
        target.field(col) = s.field(col);
}

QString PluTable::text(int row, int column) const
{
    return m_rows[size_t(row)].field(column);
}

void PluTable::setText(int row, int column, const QString &text)
{
    m_rows[size_t(row)].field(column) = text;
}

void PluTable::setMarked(int row, bool marked)
{
    m_marks[size_t(row)] = marked;
}

QList<int> PluTable::rowsInUse() const
{
    QList<int> rows;
    for (int r = 0; r < PLU_COUNT; ++r)
        if (isInUse(r))
            rows << r;
    return rows;
}

QList<int> PluTable::markedRows() const
{
    QList<int> rows;
    for (int r = 0; r < PLU_COUNT; ++r)
        if (isMarked(r))
            rows << r;
    return rows;
}

bool PluTable::operator==(const PluTable &other) const
{
    return m_rows == other.m_rows && m_marks == other.m_marks;
}
