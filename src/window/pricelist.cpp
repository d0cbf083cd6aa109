#include "pricelist.h"
#include "rules.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QLocale>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextOption>

#include <array>

QList<int> firstRowsOfPages(const QList<qreal> &rowHeights, qreal bodyHeight)
{
    QList<int> firsts;
    qreal used = 0;
    for (int row = 0; row < rowHeights.size(); ++row) {
        if (firsts.isEmpty() || (used > 0 && used + rowHeights[row] > bodyHeight)) {
            firsts << row;
            used = 0;
        }
        used += rowHeights[row];
    }
    return firsts;
}

namespace {

// The printed columns, in order, and the table's column each one shows
// (-1 for the PLU number, which is the row).
constexpr int PrintedColumnCount = 7;
constexpr std::array<int, PrintedColumnCount> PrintedColumns = {
    -1, Name1Column, Name2Column, Name3Column, PriceColumn, BarcodeColumn, DurabilityColumn
};
constexpr int FirstNameColumn = 1;
constexpr int NameColumnCount = 3;

const qreal BodyPointSize = 9;
const qreal TitlePointSize = 12;

// The widest text a column of fixed-form values holds, so that it never
// wraps: the names share what is left of the page.
QString widestValue(int column)
{
    switch (column) {
    case -1: return QStringLiteral("000");
    case PriceColumn: return QStringLiteral("0000.00");
    case BarcodeColumn: return QStringLiteral("0000000000000");
    case DurabilityColumn: return QStringLiteral("000");
    default: return QString();
    }
}

bool isNameColumn(int printedColumn)
{
    return printedColumn >= FirstNameColumn && printedColumn < FirstNameColumn + NameColumnCount;
}

bool alignsRight(int column)
{
    return column == -1 || column == PriceColumn || column == DurabilityColumn;
}

QStringList columnHeadings()
{
    QStringList headings;
    for (int column : PrintedColumns)
        headings << (column < 0 ? QStringLiteral("PLU") : columnLabel(column));
    return headings;
}

} // namespace

// Measured once per paint, on the device painted on: its resolution
// decides what a point is.
struct PriceList::Layout
{
    QFont font, bold, title;
    qreal width = 0, height = 0;
    qreal lineHeight = 0, titleHeight = 0, gap = 0;
    qreal headingHeight = 0, footerHeight = 0;
    std::array<qreal, PrintedColumnCount> x {}, columnWidth {};
    QList<qreal> rowHeights;
};

PriceList::PriceList(const PluTable &table, const PriceListHeading &heading)
    : m_table(table), m_rows(table.rowsInUse()), m_heading(heading)
{
}

QStringList PriceList::cellsOf(int row) const
{
    QStringList cells;
    for (int column : PrintedColumns)
        cells << (column < 0 ? QString::number(row) : m_table.text(row, column));
    return cells;
}

// Fixed columns are as wide as their widest value or heading; the names
// share the rest equally.
PriceList::Layout PriceList::measure(QPainter &painter) const
{
    Layout layout;
    QPaintDevice *device = painter.device();
    layout.width = device->width();
    layout.height = device->height();
    layout.font = painter.font();
    layout.font.setPointSizeF(BodyPointSize);
    layout.bold = layout.font;
    layout.bold.setBold(true);
    layout.title = layout.bold;
    layout.title.setPointSizeF(TitlePointSize);
    const QFontMetricsF body(layout.bold, device);
    layout.lineHeight = body.lineSpacing();
    layout.titleHeight = QFontMetricsF(layout.title, device).lineSpacing();
    layout.gap = body.averageCharWidth();

    const QStringList headings = columnHeadings();
    qreal fixed = 0;
    for (int i = 0; i < PrintedColumnCount; ++i) {
        if (isNameColumn(i))
            continue;
        layout.columnWidth[i] = qMax(body.horizontalAdvance(widestValue(PrintedColumns[i])),
                                     body.horizontalAdvance(headings[i]));
        fixed += layout.columnWidth[i];
    }
    const qreal nameWidth =
        qMax(layout.gap, (layout.width - fixed - layout.gap * (PrintedColumnCount - 1))
                             / NameColumnCount);
    qreal x = 0;
    for (int i = 0; i < PrintedColumnCount; ++i) {
        if (isNameColumn(i))
            layout.columnWidth[i] = nameWidth;
        layout.x[i] = x;
        x += layout.columnWidth[i] + layout.gap;
    }
    layout.headingHeight = layout.titleHeight + layout.lineHeight * 3.5;
    layout.footerHeight = layout.lineHeight * 2;
    for (int row : m_rows)
        layout.rowHeights << rowHeight(painter, layout, cellsOf(row));
    return layout;
}

bool PriceList::paint(QPagedPaintDevice &device) const
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const Layout layout = measure(painter);
    const QList<int> firsts = firstRowsOfPages(
        layout.rowHeights, layout.height - layout.headingHeight - layout.footerHeight);
    m_pageCount = int(firsts.size());
    for (int page = 0; page < m_pageCount; ++page) {
        if (page > 0 && !device.newPage())
            return false;
        const int end = page + 1 < m_pageCount ? firsts[page + 1] : int(m_rows.size());
        paintPage(painter, layout, page, firsts[page], end);
    }
    return painter.end();
}

void PriceList::paintPage(QPainter &painter, const Layout &layout, int page, int first,
                          int end) const
{
    paintHeading(painter, layout);
    qreal y = layout.headingHeight;
    for (int i = first; i < end; ++i) {
        paintRow(painter, layout, cellsOf(m_rows[i]), y, false);
        y += layout.rowHeights[i];
    }
    paintFooter(painter, layout, page);
}

// The file, then the scale and the date, then the column headings over a
// rule.
void PriceList::paintHeading(QPainter &painter, const Layout &layout) const
{
    const QString file = m_heading.fileName.isEmpty() ? tr("Untitled")
                                                      : QFileInfo(m_heading.fileName).fileName();
    painter.setFont(layout.title);
    const qreal titleHeight = layout.titleHeight;
    painter.drawText(QRectF(0, 0, layout.width, titleHeight), Qt::AlignLeft | Qt::AlignVCenter,
                     file);
    painter.setFont(layout.font);
    const QRectF second(0, titleHeight, layout.width, layout.lineHeight);
    painter.drawText(second, Qt::AlignLeft | Qt::AlignVCenter, tr("Scale: %1").arg(m_heading.scale));
    painter.drawText(second, Qt::AlignRight | Qt::AlignVCenter,
                     QLocale().toString(m_heading.date, QLocale::LongFormat));
    const qreal headingsTop = titleHeight + layout.lineHeight * 2;
    paintRow(painter, layout, columnHeadings(), headingsTop, true);
    const qreal ruleY = headingsTop + layout.lineHeight * 1.1;
    painter.drawLine(QPointF(0, ruleY), QPointF(layout.width, ruleY));
}

void PriceList::paintFooter(QPainter &painter, const Layout &layout, int page) const
{
    painter.setFont(layout.font);
    painter.drawText(QRectF(0, layout.height - layout.lineHeight, layout.width, layout.lineHeight),
                     Qt::AlignHCenter | Qt::AlignVCenter,
                     tr("Page %1 of %2").arg(page + 1).arg(m_pageCount));
}

QTextOption PriceList::cellOption(int printedColumn)
{
    QTextOption option(alignsRight(PrintedColumns[printedColumn]) ? Qt::AlignRight
                                                                    : Qt::AlignLeft);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    return option;
}

QRectF PriceList::cellRect(const Layout &layout, int printedColumn, qreal y)
{
    return QRectF(layout.x[printedColumn], y, layout.columnWidth[printedColumn], layout.height);
}

qreal PriceList::rowHeight(QPainter &painter, const Layout &layout, const QStringList &cells)
{
    painter.setFont(layout.font);
    qreal height = layout.lineHeight;
    for (int i = 0; i < PrintedColumnCount; ++i)
        height = qMax(height,
                      painter.boundingRect(cellRect(layout, i, 0), cells[i], cellOption(i)).height());
    return height;
}

void PriceList::paintRow(QPainter &painter, const Layout &layout, const QStringList &cells,
                         qreal y, bool bold)
{
    painter.setFont(bold ? layout.bold : layout.font);
    for (int i = 0; i < PrintedColumnCount; ++i)
        painter.drawText(cellRect(layout, i, y), cells[i], cellOption(i));
}
