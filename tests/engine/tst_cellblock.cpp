// Blocks of cells on the clipboard: tab-separated text both ways, and
// where a pasted block's values go and which ones their columns refuse.
#include "cellblock.h"
#include "plu.h"

#include <QTest>

Q_DECLARE_METATYPE(CellBlock)

class CellBlockTest : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void write_data();
    void write();
    void roundTrip_data();
    void roundTrip();
    void plan_data();
    void plan();
};

void CellBlockTest::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<CellBlock>("block");

    QTest::newRow("empty") << "" << CellBlock();
    QTest::newRow("one cell") << "5.00" << CellBlock { { "5.00" } };
    QTest::newRow("trailing newline") << "5.00\n" << CellBlock { { "5.00" } };
    QTest::newRow("trailing CRLF") << "5.00\r\n" << CellBlock { { "5.00" } };
    QTest::newRow("rows and columns")
        << "1\tTea\n2\tCoffee" << CellBlock { { "1", "Tea" }, { "2", "Coffee" } };
    QTest::newRow("CRLF rows") << "1\tTea\r\n2\tCoffee\r\n"
                               << CellBlock { { "1", "Tea" }, { "2", "Coffee" } };
    QTest::newRow("lone CR") << "1\r2" << CellBlock { { "1" }, { "2" } };
    QTest::newRow("empty cells") << "\t\tx\n\t" << CellBlock { { "", "", "x" }, { "", "" } };
    QTest::newRow("empty line kept") << "1\n\n2" << CellBlock { { "1" }, { "" }, { "2" } };
    QTest::newRow("quoted tab and newline")
        << "\"a\tb\"\t\"c\nd\"\ne" << CellBlock { { "a\tb", "c\nd" }, { "e" } };
    QTest::newRow("doubled quotes") << "\"say \"\"hi\"\"\"" << CellBlock { { "say \"hi\"" } };
    QTest::newRow("quote inside a cell") << "Milk \"Fresh\"\t1"
                                         << CellBlock { { "Milk \"Fresh\"", "1" } };
    QTest::newRow("unclosed quote") << "\"abc\tx" << CellBlock { { "\"abc", "x" } };
    QTest::newRow("quote closed early") << "\"Best\" milk\t2"
                                        << CellBlock { { "\"Best\" milk", "2" } };
    QTest::newRow("Cyrillic") << "Чай\t5" << CellBlock { { "Чай", "5" } };
}

void CellBlockTest::parse()
{
    QFETCH(QString, text);
    QTEST(parseCellBlock(text), "block");
}

void CellBlockTest::write_data()
{
    QTest::addColumn<CellBlock>("block");
    QTest::addColumn<QString>("text");

    QTest::newRow("empty") << CellBlock() << "";
    QTest::newRow("grid") << CellBlock { { "1", "Tea" }, { "", "x" } } << "1\tTea\n\tx";
    QTest::newRow("tab quoted") << CellBlock { { "a\tb" } } << "\"a\tb\"";
    QTest::newRow("line break quoted") << CellBlock { { "a\nb" } } << "\"a\nb\"";
    QTest::newRow("leading quote doubled") << CellBlock { { "\"x\" y" } } << "\"\"\"x\"\" y\"";
    QTest::newRow("inner quote as is") << CellBlock { { "Milk \"Fresh\"" } } << "Milk \"Fresh\"";
}

void CellBlockTest::write()
{
    QFETCH(CellBlock, block);
    QTEST(cellBlockText(block), "text");
}

void CellBlockTest::roundTrip_data()
{
    QTest::addColumn<CellBlock>("block");
    QTest::newRow("plain") << CellBlock { { "1.50", "Tea", "", "", "4600000000005", "7" } };
    QTest::newRow("awkward") << CellBlock { { "\"", "a\tb", "\r\n" }, { "\"\"", "x\"", "" } };
}

void CellBlockTest::roundTrip()
{
    QFETCH(CellBlock, block);
    QCOMPARE(parseCellBlock(cellBlockText(block)), block);
}

void CellBlockTest::plan_data()
{
    QTest::addColumn<CellBlock>("block");
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<int>("startColumn");
    QTest::addColumn<QList<CellValue>>("accepted");
    QTest::addColumn<QList<int>>("refusedAt");     // row * 10 + column, in order
    QTest::addColumn<bool>("cut");

    QTest::newRow("fits") << CellBlock { { "1.5", "Tea" }, { "2", "" } } << QList<int> { 3, 4 }
                          << int(PriceColumn)
                          << QList<CellValue> { { 3, PriceColumn, "1.5" }, { 3, Name1Column, "Tea" },
                                                { 4, PriceColumn, "2" }, { 4, Name1Column, "" } }
                          << QList<int>() << false;
    QTest::newRow("rows not in order follow the list")
        << CellBlock { { "1" }, { "2" } } << QList<int> { 5, 9 } << int(DurabilityColumn)
        << QList<CellValue> { { 5, DurabilityColumn, "1" }, { 9, DurabilityColumn, "2" } }
        << QList<int>() << false;
    QTest::newRow("refused values")
        << CellBlock { { "abc", "A name far longer than nineteen", "123" } } << QList<int> { 2 }
        << int(PriceColumn) << QList<CellValue> { { 2, Name2Column, "123" } }
        << QList<int> { 20, 21 } << false;
    QTest::newRow("past the last column")
        << CellBlock { { "4600000000005", "7", "extra" } } << QList<int> { 1 }
        << int(BarcodeColumn)
        << QList<CellValue> { { 1, BarcodeColumn, "4600000000005" }, { 1, DurabilityColumn, "7" } }
        << QList<int>() << true;
    QTest::newRow("past the last row")
        << CellBlock { { "1" }, { "2" }, { "3" } } << QList<int> { 997, 998 } << int(PriceColumn)
        << QList<CellValue> { { 997, PriceColumn, "1" }, { 998, PriceColumn, "2" } }
        << QList<int>() << true;
    QTest::newRow("start in the mark column")
        << CellBlock { { "1" } } << QList<int> { 0 } << int(PLU_MARK_COLUMN)
        << QList<CellValue>() << QList<int>() << true;
}

void CellBlockTest::plan()
{
    QFETCH(CellBlock, block);
    QFETCH(QList<int>, rows);
    QFETCH(int, startColumn);
    const PastePlan plan = planPaste(block, rows, startColumn);
    QTEST(plan.accepted, "accepted");
    QList<int> refusedAt;
    for (const Refusal &refusal : plan.refused) {
        refusedAt << refusal.row * 10 + refusal.column;
        QVERIFY(!refusal.message.isEmpty());
        QCOMPARE(refusal.message, refusalMessage(refusal.column, refusal.value));
    }
    QTEST(refusedAt, "refusedAt");
    QTEST(plan.cut, "cut");
}

QTEST_GUILESS_MAIN(CellBlockTest)
#include "tst_cellblock.moc"
