// .xlsx and .ods workbooks: the export through libxlsxwriter, the import
// through liborcus of files made by another writer (data/workbooks/make.py
// builds them part by part, with cells no spreadsheet program writes on
// request), hostile archives, and a round trip through LibreOffice Calc.
#include "importtexts.h"
#include "csv.h"
#include "plutable.h"
#include "workbook.h"
#include "xml.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {

QByteArray dataFile(const QString &name)
{
    return testFileBytes(QStringLiteral(WORKBOOK_DATA_DIR), name);
}

// "B3 Price" for each refused value: the cell and the column.
QStringList refusedCells(const CsvImport &import)
{
    QStringList cells;
    for (const CsvRefusal &r : import.refusals)
        cells.append((r.cell + QLatin1Char(' ') + r.column).trimmed());
    return cells;
}

// 999 PLUs with what spreadsheets like to damage: barcodes with leading
// zeros, names that look like numbers or formulas, Cyrillic, separators
// and quotes. liborcus 0.17 drops the blanks an .ods file writes as
// <text:s/> (a leading one, or more than one in a row), so names with such
// blanks go only where no .ods is read.
PluTable fullTable(bool blankRuns = true)
{
    const QStringList names = { "00123", "1e5", "12.50", "=1+1", "Молоко 3,2%",
                                "Сыр \"Гауда\"; 45%", blankRuns ? "  blanks  " : "blanks", "-7",
                                "ёлка", "0" };
    PluTable table;
    for (int row = 0; row < PLU_COUNT; ++row) {
        PLU_STRING s;
        s.Price = QString::number(row % 9999 + (row % 100) / 100.0, 'f', 2);
        s.Name[0] = names.at(row % names.size());
        s.Name[1] = row % 3 ? QString("Товар %1").arg(row) : QString();
        s.Name[2] = row % 7 ? QString() : QString("a;b,\"c\"");
        s.Barcode = row % 5 ? QString("00%1").arg(row * 7919LL % 100000000000LL, 11, 10, QChar('0'))
                            : QString();
        s.Durabil = row % 4 ? QString::number(row % 256) : QString();
        table.setRow(row, s);
    }
    return table;
}

PluTable tableOf(const CsvImport &import)
{
    PluTable table;
    applyCsvImport(import, table, CsvApplyMode::ReplaceTable);
    return table;
}

QStringList differences(const PluTable &expected, const PluTable &actual)
{
    QStringList found;
    for (int row = 0; row < PLU_COUNT; ++row)
        if (rowTexts(expected.row(row)) != rowTexts(actual.row(row)))
            found << rowTexts(expected.row(row)) + " became " + rowTexts(actual.row(row));
    return found;
}

} // namespace

class WorkbookTest : public QObject
{
    Q_OBJECT

private slots:
    void exportThenImport();
    void cellsByType_data();
    void cellsByType();
    void unusableFiles_data();
    void unusableFiles();
    void contentsNotName_data();
    void contentsNotName();
    void failedExportLeavesNothing();
    void roundTripThroughCalc();
};

void WorkbookTest::exportThenImport()
{
    QTemporaryDir dir;
    const PluTable table = fullTable();
    WriteFailure failure;
    QVERIFY2(writeXlsx(dir.filePath("out.xlsx"), table, &failure), qPrintable(failure.reason));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList { "out.xlsx" });
    QByteArray bytes;
    QVERIFY(readSmallFile(dir.filePath("out.xlsx"), bytes));
    QCOMPARE(fileContents(bytes), FileContents::Workbook);
    const CsvImport import = importWorkbook(bytes);
    QVERIFY2(!import.failed(), qPrintable(import.error));
    QCOMPARE(import.format, SheetFormat::Xlsx);
    QCOMPARE(import.sheet, QString("PLU"));
    QCOMPARE(refusedCells(import), QStringList());
    QCOMPARE(differences(table, tableOf(import)), QStringList());
}

// Each row of the fixtures holds one kind of cell.
void WorkbookTest::cellsByType_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("refused");

    QTest::newRow("xlsx")
        << "cells.xlsx"
        << QStringList {
               "1|12.50|Milk|||4600000000008|30",   // 12.499999999999 is 12.50
               "6|4.00|||||7",                      // "0.00 days" is no date
               "7|5.00|Tea||||",                    // formulas by their stored results
               "13|1.00|123||||",                   // a number in a name column
           }
        << QStringList { "B3 Price",        // 12.505: more than two decimals
                         "D4 Barcode",      // 123: leading zeros lost
                         "E5 Durability",   // the built-in date format
                         "E6 Durability",   // a date format of the file's own
                         "B9 Price",        // a formula without a stored result
                         "B10 Price",       // TRUE
                         "A11 Number",      // 10.5
                         "F12",             // a value without a header
                         "B13 Price" };     // #DIV/0!
    QTest::newRow("ods")
        << "goods.ods"
        << QStringList { "1|12.50|Мёд|||0012345678905|30", "3|1.00|||||" }
        << QStringList { "E3 Durability" };     // a date
}

void WorkbookTest::cellsByType()
{
    QFETCH(QString, file);
    const CsvImport import = importWorkbook(dataFile(file));
    QVERIFY2(!import.failed(), qPrintable(import.error));
    QTEST(acceptedRows(import), "rows");
    QTEST(refusedCells(import), "refused");
    for (const CsvRefusal &refusal : import.refusals)
        QVERIFY2(csvRefusalLine(refusal).startsWith("Cell " + refusal.cell),
                 qPrintable(csvRefusalLine(refusal)));
}

void WorkbookTest::unusableFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("errorPart");

    const QByteArray cells = dataFile("cells.xlsx");
    QTest::newRow("truncated") << cells.left(cells.size() / 2) << "damaged zip archive";
    QTest::newRow("a zip header and nothing else") << QByteArray("PK\x03\x04", 4)
                                                   << "damaged zip archive";
    QByteArray scrambled = cells;
    for (qsizetype i = 200; i < 1200; i += 7)
        scrambled[i] = char(scrambled[i] ^ 0x5A);
    QTest::newRow("scrambled parts") << scrambled << "";   // whichever fault comes first
    QTest::newRow("no workbook in the archive") << dataFile("not_a_workbook.zip")
                                                << "neither an .xlsx nor an .ods";
    QTest::newRow("a part claiming 3 GiB") << dataFile("claims_huge_part.xlsx")
                                           << "unpacks to more than 64 MiB";
    QTest::newRow("a value a million rows down") << dataFile("far_row.xlsx") << "cell A1000000";
    QTest::newRow("a million rows") << dataFile("million_rows.xlsx") << "cell A101001";
}

void WorkbookTest::unusableFiles()
{
    QFETCH(QByteArray, bytes);
    const CsvImport import = importWorkbook(bytes);
    QVERIFY(import.failed());
    QFETCH(QString, errorPart);
    QVERIFY2(import.error.contains(errorPart), qPrintable(import.error));
    QVERIFY(import.rows.isEmpty());
}

// The import looks at the bytes, never at the name.
void WorkbookTest::contentsNotName_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("contents");
    QTest::addColumn<QString>("outcome");

    QTest::newRow("workbook") << dataFile("goods.ods") << int(FileContents::Workbook) << "2 rows";
    QTest::newRow("text") << QByteArray("Number;Price\n1;2\n") << int(FileContents::Text)
                          << "1 rows";
    QTest::newRow("PLU file") << QByteArray("\xEF\xBB\xBF\n <?xml version=\"1.0\"?><PLU_DataBase/>")
                              << int(FileContents::PluFile) << "File > Open";
}

void WorkbookTest::contentsNotName()
{
    QFETCH(QByteArray, bytes);
    QTEST(int(fileContents(bytes)), "contents");
    const CsvImport import = importSpreadsheet(bytes);
    QFETCH(QString, outcome);
    if (import.failed())
        QVERIFY2(import.error.contains(outcome), qPrintable(import.error));
    else
        QCOMPARE(QString("%1 rows").arg(import.rows.size()), outcome);
}

void WorkbookTest::failedExportLeavesNothing()
{
    QTemporaryDir dir;
    WriteFailure failure;
    QVERIFY(!writeXlsx(dir.filePath("missing/out.xlsx"), fullTable(), &failure));
    QVERIFY(!failure.reason.isEmpty());
    // A folder where the file should go: the write fails, the folder stays.
    QVERIFY(QDir(dir.path()).mkdir("taken.xlsx"));
    QVERIFY(!writeXlsx(dir.filePath("taken.xlsx"), fullTable(), &failure));
    QCOMPARE(failure.kind, WriteFailure::NotRegularFile);
    QVERIFY(QFileInfo(dir.filePath("taken.xlsx")).isDir());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

// The real peer: LibreOffice Calc opens the export and saves it as .ods and
// as .xlsx again; both read back into the same 999 PLUs.
void WorkbookTest::roundTripThroughCalc()
{
    const QString soffice = QStandardPaths::findExecutable("soffice");
    QVERIFY2(!soffice.isEmpty(), "LibreOffice Calc (libreoffice-calc-nogui) is not installed");
    QTemporaryDir dir;
    const PluTable table = fullTable(false);
    QVERIFY(writeXlsx(dir.filePath("plu.xlsx"), table));

    const struct { const char *filter, *folder, *file; } conversions[] = {
        { "ods", "ods", "plu.ods" },
        { "xlsx:Calc MS Excel 2007 XML", "xlsx", "plu.xlsx" },
    };
    // A profile of its own, so that no other LibreOffice is asked to do it.
    const QString profile = "-env:UserInstallation=" + QUrl::fromLocalFile(dir.filePath("profile")).toString();
    for (const auto &c : conversions) {
        QProcess calc;
        calc.start(soffice, { profile, "--headless", "--norestore", "--convert-to", c.filter,
                              "--outdir", dir.filePath(c.folder), dir.filePath("plu.xlsx") });
        QVERIFY2(calc.waitForFinished(180000), "LibreOffice did not finish within 3 minutes");
        QVERIFY2(calc.exitCode() == 0, calc.readAllStandardError().constData());
        QByteArray bytes;
        QString reason;
        QVERIFY2(readSmallFile(dir.filePath(QString(c.folder) + "/" + c.file), bytes, &reason),
                 qPrintable(reason + "; LibreOffice said: " + calc.readAllStandardError()));
        const CsvImport import = importWorkbook(bytes);
        QVERIFY2(!import.failed(), qPrintable(import.error));
        QCOMPARE(refusedCells(import), QStringList());
        QCOMPARE(import.rows.size(), PLU_COUNT);
        const QStringList changed = differences(table, tableOf(import));
        QVERIFY2(changed.isEmpty(), qPrintable(QString("%1 PLUs differ after %2, such as %3")
                                                   .arg(changed.size()).arg(c.filter)
                                                   .arg(changed.value(0))));
    }
}

QTEST_GUILESS_MAIN(WorkbookTest)
#include "tst_workbook.moc"
