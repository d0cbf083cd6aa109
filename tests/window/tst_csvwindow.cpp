// The window pieces around CSV import, the pre-send check and Find: the
// preview of a read file, the list of findings and the Find filter of the
// PLU table.
#include "checkdialog.h"
#include "csvpreview.h"
#include "findfilter.h"
#include "modalanswerer.h"
#include "plutable.h"
#include "testapp.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

#include <memory>

namespace {

// A file with a Russian price header, a column nobody maps, three good
// lines and two refused ones, in Windows-1251 with commas.
QByteArray mixedFile()
{
    const QString text = QStringLiteral("Number,Цена,Name1,Remark,Barcode\r\n"
                                        "1,10.50,Молоко,x,4600000000008\r\n"
                                        "2,abc,Хлеб,x,\r\n"
                                        "3,7,Сыр,x,\r\n"
                                        "1000,1,too far,x,\r\n"
                                        "4,2,Чай,x,\r\n");
    // Plain Cyrillic, so the code page carries every character.
    QByteArray bytes;
    for (QChar c : text) {
        const ushort u = c.unicode();
        bytes.append(u < 0x80 ? char(u) : char(u - 0x410 + 0xC0));
    }
    return bytes;
}

QPushButton *buttonWithText(QWidget *dialog, const QString &text)
{
    const auto buttons = dialog->findChildren<QPushButton *>();
    for (QPushButton *button : buttons) {
        if (button->text().remove(QLatin1Char('&')) == text)
            return button;
    }
    return nullptr;
}

// The PLU table as the window builds it: 999 rows, data columns and the
// mark column, with a few rows filled.
std::unique_ptr<QTableWidget> pluTable()
{
    auto table = std::make_unique<QTableWidget>(PLU_COUNT, PluColumnCount);
    const struct { int row; const char *price, *name1, *name3, *barcode; } rows[] = {
        { 1, "10.50", "Молоко 3,2%", "", "4600000000008" },
        { 7, "99", "МОЛОКО топлёное", "", "" },
        { 12, "45", "Хлеб", "молочный", "" },
        { 250, "3.25", "Tea", "", "4006381333931" },
        { 500, "1", "Ёлка", "", "" },
    };
    for (const auto &r : rows) {
        typeInto(table.get(), r.row, PriceColumn, QString::fromUtf8(r.price));
        typeInto(table.get(), r.row, Name1Column, QString::fromUtf8(r.name1));
        typeInto(table.get(), r.row, Name3Column, QString::fromUtf8(r.name3));
        typeInto(table.get(), r.row, BarcodeColumn, QString::fromUtf8(r.barcode));
        typeInto(table.get(), r.row, DurabilityColumn, QStringLiteral("77"));
    }
    typeInto(table.get(), 500, MarkColumn, QStringLiteral("X"));
    return table;
}

QList<int> shownRows(const QTableWidget *table, const QList<int> &among)
{
    QList<int> shown;
    for (int row : among) {
        if (!table->isRowHidden(row))
            shown << row;
    }
    return shown;
}

QList<CheckFinding> someFindings()
{
    PluTable table;
    PLU_STRING plu;
    plu.Price = QStringLiteral("1");
    plu.Barcode = QStringLiteral("4600000000009");
    table.setRow(3, plu);
    plu.Barcode.clear();
    plu.Name[1] = QStringLiteral("emoji 🍎");
    table.setRow(8, plu);
    return presendCheck(table);
}

} // namespace

class CsvWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { setUpTestApplication(); }

    void previewShowsWhatWasRead();
    void previewShowsOnlyTheFirstRows();
    void previewChoice_data();
    void previewChoice();
    void previewWithoutRowsOnlyCancels();
    void previewWithoutPriceOnlyUpdates();
    void previewChoosesTheEncoding();
    void previewColumnsFitTheirTexts();

    void find_data();
    void find();
    void hiddenRowsKeepTheirTexts();
    void escapeClearsTheFilter();
    void goToPluShowsAHiddenRow();
    void goToPluKeepsAFilterShowingTheRow();
    void askPluNumber_data();
    void askPluNumber();

    void activatingAFindingGoesToItsCell_data();
    void activatingAFindingGoesToItsCell();
    void programAnyway_data();
    void programAnyway();
    void checkWithoutFindings();
    void secondCheckReplacesTheList();
};

void CsvWindowTest::previewShowsWhatWasRead()
{
    const CsvImport import = importCsv(mixedFile());
    QVERIFY2(!import.failed(), qPrintable(import.error));
    QCOMPARE(import.rows.size(), 3);
    CsvPreviewDialog dialog(import, QStringLiteral("/tmp/goods.csv"));

    QCOMPARE(dialog.windowTitle(), QString("Import"));
    const QString summary = dialog.findChild<QLabel *>("summary")->text();
    const QStringList expectedParts = { "goods.csv", "Windows-1251", "comma", "Цена \u2192 Price",
                                        "Number \u2192 Number", "Remark \u2192 (not used)",
                                        "PLUs to import: 3", "Lines left out: 2" };
    for (const QString &expected : expectedParts)
        QVERIFY2(summary.contains(expected), qPrintable(expected + " missing in " + summary));

    // The preview's columns are the table's, not the file's.
    auto *rows = dialog.findChild<QTableWidget *>("rows");
    QCOMPARE(rows->rowCount(), 3);
    QCOMPARE(rows->item(0, 0)->text(), QString("1"));
    QCOMPARE(rows->item(0, 1 + PriceColumn)->text(), import.rows[0].plu.Price);
    QCOMPARE(rows->item(2, 1 + Name1Column)->text(), QString("Чай"));
    QCOMPARE(rows->item(0, 1 + BarcodeColumn)->text(), QString("4600000000008"));
    QVERIFY(!(rows->item(0, 1)->flags() & Qt::ItemIsEditable));

    auto *refusals = dialog.findChild<QListWidget *>("refusals");
    QCOMPARE(refusals->count(), 2);
    for (int i = 0; i < 2; ++i)
        QCOMPARE(refusals->item(i)->text(), csvRefusalLine(import.refusals[i]));
}

void CsvWindowTest::previewShowsOnlyTheFirstRows()
{
    QByteArray file = "Number;Price\n";
    for (int number = 0; number < 45; ++number)
        file += QByteArray::number(number) + ";1\n";
    const CsvImport import = importCsv(file);
    CsvPreviewDialog dialog(import, QStringLiteral("many.csv"));
    QCOMPARE(dialog.findChild<QTableWidget *>("rows")->rowCount(),
             CsvPreviewDialog::PreviewRows);
    QVERIFY(dialog.findChild<QLabel *>("summary")->text().contains("PLUs to import: 45"));
    QVERIFY(!dialog.findChild<QListWidget *>("refusals"));
}

void CsvWindowTest::previewChoice_data()
{
    QTest::addColumn<QString>("button");     // empty: a key instead
    QTest::addColumn<int>("key");
    QTest::addColumn<CsvPreviewChoice>("choice");
    QTest::newRow("Replace") << "Replace the table" << 0 << CsvPreviewChoice::Replace;
    QTest::newRow("Update") << "Update only these PLUs" << 0 << CsvPreviewChoice::Update;
    QTest::newRow("Cancel") << "Cancel" << 0 << CsvPreviewChoice::Cancelled;
    QTest::newRow("Enter takes the default")
        << QString() << int(Qt::Key_Return) << CsvPreviewChoice::Replace;
    QTest::newRow("Escape") << QString() << int(Qt::Key_Escape) << CsvPreviewChoice::Cancelled;
}

void CsvWindowTest::previewChoice()
{
    QFETCH(QString, button);
    QFETCH(int, key);
    QFETCH(CsvPreviewChoice, choice);
    ModalAnswerer answerer;
    bool closedByItself = false;
    answerer.handleWith([&](QWidget *dialog) {
        if (button.isEmpty()) {
            QTest::keyClick(dialog, Qt::Key(key));
        } else if (QPushButton *b = buttonWithText(dialog, button)) {
            b->click();
        }
        closedByItself = !dialog->isVisible();
        if (!closedByItself)
            static_cast<QDialog *>(dialog)->reject();
    });
    CsvImport import = importCsv(mixedFile());
    QCOMPARE(CsvPreviewDialog::ask(nullptr, mixedFile(), import, QStringLiteral("goods.csv")), choice);
    QVERIFY(closedByItself);
    QCOMPARE(answerer.otherDialogTitles, QStringList { "Import" });
}

void CsvWindowTest::previewWithoutRowsOnlyCancels()
{
    const CsvImport import = importCsv("Number;Price\n1;abc\n");
    QVERIFY(import.rows.isEmpty());
    CsvPreviewDialog dialog(import, QStringLiteral("bad.csv"));
    QVERIFY(!buttonWithText(&dialog, "Replace the table")->isEnabled());
    QVERIFY(!buttonWithText(&dialog, "Update only these PLUs")->isEnabled());
    QVERIFY(buttonWithText(&dialog, "Cancel")->isEnabled());
}

void CsvWindowTest::previewWithoutPriceOnlyUpdates()
{
    const CsvImport import = importCsv("Number;Name1\n1;Kefir\n");
    CsvPreviewDialog dialog(import, QStringLiteral("names.csv"));
    QPushButton *replace = buttonWithText(&dialog, "Replace the table");
    QVERIFY(!replace->isEnabled());
    QVERIFY(replace->toolTip().contains("no Price column"));
    QVERIFY(buttonWithText(&dialog, "Update only these PLUs")->isEnabled());
    QVERIFY(buttonWithText(&dialog, "Update only these PLUs")->isDefault());
}

// Lines in two encodings: nothing can be taken until one is chosen, and
// then the file is read in it.
void CsvWindowTest::previewChoosesTheEncoding()
{
    const QByteArray mixed("Number;Price;Name1\n1;2;\xD0\xA5\xD0\xBB\xD0\xB5\xD0\xB1\n"
                           "2;3;\xD5\xEB\xE5\xE1\n");
    CsvImport import = importCsv(mixed);
    QVERIFY(import.encodingConflict);
    CsvPreviewDialog dialog(import, QStringLiteral("mixed.csv"), nullptr, mixed);
    QVERIFY(dialog.findChild<QLabel *>("summary")->text().contains("different encodings"));
    QVERIFY(!buttonWithText(&dialog, "Update only these PLUs")->isEnabled());

    auto *encoding = dialog.findChild<QComboBox *>("encoding");
    QVERIFY(encoding);
    encoding->setCurrentIndex(encoding->findText("Windows-1251"));
    QVERIFY(dialog.findChild<QLabel *>("summary")->text().contains("Encoding: Windows-1251"));
    QVERIFY(buttonWithText(&dialog, "Replace the table")->isEnabled());
    QCOMPARE(dialog.import().rows.size(), 2);
    QCOMPARE(dialog.import().rows.at(1).plu.Name[0], QString("Хлеб"));
}

void CsvWindowTest::previewColumnsFitTheirTexts()
{
    const QString name = QStringLiteral("Колбаса докторская");
    const CsvImport import = importCsv(QString("Number;Price;Name1;Barcode\n1;2;%1;4600000000008\n")
                                           .arg(name).toUtf8());
    CsvPreviewDialog dialog(import, QStringLiteral("goods.csv"));
    auto *rows = dialog.findChild<QTableWidget *>("rows");
    QVERIFY(rows);
    for (int column : { 1 + Name1Column, 1 + BarcodeColumn })
        QVERIFY(rows->columnWidth(column)
                > rows->fontMetrics().horizontalAdvance(rows->item(0, column)->text()));
}

void CsvWindowTest::find_data()
{
    QTest::addColumn<QString>("needle");
    QTest::addColumn<QList<int>>("shownFilled");
    QTest::addColumn<int>("shownCount");
    const QList<int> all = { 1, 7, 12, 250, 500 };
    QTest::newRow("empty shows every row") << "" << all << PLU_COUNT;
    QTest::newRow("Cyrillic in another case, in Name1 and Name3")
        << "мОлО" << QList<int> { 1, 7, 12 } << 3;
    QTest::newRow("Ё and ё") << "ёлк" << QList<int> { 500 } << 1;
    QTest::newRow("е finds ё") << "елк" << QList<int> { 500 } << 1;
    QTest::newRow("ё finds е") << "мёл" << QList<int>() << 0;
    QTest::newRow("е finds ё inside a word") << "топлен" << QList<int> { 7 } << 1;
    QTest::newRow("part of a barcode") << "0063813" << QList<int> { 250 } << 1;
    QTest::newRow("Latin, case-insensitive") << "TEA" << QList<int> { 250 } << 1;
    // 50, x50 and 50x by their numbers, and PLU 1 by its price 10.50.
    QTest::newRow("digits match numbers and prices") << "50"
        << QList<int> { 1, 250, 500 } << 1 + 9 + 10 + 1;
    // 77, x77 and 77x, once for 777; not the rows of durability 77.
    QTest::newRow("durability is not searched") << "77" << QList<int>() << 1 + 9 + 10 - 1;
    QTest::newRow("nothing matches") << "Сметана" << QList<int>() << 0;
}

void CsvWindowTest::find()
{
    QFETCH(QString, needle);
    QFETCH(QList<int>, shownFilled);
    QFETCH(int, shownCount);
    auto table = pluTable();
    // A previous filter must not leave rows hidden.
    applyFilter(table.get(), QStringLiteral("Tea"));
    QCOMPARE(applyFilter(table.get(), needle), shownCount);
    QCOMPARE(shownRows(table.get(), { 1, 7, 12, 250, 500 }), shownFilled);
    int visible = 0;
    for (int row = 0; row < PLU_COUNT; ++row)
        visible += table->isRowHidden(row) ? 0 : 1;
    QCOMPARE(visible, shownCount);
}

void CsvWindowTest::hiddenRowsKeepTheirTexts()
{
    auto table = pluTable();
    QCOMPARE(applyFilter(table.get(), QStringLiteral("Tea")), 1);
    QVERIFY(table->isRowHidden(500));
    QCOMPARE(cellText(table.get(), 500, Name1Column), QString("Ёлка"));
    QCOMPARE(cellText(table.get(), 500, MarkColumn), QString("X"));
    QCOMPARE(cellText(table.get(), 1, BarcodeColumn), QString("4600000000008"));
    QCOMPARE(applyFilter(table.get(), QString()), PLU_COUNT);
    QCOMPARE(cellText(table.get(), 500, PriceColumn), QString("1"));
}

void CsvWindowTest::escapeClearsTheFilter()
{
    auto table = pluTable();
    FindField field(table.get());
    QCOMPARE(field.placeholderText(), QString("Find"));
    QSignalSpy applied(&field, &FindField::filterApplied);
    field.setText(QStringLiteral("хлеб"));
    QCOMPARE(applied.last().at(0).toInt(), 1);
    QVERIFY(table->isRowHidden(1));
    QTest::keyClick(&field, Qt::Key_Escape);
    QCOMPARE(field.text(), QString());
    QCOMPARE(applied.last().at(0).toInt(), PLU_COUNT);
    QVERIFY(!table->isRowHidden(1));
    QCOMPARE(shownRowsText(12), QString("12 of 999 rows shown"));
}

void CsvWindowTest::goToPluShowsAHiddenRow()
{
    auto table = pluTable();
    FindField field(table.get());
    field.show();
    field.setText(QStringLiteral("Tea"));
    QVERIFY(table->isRowHidden(500));
    auto *clear = field.findChild<QAction *>(QStringLiteral("_q_qlineeditclearaction"));
    QVERIFY(clear);
    QToolButton *clearButton = nullptr;
    for (QToolButton *button : field.findChildren<QToolButton *>())
        if (button->defaultAction() == clear)
            clearButton = button;
    QVERIFY(clearButton);
    QTRY_VERIFY(clearButton->isVisible());
    field.goToPlu(500);
    QCOMPARE(field.text(), QString());
    QTRY_VERIFY(!clearButton->isVisible());
    QVERIFY(!table->isRowHidden(500));
    QVERIFY(!table->isRowHidden(2));
    QCOMPARE(table->currentRow(), 500);
    QCOMPARE(table->currentColumn(), int(PriceColumn));
    const QModelIndexList selected = table->selectionModel()->selectedIndexes();
    QCOMPARE(selected.size(), 1);
    QCOMPARE(selected.first().row(), 500);
    QCOMPARE(cellText(table.get(), 500, MarkColumn), QString("X"));
}

void CsvWindowTest::goToPluKeepsAFilterShowingTheRow()
{
    auto table = pluTable();
    FindField field(table.get());
    field.setText(QStringLiteral("моло"));
    field.goToPlu(12);
    QCOMPARE(field.text(), QString("моло"));
    QVERIFY(table->isRowHidden(250));
    QCOMPARE(table->currentRow(), 12);
    QCOMPARE(table->currentColumn(), int(PriceColumn));
    // A finding of the check goes to its own column.
    field.goToCell(7, Name1Column);
    QCOMPARE(field.text(), QString("моло"));
    QCOMPARE(table->currentColumn(), int(Name1Column));
    QCOMPARE(table->currentRow(), 7);
}

void CsvWindowTest::askPluNumber_data()
{
    QTest::addColumn<bool>("accept");
    QTest::addColumn<int>("typed");
    QTest::addColumn<std::optional<int>>("expected");
    QTest::newRow("OK") << true << 42 << std::optional<int>(42);
    QTest::newRow("last PLU") << true << 998 << std::optional<int>(998);
    QTest::newRow("beyond the last is held at 998") << true << 5000 << std::optional<int>(998);
    QTest::newRow("Cancel") << false << 42 << std::optional<int>();
}

void CsvWindowTest::askPluNumber()
{
    QFETCH(bool, accept);
    QFETCH(int, typed);
    QFETCH(std::optional<int>, expected);
    ModalAnswerer answerer;
    answerer.handleWith([&](QWidget *widget) {
        auto *dialog = qobject_cast<QInputDialog *>(widget);
        QVERIFY(dialog);
        dialog->setIntValue(typed);
        if (accept)
            dialog->accept();
        else
            dialog->reject();
    });
    QCOMPARE(::askPluNumber(nullptr, 3), expected);
    QCOMPARE(answerer.otherDialogTitles, QStringList { "Go to PLU" });
}

void CsvWindowTest::activatingAFindingGoesToItsCell_data()
{
    QTest::addColumn<bool>("byKey");
    QTest::newRow("double click") << false;
    QTest::newRow("Enter") << true;
}

void CsvWindowTest::activatingAFindingGoesToItsCell()
{
    QFETCH(bool, byKey);
    const QList<CheckFinding> findings = someFindings();
    QCOMPARE(findings.size(), 2);
    CheckFindingsDialog dialog(findings, CheckFindingsDialog::Purpose::Review);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QSignalSpy goTo(&dialog, &CheckFindingsDialog::goToCell);
    QListWidget *list = dialog.list();
    QCOMPARE(list->item(1)->text(), checkFindingLine(findings[1]));

    if (byKey) {
        list->setFocus();
        list->setCurrentRow(1);
        QTest::keyClick(list, Qt::Key_Return);
    } else {
        const QPoint centre = list->visualItemRect(list->item(1)).center();
        // A double click follows a click, as the view expects of a mouse.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
    }
    QCOMPARE(goTo.size(), 1);
    QCOMPARE(goTo.first(), (QVariantList { findings[1].row, findings[1].column }));
    // The list stays open for the next finding.
    QVERIFY(dialog.isVisible());
}

void CsvWindowTest::programAnyway_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("program");
    QTest::newRow("Yes") << "Yes" << 0 << true;
    QTest::newRow("No") << "No" << 0 << false;
    QTest::newRow("Escape") << QString() << int(Qt::Key_Escape) << false;
    QTest::newRow("Enter takes No") << QString() << int(Qt::Key_Return) << false;
}

void CsvWindowTest::programAnyway()
{
    QFETCH(QString, button);
    QFETCH(int, key);
    QFETCH(bool, program);
    ModalAnswerer answerer;
    QStringList shown;
    bool closedByItself = false;
    answerer.handleWith([&](QWidget *dialog) {
        for (QLabel *label : dialog->findChildren<QLabel *>())
            shown << label->text();
        shown << QString::number(dialog->findChild<QListWidget *>()->count());
        if (button.isEmpty())
            QTest::keyClick(dialog, Qt::Key(key));
        else if (QPushButton *b = buttonWithText(dialog, button))
            b->click();
        closedByItself = !dialog->isVisible();
        if (!closedByItself)
            static_cast<QDialog *>(dialog)->done(-1);
    });
    QCOMPARE(CheckFindingsDialog::askProgramAnyway(nullptr, someFindings()), program);
    QVERIFY(closedByItself);
    QVERIFY(shown.contains("Program anyway?"));
    QVERIFY(shown.contains("2"));
}

void CsvWindowTest::checkWithoutFindings()
{
    ModalAnswerer answerer;
    bool called = false;
    showCheckFindings(nullptr, {}, [&](int, int) { called = true; });
    QCOMPARE(answerer.texts(), QStringList { "No problems found." });
    QVERIFY(!called);
}

void CsvWindowTest::secondCheckReplacesTheList()
{
    QWidget window;
    window.show();
    QList<QPair<int, int>> cells;
    auto goTo = [&](int row, int column) { cells.append({ row, column }); };
    showCheckFindings(&window, someFindings(), goTo);
    auto *first = window.findChild<CheckFindingsDialog *>();
    QVERIFY(first && first->isVisible());
    QPointer<CheckFindingsDialog> firstList(first);

    showCheckFindings(&window, someFindings().mid(0, 1), goTo);
    QTRY_VERIFY(!firstList);
    const auto lists = window.findChildren<CheckFindingsDialog *>();
    QCOMPARE(lists.size(), 1);
    QCOMPARE(lists.first()->list()->count(), 1);
    emit lists.first()->list()->itemActivated(lists.first()->list()->item(0));
    QCOMPARE(cells, (QList<QPair<int, int>> { { 3, int(BarcodeColumn) } }));
}

QTEST_MAIN(CsvWindowTest)
#include "tst_csvwindow.moc"
