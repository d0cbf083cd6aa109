#include "changes.h"
#include "comm.h"
#include "cp1251.h"
#include "plutable.h"
#include "rules.h"

#include <QStringList>

#include <algorithm>

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
    QList<int> plus = snapshot.plus.keys() + snapshot.unknown.values();
    std::sort(plus.begin(), plus.end());
    plus.erase(std::remove_if(plus.begin(), plus.end(),
                              [&](int plu) {
                                  return plu < 0 || plu >= PLU_COUNT || table.isInUse(plu);
                              }),
               plus.end());
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

QString numberListText(const QList<int> &numbers)
{
    QStringList texts;
    for (int n : numbers)
        texts << QString::number(n);
    return texts.join(QLatin1String(", "));
}

Snapshot snapshotOfRead(const QList<PLU_STRING> &plus)
{
    Snapshot s;
    s.state = Snapshot::Complete;
    for (const PLU_STRING &p : plus)
        if (const std::optional<int> number = parsePluNumber(p.Number))
            s.plus.insert(*number, p);
    return s;
}

PluTable rowsOf(const PluTable &rows, const QList<int> &numbers)
{
    PluTable only;
    for (int row : numbers)
        only.setRow(row, rows.row(row));
    return only;
}
