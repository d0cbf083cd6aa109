#include "plusheet.h"
#include "plutable.h"
#include "rules.h"
#include "scale.h"

#include <QBrush>
#include <QColor>
#include <QCoreApplication>
#include <QHeaderView>
#include <QMessageBox>
#include <QSignalBlocker>
#include <QStringList>

QString pluCellText(const QTableWidget *table, int row, int col)
{
    const QTableWidgetItem *cell = table->item(row, col);
    return cell ? cell->text() : QString();
}

PLU_STRING pluOfTableRow(const QTableWidget *table, int row)
{
    PLU_STRING plu;
    plu.Number = QString::number(row);
    for (int col = 0; col < PLU_DATA_COLUMNS; ++col)
        plu.field(col) = pluCellText(table, row, col);
    return plu;
}

namespace {

const int RowHeight = 22;
const int ColumnCount = PluColumnCount;
const int ColumnWidths[ColumnCount] = { 80, 150, 150, 150, 120, 100, 50 };

const QColor DisabledCellColor(240, 240, 240, 255);
const QColor EnabledCellColor(255, 255, 255, 255);
const QColor MarkColor(0, 180, 0, 255);
const char *const MarkText = "SEL";

} // namespace

// The sheet is built before its notifications are connected, so building
// it never counts as a change of the document.
PluSheet::PluSheet(QWidget *parent)
    : QTableWidget(PLU_COUNT, ColumnCount, parent)
{
    // Every row is the same height; giving it as the default is one call
    // instead of a header relayout for each of the 999 rows.
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(RowHeight);
    for (int row = 0; row < PLU_COUNT; ++row) {
        putUnmarkedCell(row);
    }

    QStringList headerList;
    for (int col = 0; col < ColumnCount; ++col)
        headerList << columnLabel(col);
    setHorizontalHeaderLabels(headerList);
    for (int col = 0; col < ColumnCount; ++col)
        setColumnWidth(col, ColumnWidths[col]);
}

// Every row has its selection cell at all times: empty, centred, grey and
// beyond the reach of editing.
void PluSheet::putUnmarkedCell(int row)
{
    auto *mark = new QTableWidgetItem(QString());
    mark->setTextAlignment(Qt::AlignCenter);
    setItem(row, PLU_MARK_COLUMN, mark);
    enableTextCell(row, PLU_MARK_COLUMN, false);
}

QTableWidgetItem *PluSheet::enableTextCell(int row, int col, bool enable)
{
    QTableWidgetItem *cell = item(row, col);
    if (enable) {
        cell->setFlags(Qt::ItemIsEditable | Qt::ItemIsEnabled);
        cell->setBackground(QBrush(EnabledCellColor));
    } else {
        cell->setFlags(Qt::NoItemFlags);
        cell->setBackground(QBrush(DisabledCellColor));
    }
    return cell;
}

void PluSheet::clearRows()
{
    m_refusedRows.clear();
    const QSignalBlocker blocker(this);
    for (int row = 0; row < PLU_COUNT; ++row) {
        for (int col = 0; col < PLU_MARK_COLUMN; ++col)
            delete takeItem(row, col);
        putUnmarkedCell(row);
    }
    viewport()->update();
}

void PluSheet::putPluInRow(short row, const PLU_STRING &s)
{
    const QString texts[PLU_DATA_COLUMNS] = { s.Price, s.Name[0], s.Name[1], s.Name[2],
                                              s.Barcode, s.Durabil };
    for (int col = 0; col < PLU_DATA_COLUMNS; ++col)
        setItem(row, col, new QTableWidgetItem(texts[col]));
}

PluTable PluSheet::contents() const
{
    PluTable contents;
    for (int row = 0; row < PLU_COUNT; ++row) {
        contents.setRow(row, pluOfTableRow(this, row));
        contents.setMarked(row, isMarkedRow(row));
    }
    return contents;
}

bool PluSheet::isMarkedRow(int row) const
{
    return !pluCellText(this, row, PLU_MARK_COLUMN).isEmpty();
}

// Emptying a refused cell raises a cell change once more, nested; the empty
// text passes, so each refused value shows exactly one box. The box keeps
// the words, and the parent, the main window gave it.
void PluSheet::refuseInvalid(int row, int col)
{
    QTableWidgetItem *cell = item(row, col);
    const QString message = cell ? refusalMessage(col, cell->text()) : QString();
    if (message.isEmpty())
        return;
    QMessageBox::critical(window(), QCoreApplication::translate("Tarexa", "Error"), message,
                          QMessageBox::Ok, QMessageBox::NoButton);
    m_refusedRows.insert(row);
    if (QTableWidgetItem *same = item(row, col))
        same->setText(QString());
}

void PluSheet::toggleMark(int row, int col)
{
    if (col == PLU_MARK_COLUMN)
        setMarked(row, !isMarkedRow(row));
}

void PluSheet::setMarked(int row, bool marked)
{
    QTableWidgetItem *mark = item(row, PLU_MARK_COLUMN);
    if (!mark)
        return;
    if (marked) {
        mark->setForeground(QBrush(MarkColor));
        mark->setText(QString::fromLatin1(MarkText));
    } else {
        mark->setText(QString());
    }
}

void PluSheet::putCellText(int row, int col, const QString &text)
{
    if (col == PLU_MARK_COLUMN) {
        setMarked(row, !text.isEmpty());
        return;
    }
    if (QTableWidgetItem *cell = item(row, col))
        cell->setText(text);
    else if (!text.isEmpty())
        setItem(row, col, new QTableWidgetItem(text));
}

short PluSheet::putReplyInRow(QString &reply)
{
    reply.remove(0, 4);     // SOH, status and the two length digits
    PLU_STRING s;
    const short number = replyToPlu(reply, s);
    if (number >= 0)
        putPluInRow(number, s);
    return number;
}
