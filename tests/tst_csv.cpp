// CSV export and import of the PLU table, and the check before programming.
// The files under data/csv were written by Python's csv module (make.py
// there), so the importer meets another program's quoting and encodings.
#include "check.h"
#include "csv.h"
#include "plutable.h"
#include "rules.h"

#include <QFile>
#include <QTest>

namespace {

QByteArray dataFile(const QString &name)
{
    QFile file(QStringLiteral(CSV_DATA_DIR "/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing test file %s", qPrintable(name));
    return file.readAll();
}

// "2|1.00|ok|||4600000000008|" for PLU 2: the number and the six texts.
QString rowTexts(const PLU_STRING &plu)
{
    QStringList texts = { plu.Number };
    for (int col = 0; col < PLU_DATA_COLUMNS; ++col)
        texts.append(plu.field(col));
    return texts.join(QLatin1Char('|'));
}

QStringList acceptedRows(const CsvImport &import)
{
    QStringList rows;
    for (const CsvRow &row : import.rows)
        rows.append(rowTexts(row.plu));
    return rows;
}

// "5 Price" for each refused value: the line and the column.
QStringList refusedPlaces(const CsvImport &import)
{
    QStringList places;
    for (const CsvRefusal &r : import.refusals)
        places.append(QStringLiteral("%1 %2").arg(r.line).arg(r.column));
    return places;
}

PLU_STRING plu(const QString &price, const QString &name1 = QString(),
               const QString &barcode = QString())
{
    PLU_STRING s;
    s.Price = price;
    s.Name[0] = name1;
    s.Barcode = barcode;
    return s;
}

const QByteArray Bom = "\xEF\xBB\xBF";
const QByteArray Header = "Number;Price;Name1;Name2;Name3;Barcode;Durability\r\n";

} // namespace

class CsvTest : public QObject
{
    Q_OBJECT

private slots:
    void filesOfOtherWriters_data();
    void filesOfOtherWriters();
    void refusedValues_data();
    void refusedValues();
    void unusableFiles_data();
    void unusableFiles();
    void headerMapping();
    void replaceOrUpdate();
    void exportedBytes();
    void exportThenImport_data();
    void exportThenImport();
    void checkFindings_data();
    void checkFindings();
};

void CsvTest::filesOfOtherWriters_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("encoding");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("UTF-8 with BOM, semicolon, quotes, decimal comma")
        << "utf8bom_semicolon.csv" << "UTF-8 with byte-order mark" << ";"
        << QStringList { "1|12.50|Молоко 3,2%|Пакет; 1 л|Сорт \"Экстра\"|4600000000008|7",
                         "2|0.99|Bread||||",
                         "998|9999.99|=SUM(A1)|spaced||2000000000015|255" };
    QTest::newRow("UTF-8, comma, LF, headers in any case")
        << "utf8_comma.csv" << "UTF-8" << ","
        << QStringList { "10|3.5|Äpfel, rot|Crème brûlée||4006381333931|12",
                         "11|1|Tea||||0" };
    QTest::newRow("Windows-1251, TAB, Russian headers in another order")
        << "cp1251_tab_russian.csv" << "Windows-1251" << "\t"
        << QStringList { "5|450.00|Сыр Российский|||4607001234566|30", "6|35|Хлеб||||" };
    QTest::newRow("XML attribute names, every field quoted")
        << "xml_names_quoted.csv" << "UTF-8" << ";"
        << QStringList { "3|2.00|first|second|third||1" };
}

void CsvTest::filesOfOtherWriters()
{
    QFETCH(QString, file);
    const CsvImport import = importCsv(dataFile(file));
    QVERIFY2(!import.failed(), qPrintable(import.error));
    QFETCH(QString, encoding);
    QFETCH(QString, separator);
    QFETCH(QStringList, rows);
    QCOMPARE(import.encoding, encoding);
    QCOMPARE(QString(import.separator), separator);
    QCOMPARE(refusedPlaces(import), QStringList());
    QCOMPARE(acceptedRows(import), rows);
}

void CsvTest::refusedValues_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("refused");
    QTest::addColumn<QList<int>>("accepted");

    QTest::newRow("spreadsheet faults")
        << dataFile("spreadsheet_faults.csv")
        << QStringList { "3 Barcode", "4 Barcode", "5 Number", "6 Name1", "7 Name1", "9 Price",
                         "10 Price" }
        << QList<int> { 1, 8 };
    QTest::newRow("numbers out of range or not numbers")
        << QByteArray("Number;Price\n999;1\n-1;1\n1.0;1\nabc;1\n;1\n 42 ;1\n")
        << QStringList { "2 Number", "3 Number", "4 Number", "5 Number", "6 Number" }
        << QList<int> { 42 };
    QTest::newRow("a line with several refusals is listed once per value")
        << QByteArray("Number;Price;Durability;Barcode\n1;10000;256;12345\n")
        << QStringList { "2 Price", "2 Durability", "2 Barcode" } << QList<int>();
    QTest::newRow("a quote never closed")
        << QByteArray("Number;Price;Name1\n1;1;ok\n2;1;\"open\n3;1;x\n")
        << QStringList { "3 Name1", "3 Name1" } << QList<int> { 1 };
    QTest::newRow("blank lines and trailing separators are no rows")
        << QByteArray("Number;Price;\r\n\r\n;;\r\n1;2;\r\n") << QStringList() << QList<int> { 1 };
    QTest::newRow("a price with two commas is not a decimal comma")
        << QByteArray("Number,Price\n1,\"1,2,3\"\n") << QStringList { "2 Price" } << QList<int>();
}

void CsvTest::refusedValues()
{
    QFETCH(QByteArray, bytes);
    const CsvImport import = importCsv(bytes);
    QVERIFY2(!import.failed(), qPrintable(import.error));
    QFETCH(QStringList, refused);
    QFETCH(QList<int>, accepted);
    QCOMPARE(refusedPlaces(import), refused);
    QList<int> numbers;
    for (const CsvRow &row : import.rows)
        numbers.append(row.number);
    QCOMPARE(numbers, accepted);
    for (const CsvRefusal &r : import.refusals)
        QVERIFY2(!r.reason.isEmpty(), qPrintable(csvRefusalLine(r)));
}

void CsvTest::unusableFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("errorPart");

    QTest::newRow("empty") << QByteArray() << "empty";
    QTest::newRow("only a BOM and blank lines") << Bom + "\r\n  \r\n" << "empty";
    QTest::newRow("binary") << QByteArray("Number;Price\n1;2\0\x01\x02", 19) << "binary";
    QTest::newRow("UTF-16 text") << QByteArray("\xFF\xFEN\0u\0m\0", 8) << "binary";
    QTest::newRow("no Price column, named with what was found")
        << QByteArray("Number;Name1;Barcode\n1;x;\n") << "no Price column; its header holds "
                                                         "\"Number\", \"Name1\", \"Barcode\"";
    QTest::newRow("no Number column") << QByteArray("Item;Price\n1;2\n") << "\"Item\", \"Price\"";
    QTest::newRow("a column named twice")
        << QByteArray("Number;Price;Цена\n1;2;3\n") << "\"Price\" and \"Цена\"";
}

void CsvTest::unusableFiles()
{
    QFETCH(QByteArray, bytes);
    const CsvImport import = importCsv(bytes);
    QVERIFY(import.failed());
    QFETCH(QString, errorPart);
    QVERIFY2(import.error.contains(errorPart), qPrintable(import.error));
    QVERIFY(import.rows.isEmpty());
}

void CsvTest::headerMapping()
{
    const CsvImport import =
        importCsv(QByteArray("Код;Наименование 2;ЦЕНА;Remark;Штрих-код;Срок хранения\n"));
    QVERIFY2(!import.failed(), qPrintable(import.error));
    QStringList mapped;
    for (const CsvMapping &m : import.mapping)
        mapped.append(m.header + "=" + csvFieldName(m.field));
    QCOMPARE(mapped, (QStringList { "Код=Number", "Наименование 2=Name2", "ЦЕНА=Price",
                                    "Remark=(not used)", "Штрих-код=Barcode",
                                    "Срок хранения=Durability" }));
}

void CsvTest::replaceOrUpdate()
{
    PluTable before;
    before.setRow(1, plu("1.00", "kept by update"));
    before.setRow(2, plu("2.00", "replaced"));
    before.setMarked(1, true);
    const CsvImport import = importCsv("Number;Price;Name1\n2;5,5;new two\n3;3;three\n");
    QCOMPARE(import.rows.size(), 2);

    PluTable replaced = before;
    applyCsvImport(import, replaced, CsvApplyMode::ReplaceTable);
    QCOMPARE(replaced.rowsInUse(), (QList<int> { 2, 3 }));
    QCOMPARE(replaced.markedRows(), QList<int>());
    QCOMPARE(replaced.text(2, Name1Column), QString("new two"));
    QCOMPARE(replaced.text(2, PriceColumn), QString("5.5"));

    PluTable updated = before;
    applyCsvImport(import, updated, CsvApplyMode::UpdateListed);
    QCOMPARE(updated.rowsInUse(), (QList<int> { 1, 2, 3 }));
    QCOMPARE(updated.markedRows(), QList<int> { 1 });
    QCOMPARE(updated.text(1, Name1Column), QString("kept by update"));
    QCOMPARE(updated.text(2, Name1Column), QString("new two"));
    QCOMPARE(updated.text(3, Name1Column), QString("three"));
}

void CsvTest::exportedBytes()
{
    PluTable table;
    table.setRow(7, plu("1.5", "=1+1", "4600000000008"));
    table.setRow(0, plu("+2", "say \"hi\"; bye"));
    table.setRow(5, plu("", "not in use"));
    table.setText(0, DurabilityColumn, "3");
    QCOMPARE(csvFromTable(table),
             Bom + Header + "0;'+2;\"say \"\"hi\"\"; bye\";;;;3\r\n"
                            "7;1.5;'=1+1;;;4600000000008;\r\n");
    QCOMPARE(csvFromTable(PluTable()), Bom + Header);
}

void CsvTest::exportThenImport_data()
{
    QTest::addColumn<QList<PLU_STRING>>("rows");

    PLU_STRING full;
    full.Number = "998";
    full.Price = "9999.99";
    full.Name[0] = "Сыр \"Гауда\"; 45%";
    full.Name[1] = "  blanks kept  ";
    full.Name[2] = "tab\there";
    full.Barcode = "4600000000008";
    full.Durabil = "255";
    PLU_STRING formulas = plu("+1.00", "-minus");
    formulas.Number = "0";
    formulas.Name[1] = "@at";
    formulas.Name[2] = "''=already guarded";
    PLU_STRING plain = plu("0", "x");
    plain.Number = "500";

    QTest::newRow("every kind of text") << QList<PLU_STRING> { formulas, plain, full };
    QTest::newRow("nothing in use") << QList<PLU_STRING>();
}

void CsvTest::exportThenImport()
{
    QFETCH(QList<PLU_STRING>, rows);
    PluTable table;
    for (const PLU_STRING &s : rows)
        table.setRow(s.Number.toInt(), s);
    const CsvImport import = importCsv(csvFromTable(table));
    QVERIFY2(!import.failed(), qPrintable(import.error));
    QCOMPARE(refusedPlaces(import), QStringList());
    PluTable again;
    applyCsvImport(import, again, CsvApplyMode::ReplaceTable);
    for (int row = 0; row < PLU_COUNT; ++row)
        QCOMPARE(rowTexts(again.row(row)), rowTexts(table.row(row)));
}

void CsvTest::checkFindings_data()
{
    QTest::addColumn<QList<PLU_STRING>>("rows");
    QTest::addColumn<QStringList>("findings");

    auto at = [](int number, PLU_STRING s) {
        s.Number = QString::number(number);
        return s;
    };
    QTest::newRow("clean table")
        << QList<PLU_STRING> { at(1, plu("1", "Молоко", "4600000000008")),
                               at(2, plu("1", "€ and № fit", "4006381333931")) }
        << QStringList();
    QTest::newRow("wrong check digit")
        << QList<PLU_STRING> { at(3, plu("1", "x", "4600000000009")) }
        << QStringList { "3 Barcode 0" };
    QTest::newRow("barcode shared by three PLUs, an unused row does not count")
        << QList<PLU_STRING> { at(1, plu("1", "a", "4600000000008")),
                               at(4, plu("1", "b", "4600000000008")),
                               at(9, plu("1", "c", "4600000000008")),
                               at(12, plu("", "not in use", "4600000000008")) }
        << QStringList { "1 Barcode 1", "4 Barcode 1", "9 Barcode 1" };
    QTest::newRow("characters outside the code page")
        << QList<PLU_STRING> { at(5, plu("1", "Ελληνικά")), at(6, plu("1", "emoji 🍎")) }
        << QStringList { "5 Name1 2", "6 Name1 2" };
    QTest::newRow("TAB, line break, DEL")
        << QList<PLU_STRING> { at(7, plu("1", "a\tb")), at(8, plu("1", "a\nb")),
                               at(9, plu("1", "a\x7f")) }
        << QStringList { "7 Name1 3", "8 Name1 3", "9 Name1 3" };
    QTest::newRow("values the rules refuse are left to them")
        << QList<PLU_STRING> { at(10, plu("1", "x", "12345")) } << QStringList();
}

void CsvTest::checkFindings()
{
    QFETCH(QList<PLU_STRING>, rows);
    PluTable table;
    for (const PLU_STRING &s : rows)
        table.setRow(s.Number.toInt(), s);
    QStringList found;
    for (const CheckFinding &f : presendCheck(table)) {
        found.append(QStringLiteral("%1 %2 %3").arg(f.row).arg(columnLabel(f.column)).arg(int(f.kind)));
        QCOMPARE(f.value, table.text(f.row, f.column));
        QVERIFY(checkFindingLine(f).endsWith(f.message));
    }
    QFETCH(QStringList, findings);
    QCOMPARE(found, findings);
}

QTEST_GUILESS_MAIN(CsvTest)
#include "tst_csv.moc"
