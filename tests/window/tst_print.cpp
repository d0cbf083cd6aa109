// The printed price list: where its pages break, the PDF that Export PDF
// writes (read back with poppler's pdftotext and pdfinfo), and Print as far
// as a headless run can go: its dialog, and a cancel that does nothing.
#include "modalanswerer.h"
#include "plutable.h"
#include "pricelist.h"
#include "tarexa.h"
#include "testapp.h"

#include <QDate>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

// What poppler's tool prints for the file; the test fails where the tool
// is missing, since a skipped check would pass for a working one.
QString popplerOutput(const QString &tool, const QStringList &arguments)
{
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty()) {
        qWarning("%s is missing: install poppler-utils", qPrintable(tool));
        return QString();
    }
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The text of the PDF, each printed line kept on a line of its own.
QString pdfText(const QString &path)
{
    return popplerOutput(QStringLiteral("pdftotext"),
                         { "-layout", "-enc", "UTF-8", path, "-" });
}

// The line of text that holds needle, or an empty one.
QString lineWith(const QString &text, const QString &needle)
{
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString &line : lines)
        if (line.contains(needle))
            return line;
    return QString();
}

PLU_STRING plu(const QString &price, const QString &name1, const QString &name2 = QString(),
               const QString &barcode = QString(), const QString &durability = QString())
{
    PLU_STRING s;
    s.Price = price;
    s.Name[0] = name1;
    s.Name[1] = name2;
    s.Barcode = barcode;
    s.Durabil = durability;
    return s;
}

} // namespace

class PrintTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void pagesBreakBetweenRows_data();
    void pagesBreakBetweenRows();
    void exportPdfHoldsTheRowsInUse();
    void everyPageIsNumberedAndHeaded();
    void namesTooLongForTheirColumnWrap();
    void emptyListIsRefused_data();
    void emptyListIsRefused();
    void printOpensTheDialogAndCancelPrintsNothing();

private:
    Tarexa *window = nullptr;
    ModalAnswerer *answerer = nullptr;
    QTemporaryDir folder;
};

void PrintTest::initTestCase()
{
    setUpTestApplication();
    QVERIFY2(!QStandardPaths::findExecutable("pdftotext").isEmpty(),
             "pdftotext is missing: install poppler-utils");
}

void PrintTest::init()
{
    window = new Tarexa;
    answerer = new ModalAnswerer;
}

void PrintTest::cleanup()
{
    delete answerer;
    delete window;
}

void PrintTest::pagesBreakBetweenRows_data()
{
    QTest::addColumn<QList<qreal>>("heights");
    QTest::addColumn<qreal>("body");
    QTest::addColumn<QList<int>>("firsts");
    QTest::newRow("no rows, no pages") << QList<qreal>() << 10.0 << QList<int>();
    QTest::newRow("one page") << QList<qreal>{ 1, 1, 1 } << 10.0 << QList<int>{ 0 };
    QTest::newRow("exactly full") << QList<qreal>{ 5, 5 } << 10.0 << QList<int>{ 0 };
    QTest::newRow("the row that does not fit starts a page")
        << QList<qreal>{ 4, 4, 4, 4, 4 } << 10.0 << QList<int>{ 0, 2, 4 };
    QTest::newRow("a row taller than a page stands alone")
        << QList<qreal>{ 1, 25, 1 } << 10.0 << QList<int>{ 0, 1, 2 };
    QTest::newRow("a tall first row") << QList<qreal>{ 25, 1 } << 10.0 << QList<int>{ 0, 1 };
}

void PrintTest::pagesBreakBetweenRows()
{
    QFETCH(QList<qreal>, heights);
    QFETCH(qreal, body);
    QFETCH(QList<int>, firsts);
    QCOMPARE(firstRowsOfPages(heights, body), firsts);
}

// Through the window: the saved file's name, the scale and the date head
// the page; each row in use keeps its values on its line, Cyrillic
// included; a row without a price is not listed; the page is A4 portrait.
void PrintTest::exportPdfHoldsTheRowsInUse()
{
    QTableWidget *table = window->pluTable();
    typeInto(table, 7, PriceColumn, "12.50");
    typeInto(table, 7, Name1Column, "Хлеб ржаной");
    typeInto(table, 7, Name2Column, "Бородинский");
    typeInto(table, 7, BarcodeColumn, "4600000000008");
    typeInto(table, 7, DurabilityColumn, "3");
    typeInto(table, 42, PriceColumn, "199.90");
    typeInto(table, 42, Name1Column, "Ёлочные игрушки");
    typeInto(table, 500, Name1Column, "Without a price");
    const QString saved = folder.filePath("shop.xml");
    answerer->chooseFile(saved);
    triggerAction(window, "&Save");
    QCOMPARE(window->currentFileName(), saved);

    const QString pdf = folder.filePath("price list");
    answerer->chooseFile(pdf);
    triggerAction(window, "Export P&DF...");
    QVERIFY2(answerer->boxes.isEmpty(), qPrintable(answerer->texts().join('|')));
    QCOMPARE(answerer->fileDialogTitles, QStringList({ "Save File", "Export PDF" }));

    const QString text = pdfText(pdf + ".pdf");
    QVERIFY2(text.contains("shop.xml"), qPrintable(text));
    QVERIFY(text.contains("Scale: " + window->currentScaleName()));
    QVERIFY(text.contains(QLocale().toString(QDate::currentDate(), QLocale::LongFormat)));
    const QString bread = lineWith(text, "Хлеб ржаной");
    for (const char *value : { "7", "Бородинский", "12.50", "4600000000008", "3" })
        QVERIFY2(bread.contains(QString::fromUtf8(value)), qPrintable(bread));
    QVERIFY(lineWith(text, "Ёлочные игрушки").contains("199.90"));
    QVERIFY(!text.contains("Without a price"));
    QVERIFY(text.contains("Page 1 of 1"));

    const QString info = popplerOutput("pdfinfo", { pdf + ".pdf" });
    QVERIFY2(QRegularExpression("Page size:\\s+595 x 842 pts \\(A4\\)").match(info).hasMatch()
                 && QRegularExpression("Pages:\\s+1\\n").match(info).hasMatch(),
             qPrintable(info));
}

// A full table of 999 PLUs runs over many pages, each with the heading
// and "Page n of N"; every PLU is there once.
void PrintTest::everyPageIsNumberedAndHeaded()
{
    PluTable table;
    for (int row = 0; row < PLU_COUNT; ++row)
        table.setRow(row, plu(QString::number(row + 1) + ".25", QString("Товар %1").arg(row),
                              "Second name", "4600000000008", "10"));
    const PriceList list(table, { "/some/folder/full.xml", "Counter 2", QDate(2024, 3, 9) });
    const QString path = folder.filePath("full.pdf");
    {
        QPdfWriter writer(path);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(15, 15, 15, 15)));
        writer.setResolution(300);
        QVERIFY(list.paint(writer));
    }
    const int pages = list.pageCount();
    QVERIFY2(pages > 10, qPrintable(QString::number(pages)));
    const QString text = pdfText(path);
    for (int page = 1; page <= pages; ++page)
        QVERIFY2(text.contains(QString("Page %1 of %2").arg(page).arg(pages)),
                 qPrintable(QString::number(page)));
    QCOMPARE(text.count("full.xml"), pages);
    QCOMPARE(text.count("Scale: Counter 2"), pages);
    QCOMPARE(text.count("Barcode"), pages);
    for (int row : { 0, 1, 500, 998 }) {
        const QString line = lineWith(text, QString("Товар %1 ").arg(row));
        QVERIFY2(line.contains(QString::number(row + 1) + ".25"), qPrintable(line));
    }
    QCOMPARE(text.count("Товар"), PLU_COUNT);
}

// The longest names the scale takes, in wide letters, still print whole.
void PrintTest::namesTooLongForTheirColumnWrap()
{
    PluTable table;
    const QString wide = QString(19, QChar(0x0428));    // Ш
    table.setRow(3, plu("1", wide, wide));
    const PriceList list(table, { QString(), "Scale", QDate(2024, 1, 1) });
    const QString path = folder.filePath("wide.pdf");
    {
        QPdfWriter writer(path);
        writer.setPageSize(QPageSize(QPageSize::A4));
        QVERIFY(list.paint(writer));
    }
    const QString text = pdfText(path);
    QCOMPARE(text.count(QChar(0x0428)), 2 * 19);
    QVERIFY(text.contains("Untitled"));
}

void PrintTest::emptyListIsRefused_data()
{
    QTest::addColumn<QString>("action");
    QTest::newRow("print") << "&Print...";
    QTest::newRow("export") << "Export P&DF...";
}

// Nothing to list: the user is told why, and no dialog asks for a printer
// or a file.
void PrintTest::emptyListIsRefused()
{
    QFETCH(QString, action);
    typeInto(window->pluTable(), 4, Name1Column, "No price yet");
    triggerAction(window, action);
    QCOMPARE(answerer->boxes.size(), 1);
    QVERIFY(answerer->boxes.first().text.startsWith("No PLU has a price"));
    QVERIFY(answerer->fileDialogTitles.isEmpty());
    QVERIFY(answerer->otherDialogTitles.isEmpty());
}

void PrintTest::printOpensTheDialogAndCancelPrintsNothing()
{
    typeInto(window->pluTable(), 4, PriceColumn, "5");
    const bool modified = window->isTableModified();
    triggerAction(window, "&Print...");
    QCOMPARE(answerer->otherDialogTitles.size(), 1);
    QVERIFY(answerer->boxes.isEmpty());
    QCOMPARE(window->isTableModified(), modified);
}

QTEST_MAIN(PrintTest)
#include "tst_print.moc"
