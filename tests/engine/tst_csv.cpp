// CSV export and import of the PLU table, and the check before programming.
// The files under data/csv were written by Python's csv module (make.py
// there), so the importer meets another program's quoting and encodings.
#include "importtexts.h"
#include "check.h"
#include "csv.h"
#include "plutable.h"
#include "rules.h"

#include <QFile>
#include <QTest>

namespace {

QByteArray dataFile(const QString &name)
{
    return testFileBytes(QStringLiteral(CSV_DATA_DIR), name);
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

// text in UTF-16, with or without a byte-order mark.
QByteArray utf16(const QString &text, bool bigEndian, bool mark)
{
    QByteArray bytes;
    if (mark)
        bytes = bigEndian ? QByteArray("\xFE\xFF") : QByteArray("\xFF\xFE");
    for (QChar c : text) {
        const char high = char(c.unicode() >> 8), low = char(c.unicode() & 0xFF);
        bytes.append(bigEndian ? high : low).append(bigEndian ? low : high);
    }
    return bytes;
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
    void headerMapping_data();
    void headerMapping();
    void valuesAsRead_data();
    void valuesAsRead();
    void encodings_data();
    void encodings();
    void encodingChosenByHand();
    void refusalLines_data();
    void refusalLines();
    void tooManyLines();
    void replaceOrUpdate();
    void updateTakesOnlyTheFileColumns_data();
    void updateTakesOnlyTheFileColumns();
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
                         "998|9999.99|=SUM(A1)|  spaced  ||2000000000015|255" };
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
    QTest::newRow("a decimal comma in a comma file shifts the values")
        << QByteArray("Number,Price,Name\n1,12,50,Milk\n2,3,Tea\n") << QStringList { "2 " }
        << QList<int> { 2 };
    QTest::newRow("an unquoted separator in a name")
        << QByteArray("Number;Price;Name\n1;2;Milk; 1 l\n") << QStringList { "2 " } << QList<int>();
    QTest::newRow("a value under an empty header field")
        << QByteArray("Number;;Price\n1;x;2\n2;;3\n") << QStringList { "2 " } << QList<int> { 2 };
    QTest::newRow("empty fields past the header are no values")
        << QByteArray("Number,Price,Name,Durability,\n1,2,Milk,30,,\n") << QStringList()
        << QList<int> { 1 };
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
    QTest::newRow("nothing but a Number column, named with what was found")
        << QByteArray("Number;Remark\n1;x\n") << "no column to take besides Number; its header "
                                                 "holds \"Number\", \"Remark\"";
    QTest::newRow("a header and no PLU") << QByteArray("Number;Price\r\n") << "The file holds no PLU.";
    QTest::newRow("a header and blank lines")
        << QByteArray("Number;Price\r\n;\r\n  \r\n") << "The file holds no PLU.";
    QTest::newRow("UTF-16 of odd length") << QByteArray("\xFF\xFEN\0u\0m", 7) << "not valid UTF-16";
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

void CsvTest::headerMapping_data()
{
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QStringList>("mapped");

    QTest::newRow("aliases in any case")
        << QByteArray("Код;Наименование 2;ЦЕНА;Remark;Штрих-код;Срок хранения\n1;x;1;;;\n")
        << QStringList { "Код=Number", "Наименование 2=Name2", "ЦЕНА=Price", "Remark=(not used)",
                         "Штрих-код=Barcode", "Срок хранения=Durability" };
    QTest::newRow("units and remarks of accounting programs")
        << QByteArray("Номер;\"Наименование товара\";Штрих-код (EAN-13);Срок годности, сут.;"
                      " Цена, руб. \n1;x;;;1\n")
        << QStringList { "Номер=Number", "Наименование товара=Name1", "Штрих-код (EAN-13)=Barcode",
                         "Срок годности, сут.=Durability", "Цена, руб.=Price" };
    QTest::newRow("Calc's trailing separator")
        << QByteArray("Number,Price,Name,\"Срок годности, сут.\",\n1,2,x,3,\n")
        << QStringList { "Number=Number", "Price=Price", "Name=Name1",
                         "Срок годности, сут.=Durability" };
}

void CsvTest::headerMapping()
{
    QFETCH(QByteArray, header);
    const CsvImport import = importCsv(header);
    QVERIFY2(!import.failed(), qPrintable(import.error));
    QStringList mapped;
    for (const CsvMapping &m : import.mapping)
        mapped.append(m.header + "=" + csvFieldName(m.field));
    QTEST(mapped, "mapped");
}

// What a cell becomes: names keep their blanks, numbers lose them, and
// Excel's separator hint and "Unicode text" are read.
void CsvTest::valuesAsRead_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("blanks around an unquoted name are kept")
        << QByteArray("Number,Price,Name1,Durability\n 1 , 2.50 ,  Milk  , 7 \n")
        << QStringList { "1|2.50|  Milk  ||||7" };
    QTest::newRow("sep= names the separator")
        << QByteArray("sep=,\r\nNumber,Price,Name1\r\n1,\"2,50\",a;b\r\n")
        << QStringList { "1|2.50|a;b||||" };
    QTest::newRow("Unicode text: UTF-16LE with TABs")
        << utf16("Number\tPrice\tName1\r\n5\t1,5\tМёд\r\n", false, true)
        << QStringList { "5|1.5|Мёд||||" };
    QTest::newRow("formula guards after TAB, CR, LF and no-break space")
        << QByteArray("Number;Price;Name1;Name2\n1;1;\"'\t=1\";'\xC2\xA0@x\n")
        << QStringList { "1|1|\t=1|\u00A0@x|||" };
}

void CsvTest::valuesAsRead()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, rows);
    const CsvImport import = importCsv(bytes);
    QVERIFY2(!import.failed(), qPrintable(import.error));
    QCOMPARE(refusedPlaces(import), QStringList());
    QCOMPARE(acceptedRows(import), rows);
}

void CsvTest::encodings_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("encoding");     // or the error part after "!"
    QTest::addColumn<QString>("name");

    const QString sheet = "Number\tPrice\tName1\r\n1\t2\tХлеб\r\n";
    QTest::newRow("UTF-16LE with mark") << utf16(sheet, false, true) << "UTF-16LE" << "Хлеб";
    QTest::newRow("UTF-16LE without mark") << utf16(sheet, false, false) << "UTF-16LE" << "Хлеб";
    QTest::newRow("UTF-16BE with mark") << utf16(sheet, true, true) << "UTF-16BE" << "Хлеб";
    QTest::newRow("Windows-1251 throughout")
        << QByteArray("Number;Price;Name1\n1;2;\xD5\xEB\xE5\xE1\n") << "Windows-1251" << "Хлеб";
    QTest::newRow("UTF-8 throughout")
        << QByteArray("Number;Price;Name1\n1;2;\xD0\xA5\xD0\xBB\xD0\xB5\xD0\xB1\n") << "UTF-8"
        << "Хлеб";
    QTest::newRow("a UTF-8 line and a Windows-1251 line")
        << QByteArray("Number;Price;Name1\n1;2;\xD0\xA5\xD0\xBB\xD0\xB5\xD0\xB1\n"
                      "2;3;\xD5\xEB\xE5\xE1\n")
        << "!line 2 is UTF-8 and line 3 Windows-1251" << "";
    QTest::newRow("a byte-order mark, then a Windows-1251 line")
        << QByteArray("\xEF\xBB\xBFNumber;Price;Name1\n1;2;x\n\n2;3;\xD5\xEB\xE5\xE1\n")
        << "!line 4 is not UTF-8" << "";
}

void CsvTest::encodings()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, encoding);
    QFETCH(QString, name);
    const CsvImport import = importCsv(bytes);
    if (encoding.startsWith('!')) {
        QVERIFY(import.failed());
        QVERIFY(import.encodingConflict);
        QVERIFY2(import.error.contains(encoding.mid(1)), qPrintable(import.error));
        return;
    }
    QVERIFY2(!import.failed(), qPrintable(import.error));
    QCOMPARE(import.encoding, encoding);
    QCOMPARE(import.rows.size(), 1);
    QCOMPARE(import.rows.first().plu.Name[0], name);
}

// The preview lets the user read a file of mixed lines one way or the other.
void CsvTest::encodingChosenByHand()
{
    const QByteArray mixed("Number;Price;Name1\n1;2;\xD0\xA5\xD0\xBB\xD0\xB5\xD0\xB1\n"
                           "2;3;\xD5\xEB\xE5\xE1\n");
    const CsvImport asCp1251 = importCsv(mixed, TextEncoding::Windows1251);
    QVERIFY(!asCp1251.failed());
    QCOMPARE(asCp1251.rows.at(1).plu.Name[0], QString("Хлеб"));
    const CsvImport asUtf8 = importCsv(mixed, TextEncoding::Utf8);
    QVERIFY(!asUtf8.failed());
    QCOMPARE(asUtf8.rows.at(0).plu.Name[0], QString("Хлеб"));
    QCOMPARE(asUtf8.encoding, QString("UTF-8"));
}

void CsvTest::refusalLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("linesLeftOut");

    QTest::newRow("a long value is cut, control characters shown")
        << "Number;Price\n1;\"" + QByteArray(30, 'x') + "\r" + QByteArray(100, 'y') + "\"\n"
        << "Line 2, Price \"" + QString(30, 'x') + "\\r" + QString(29, 'y') + "\u2026\": "
        << 1;
    QTest::newRow("an unclosed quote does not print the rest of the file")
        << "Number;Price;Name1\n1;2;\"open\n" + QByteArray(5000, 'z') + "\n"
        << "Line 2, Name1 \"open\\n" + QString(55, 'z') + "\u2026\": " << 1;
    QTest::newRow("three refusals on one line count as one line")
        << QByteArray("Number;Price;Durability;Barcode\n1;10000;256;12345\n2;1;;\n")
        << "Line 2, Price \"10000\": " << 1;
    QTest::newRow("a tab in a number is shown as such")
        << QByteArray("Number;Price\n1;\"1\t2\"\n") << "Line 2, Price \"1\\t2\": " << 1;
}

void CsvTest::refusalLines()
{
    QFETCH(QByteArray, bytes);
    const CsvImport import = importCsv(bytes);
    QVERIFY2(!import.failed(), qPrintable(import.error));
    QVERIFY(!import.refusals.isEmpty());
    const QString said = csvRefusalLine(import.refusals.first());
    QFETCH(QString, line);
    QVERIFY2(said.startsWith(line), qPrintable(said));
    QVERIFY2(!said.contains('\r') && !said.contains('\n'), qPrintable(said));
    QTEST(import.linesLeftOut(), "linesLeftOut");
}

void CsvTest::tooManyLines()
{
    QByteArray bytes = "Number;Price\n";
    for (int i = 0; i <= MaxImportRows; ++i)
        bytes += "1;1\n";
    const CsvImport import = importCsv(bytes);
    QVERIFY(import.failed());
    QVERIFY2(import.error.contains("more than 100000 lines"), qPrintable(import.error));
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
    table.setRow(9, plu("1", "\t=cmd"));
    table.setRow(10, plu("1", "\u00A0@x"));
    table.setText(0, DurabilityColumn, "3");
    QCOMPARE(csvFromTable(table),
             Bom + Header + "0;'+2;\"say \"\"hi\"\"; bye\";;;;3\r\n"
                            "7;1.5;'=1+1;;;4600000000008;\r\n"
                            "9;1;\"'\t=cmd\";;;;\r\n"
                            "10;1;'\xC2\xA0@x;;;;\r\n");
    QCOMPARE(csvFromTable(PluTable()), Bom + Header);
}

// Update changes only the columns the file has: a price list keeps the
// names, barcodes and durability of the PLUs it updates.
void CsvTest::updateTakesOnlyTheFileColumns_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("canReplace");
    QTest::addColumn<QString>("row1");

    QTest::newRow("prices only") << QByteArray("Номер;Цена\n1;2,50\n") << true
                                 << "1|2.50|Milk|second||4600000000008|30";
    QTest::newRow("names only") << QByteArray("Number;Name1\n1;Kefir\n") << false
                                << "1|1.00|Kefir|second||4600000000008|30";
    QTest::newRow("an empty barcode cell empties the barcode")
        << QByteArray("Number;Barcode\n1;\n") << false << "1|1.00|Milk|second|||30";
}

void CsvTest::updateTakesOnlyTheFileColumns()
{
    QFETCH(QByteArray, bytes);
    PluTable table;
    PLU_STRING milk = plu("1.00", "Milk", "4600000000008");
    milk.Name[1] = "second";
    milk.Durabil = "30";
    table.setRow(1, milk);
    table.setRow(2, plu("3.00", "untouched"));
    const CsvImport import = importCsv(bytes);
    QVERIFY2(!import.failed(), qPrintable(import.error));
    QTEST(import.canReplace(), "canReplace");
    QCOMPARE(import.replaceRefusal().isEmpty(), import.canReplace());
    applyCsvImport(import, table, CsvApplyMode::UpdateListed);
    QTEST(rowTexts(table.row(1)), "row1");
    QCOMPARE(rowTexts(table.row(2)), QString("2|3.00|untouched||||"));
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
    PLU_STRING hidden = plu("1", "\t=1+1", "");
    hidden.Number = "7";
    hidden.Name[1] = "\u00A0-x";
    hidden.Name[2] = "'\t@";
    PLU_STRING plain = plu("0", "x");
    plain.Number = "500";

    QTest::newRow("every kind of text") << QList<PLU_STRING> { formulas, hidden, plain, full };
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
