#include "changes.h"
#include "comm.h"
#include "cp1251.h"
#include "plutable.h"
#include "rules.h"

namespace {

// A text as the scale keeps it: what goes on the line (composed, control
// characters as blanks, '?' for what the code page lacks), read back.
QString asOnScale(const QString &text)
{
    return fromCp1251(toCp1251(lineText(text)));
}

template<typename T>
bool sameNumber(const std::optional<T> &a, const std::optional<T> &b)
{
    return a && b && *a == *b;
}

QList<FieldDifference> fieldDifferences(const PLU_STRING &inTable, const PLU_STRING &onScale)
{
    QList<FieldDifference> list;
    for (int col = 0; col < PLU_DATA_COLUMNS; ++col)
        if (!sameOnScale(col, inTable.field(col), onScale.field(col)))
            list.append({ col, inTable.field(col), onScale.field(col) });
    return list;
}

} // namespace

bool sameOnScale(int column, const QString &a, const QString &b)
{
    if (a == b)
        return true;
    if (column == PriceColumn)
        return sameNumber(priceValue(a), priceValue(b));
    // An empty durability goes out as 0.
    if (column == DurabilityColumn)
        return sameNumber(durabilityValue(a.isEmpty() ? QStringLiteral("0") : a),
                          durabilityValue(b.isEmpty() ? QStringLiteral("0") : b));
    if (column >= Name1Column && column <= Name3Column)
        return asOnScale(a) == asOnScale(b);
    return false;
}

QList<int> changedRows(const PluTable &table, const Snapshot &snapshot)
{
    QList<int> rows;
    for (int row : table.rowsInUse()) {
        const auto held = snapshot.plus.constFind(row);
        if (held == snapshot.plus.cend() || !fieldDifferences(table.row(row), *held).isEmpty())
            rows.append(row);
    }
    return rows;
}

QList<int> missingFromTable(const PluTable &table, const Snapshot &snapshot)
{
    QList<int> plus;
    for (auto it = snapshot.plus.cbegin(); it != snapshot.plus.cend(); ++it)
        if (it.key() >= 0 && it.key() < PLU_COUNT && !table.isInUse(it.key()))
            plus.append(it.key());
    return plus;
}

Comparison compare(const PluTable &table, const Snapshot &snapshot)
{
    Comparison c;
    c.onlyOnScale = missingFromTable(table, snapshot);
    for (int row : table.rowsInUse()) {
        const auto held = snapshot.plus.constFind(row);
        if (held == snapshot.plus.cend()) {
            c.onlyInTable.append(row);
            continue;
        }
        const QList<FieldDifference> fields = fieldDifferences(table.row(row), *held);
        if (!fields.isEmpty())
            c.differing.append({ row, fields });
    }
    return c;
}

PluTable rowsOf(const PluTable &rows, const QList<int> &numbers)
{
    PluTable only;
    for (int row : numbers)
        only.setRow(row, rows.row(row));
    return only;
}
