#include "cellblock.h"
#include "plu.h"

#include <algorithm>

namespace {

const QChar Tab = QLatin1Char('\t');
const QChar Quote = QLatin1Char('"');

bool endsCell(QChar c)
{
    return c == Tab || c == QLatin1Char('\n') || c == QLatin1Char('\r');
}

// A quoted cell from at (its opening quote) on: its text, and in next the
// position after its closing quote; false when the quotes do not close
// right before a tab, a line break or the end.
bool readQuotedCell(const QString &text, qsizetype at, QString &cell, qsizetype &next)
{
    QString value;
    for (qsizetype i = at + 1; i < text.size(); ++i) {
        if (text.at(i) != Quote) {
            value += text.at(i);
            continue;
        }
        if (i + 1 < text.size() && text.at(i + 1) == Quote) {
            value += Quote;
            ++i;
            continue;
        }
        if (i + 1 < text.size() && !endsCell(text.at(i + 1)))
            return false;
        cell = value;
        next = i + 1;
        return true;
    }
    return false;
}

// One cell from at on; at is left on what ended it (or the end).
QString readCell(const QString &text, qsizetype &at)
{
    QString cell;
    qsizetype next = at;
    if (at < text.size() && text.at(at) == Quote && readQuotedCell(text, at, cell, next)) {
        at = next;
        return cell;
    }
    while (at < text.size() && !endsCell(text.at(at)))
        cell += text.at(at++);
    return cell;
}

// Steps over a line break at at, whichever kind; false when there is none.
bool skipLineBreak(const QString &text, qsizetype &at)
{
    if (at >= text.size() || text.at(at) == Tab)
        return false;
    if (text.at(at) == QLatin1Char('\r') && at + 1 < text.size()
        && text.at(at + 1) == QLatin1Char('\n'))
        ++at;
    ++at;
    return true;
}

bool needsQuotes(const QString &cell)
{
    return cell.startsWith(Quote) || cell.contains(Tab) || cell.contains(QLatin1Char('\n'))
        || cell.contains(QLatin1Char('\r'));
}

QString cellText(const QString &cell)
{
    if (!needsQuotes(cell))
        return cell;
    QString doubled = cell;
    doubled.replace(Quote, QStringLiteral("\"\""));
    return Quote + doubled + Quote;
}

} // namespace

CellBlock parseCellBlock(const QString &text)
{
    CellBlock block;
    qsizetype at = 0;
    while (at < text.size()) {
        QStringList row;
        row << readCell(text, at);
        while (at < text.size() && text.at(at) == Tab) {
            ++at;
            row << readCell(text, at);
        }
        block << row;
        skipLineBreak(text, at);
    }
    return block;
}

QString cellBlockText(const CellBlock &block)
{
    QStringList lines;
    for (const QStringList &row : block) {
        QStringList cells;
        for (const QString &cell : row)
            cells << cellText(cell);
        lines << cells.join(Tab);
    }
    return lines.join(QLatin1Char('\n'));
}

PastePlan planPaste(const CellBlock &block, const QList<int> &rows, int startColumn)
{
    PastePlan plan;
    plan.cut = block.size() > rows.size();
    const qsizetype lines = std::min(block.size(), rows.size());
    for (qsizetype line = 0; line < lines; ++line) {
        const QStringList &values = block.at(line);
        for (qsizetype i = 0; i < values.size(); ++i) {
            const int column = startColumn + int(i);
            if (column < 0 || column >= PLU_DATA_COLUMNS) {
                plan.cut = true;
                break;
            }
            const QString message = refusalMessage(column, values.at(i));
            if (message.isEmpty())
                plan.accepted.append({ rows.at(line), column, values.at(i) });
            else
                plan.refused.append({ rows.at(line), column, values.at(i), message });
        }
    }
    return plan;
}
