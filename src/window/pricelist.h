#ifndef PRICELIST_H
#define PRICELIST_H

#include "plutable.h"

#include <QCoreApplication>
#include <QDate>
#include <QList>
#include <QString>

class QPagedPaintDevice;
class QPainter;
class QRectF;
class QTextOption;

// Where each page of a list starts, for rows of the given heights on pages
// whose body holds bodyHeight: the index of the first row of every page.
// A row never splits; one taller than a page gets a page of its own. No
// rows, no pages.
QList<int> firstRowsOfPages(const QList<qreal> &rowHeights, qreal bodyHeight);

// What the heading of every page names.
struct PriceListHeading
{
    QString fileName;   // empty for a document that was never saved
    QString scale;
    QDate date;
};

// The rows in use of a PLU table as a printed price list: PLU, names,
// price, barcode and durability, a heading with the file, the scale and
// the date on every page, and "Page 2 of 5" at its foot. Painted with
// QPainter on any paged device (a PDF writer, a printer); a name too long
// for its column wraps within it, so nothing is cut off. Its words are the
// main window's.
class PriceList
{
    Q_DECLARE_TR_FUNCTIONS(Tarexa)

public:
    PriceList(const PluTable &table, const PriceListHeading &heading);

    bool isEmpty() const { return m_rows.isEmpty(); }
    // Paints every page on device, in the device's page size; false when
    // the device could not be painted on (a file that cannot be written).
    bool paint(QPagedPaintDevice &device) const;
    // How many pages the last paint made.
    int pageCount() const { return m_pageCount; }

private:
    struct Layout;

    QStringList cellsOf(int row) const;
    Layout measure(QPainter &painter) const;
    void paintPage(QPainter &painter, const Layout &layout, int page, int first, int end) const;
    void paintHeading(QPainter &painter, const Layout &layout) const;
    void paintFooter(QPainter &painter, const Layout &layout, int page) const;
    static QTextOption cellOption(int printedColumn);
    static QRectF cellRect(const Layout &layout, int printedColumn, qreal y);
    static qreal rowHeight(QPainter &painter, const Layout &layout, const QStringList &cells);
    static void paintRow(QPainter &painter, const Layout &layout, const QStringList &cells,
                         qreal y, bool bold);

    PluTable m_table;
    QList<int> m_rows;
    PriceListHeading m_heading;
    mutable int m_pageCount = 0;
};

#endif // PRICELIST_H
