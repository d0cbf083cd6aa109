#include "sheetclipboard.h"
#include "cellblock.h"
#include "document.h"
#include "plusheet.h"
#include "sheetundo.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMessageBox>

#include <algorithm>

namespace {

// The distinct values, in order.
QList<int> distinct(QList<int> values)
{
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    return values;
}

qsizetype position(const QList<int> &sorted, int value)
{
    return std::lower_bound(sorted.begin(), sorted.end(), value) - sorted.begin();
}

QList<int> rowsOf(const QModelIndexList &cells)
{
    QList<int> rows;
    for (const QModelIndex &cell : cells)
        rows << cell.row();
    return distinct(rows);
}

} // namespace

SheetClipboard::SheetClipboard(QWidget *window, PluSheet &sheet, Document &document)
    : m_window(window), m_sheet(sheet), m_document(document)
{
}

// Select All, or a range dragged across rows Find hides, takes the hidden
// rows into the selection model too: they are left out here, with the mark
// cells, which cannot be selected.
QModelIndexList SheetClipboard::selectedCells() const
{
    QModelIndexList cells = m_sheet.selectionModel()->selectedIndexes();
    cells.removeIf([this](const QModelIndex &cell) {
        return cell.column() >= PLU_DATA_COLUMNS || m_sheet.isRowHidden(cell.row());
    });
    return cells;
}

QString SheetClipboard::selectionText() const
{
    const QModelIndexList cells = selectedCells();
    QList<int> columns;
    for (const QModelIndex &cell : cells)
        columns << cell.column();
    columns = distinct(columns);
    const QList<int> rows = rowsOf(cells);
    CellBlock block(rows.size(), QStringList(columns.size()));
    for (const QModelIndex &cell : cells)
        block[position(rows, cell.row())][position(columns, cell.column())] =
            pluCellText(&m_sheet, cell.row(), cell.column());
    return cellBlockText(block);
}

bool SheetClipboard::copy() const
{
    const QModelIndexList cells = selectedCells();
    if (cells.isEmpty())
        return false;
    if (!isOneBlock(cells)) {
        m_document.showStatus(tr("Copy and Cut take one block of cells. Select a single block, "
                                 "then try again."));
        return false;
    }
    QGuiApplication::clipboard()->setText(selectionText());
    return true;
}

void SheetClipboard::cut()
{
    const QModelIndexList cells = selectedCells();
    if (copy())
        emptyCells(cells);
}

// Every selected row has the same selected columns: the cells fill the
// rectangle of their rows and columns.
bool SheetClipboard::isOneBlock(const QModelIndexList &cells)
{
    QList<int> columns;
    for (const QModelIndex &cell : cells)
        columns << cell.column();
    return cells.size() == rowsOf(cells).size() * distinct(columns).size();
}

void SheetClipboard::clear()
{
    emptyCells(selectedCells());
}

// Emptying a price takes its row out of use, as typing would.
void SheetClipboard::emptyCells(const QModelIndexList &cells)
{
    const SheetHistory::Step step(m_document.history());
    for (const QModelIndex &cell : cells)
        m_sheet.putCellText(cell.row(), cell.column(), QString());
}

void SheetClipboard::toggleMarks()
{
    QList<int> rows = rowsOf(selectedCells());
    if (rows.isEmpty() && m_sheet.currentRow() >= 0 && !m_sheet.isRowHidden(m_sheet.currentRow()))
        rows << m_sheet.currentRow();
    const SheetHistory::Step step(m_document.history());
    for (int row : std::as_const(rows))
        m_sheet.toggleMark(row, PLU_MARK_COLUMN);
}

void SheetClipboard::paste()
{
    pasteText(QGuiApplication::clipboard()->text());
}

// The block goes to the rows that show, from the current one down.
QList<int> SheetClipboard::shownRowsFrom(int row, qsizetype count) const
{
    QList<int> rows;
    for (; row < m_sheet.rowCount() && rows.size() < count; ++row)
        if (!m_sheet.isRowHidden(row))
            rows << row;
    return rows;
}

void SheetClipboard::pasteText(const QString &text)
{
    const CellBlock block = parseCellBlock(text);
    if (block.isEmpty()) {
        m_document.showStatus(tr("There is no text on the clipboard to paste."));
        return;
    }
    const int row = m_sheet.currentRow();
    const int column = m_sheet.currentColumn();
    if (row < 0 || column < 0) {
        m_document.showStatus(tr("Click the cell where the block is to start, then paste again."));
        return;
    }
    const PastePlan plan = planPaste(block, shownRowsFrom(row, block.size()), column);
    {
        const SheetHistory::Step step(m_document.history());
        for (const CellValue &value : plan.accepted)
            m_sheet.putCellText(value.row, value.column, value.text);
    }
    if (!plan.refused.isEmpty() || plan.cut)
        tellPasteRefusals(plan);
}

// One box however many: the first lines in its text, all of them under
// its details.
void SheetClipboard::tellPasteRefusals(const PastePlan &plan)
{
    const int shownInText = 8;
    QStringList lines;
    for (const Refusal &refusal : plan.refused)
        lines << tr("PLU %1 (row %2), %3: %4 was not pasted. %5")
                     .arg(QString::number(refusal.row), QString::number(refusal.row + 1),
                          columnLabel(refusal.column), shownValue(refusal.value),
                          refusal.message);
    QStringList parts;
    if (!lines.isEmpty()) {
        QString refused = tr("Values not pasted: %1. Their columns do not take them, so their"
                             " cells were left as they were.").arg(lines.size())
                        + QLatin1String("\n\n") + lines.mid(0, shownInText).join(QLatin1Char('\n'));
        if (lines.size() > shownInText)
            refused += QLatin1String("\n...\n\n") + tr("Show Details lists all of them.");
        parts << refused;
    }
    if (plan.cut)
        parts << tr("The block runs past the last row or column of the table: the part"
                    " beyond it was not pasted.");
    QMessageBox box(QMessageBox::Warning, tr("Paste"), parts.join(QLatin1String("\n\n")),
                    QMessageBox::Ok, m_window);
    if (lines.size() > shownInText)
        box.setDetailedText(lines.join(QLatin1Char('\n')));
    box.exec();
}
