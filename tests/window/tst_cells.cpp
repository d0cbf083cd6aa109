// Every value put into the PLU table is held to its column's rule, and the
// selection column toggles the deletion mark.
#include "modalanswerer.h"
#include "tarexa.h"
#include "testapp.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>

class CellsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { setUpTestApplication(); }
    void init();
    void cleanup();

    void columnRules_data();
    void columnRules();
    void refusalShowsOneCriticalBox();
    void typingThroughTheEditor();
    void emptyingACellIsAChange();
    void markToggles();
    void clickOnDataCellMarksNothing();

private:
    Tarexa *window = nullptr;
    QTableWidget *table = nullptr;
    ModalAnswerer *answerer = nullptr;
};

void CellsTest::init()
{
    window = new Tarexa;
    table = window->pluTable();
    answerer = new ModalAnswerer;
}

void CellsTest::cleanup()
{
    delete answerer;
    delete window;
}

namespace {
const QString PriceMessage = "The value must be in range [0.00 - 9999.99]";
const QString NameMessage = "The name must be at most 19 sybols long";
const QString BarcodeMessage = "The Barcode must consist of 13 digits [0 - 9]";
const QString DurabilityMessage = "The value must be in range [0 - 255]";
}

void CellsTest::columnRules_data()
{
    QTest::addColumn<int>("col");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");   // empty: accepted

    QTest::newRow("price top") << 0 << "9999.99" << "";
    QTest::newRow("price zero") << 0 << "0" << "";
    QTest::newRow("price whole") << 0 << "5" << "";
    QTest::newRow("price one decimal") << 0 << "12.5" << "";
    QTest::newRow("price above top") << 0 << "10000" << PriceMessage;
    QTest::newRow("price negative") << 0 << "-1" << PriceMessage;
    QTest::newRow("price three decimals") << 0 << "1.505" << PriceMessage;
    QTest::newRow("price letters") << 0 << "abc" << PriceMessage;
    QTest::newRow("price decimal comma") << 0 << "1,50" << PriceMessage;
    QTest::newRow("price group separator") << 0 << "1,000" << PriceMessage;
    QTest::newRow("price exponent") << 0 << "1e3" << PriceMessage;

    for (int col = 1; col <= 3; ++col) {
        const QByteArray n = QByteArray::number(col);
        QTest::newRow("name 19 " + n) << col << QString(19, 'x') << "";
        QTest::newRow("name 20 " + n) << col << QString(20, 'x') << NameMessage;
    }
    QTest::newRow("cyrillic name 19") << 1 << QString(19, QChar(0x0416)) << "";
    QTest::newRow("cyrillic name 20") << 2 << QString(20, QChar(0x0416)) << NameMessage;
    QTest::newRow("name any characters") << 3 << "<&\"\t>" << "";
    // Characters, not UTF-16 units: an emoji is one, and so is a letter
    // typed with a combining accent.
    const QString emoji = QString::fromUcs4(U"\U0001F34E");
    QTest::newRow("19 emoji") << 1 << emoji.repeated(19) << "";
    QTest::newRow("20 emoji") << 1 << emoji.repeated(20) << NameMessage;
    QTest::newRow("19 combined letters") << 2 << QString("e\u0301").repeated(19) << "";
    QTest::newRow("19 Cyrillic short i, decomposed") << 3 << QString("\u0438\u0306").repeated(19) << "";

    QTest::newRow("barcode 13") << 4 << "4600000000017" << "";
    QTest::newRow("barcode 12") << 4 << "460000000001" << BarcodeMessage;
    QTest::newRow("barcode 14") << 4 << "46000000000170" << BarcodeMessage;
    QTest::newRow("barcode letter") << 4 << "460000000001A" << BarcodeMessage;
    QTest::newRow("barcode arabic-indic digits") << 4 << QString(13, QChar(0x0663)) << BarcodeMessage;

    QTest::newRow("durability zero") << 5 << "0" << "";
    QTest::newRow("durability top") << 5 << "255" << "";
    QTest::newRow("durability above") << 5 << "256" << DurabilityMessage;
    QTest::newRow("durability negative") << 5 << "-1" << DurabilityMessage;
    QTest::newRow("durability decimal") << 5 << "1.5" << DurabilityMessage;

    for (int col = 0; col <= 5; ++col)
        QTest::newRow("empty " + QByteArray::number(col)) << col << "" << "";
}

void CellsTest::columnRules()
{
    QFETCH(int, col);
    QFETCH(QString, text);
    QFETCH(QString, message);

    typeInto(table, 7, col, text);
    if (message.isEmpty()) {
        QVERIFY2(answerer->boxes.isEmpty(), qPrintable(answerer->texts().join('|')));
        QCOMPARE(cellText(table, 7, col), text);
    } else {
        QCOMPARE(answerer->texts(), QStringList({ message }));
        QCOMPARE(cellText(table, 7, col), QString());
    }
    QVERIFY(window->isTableModified());
}

void CellsTest::refusalShowsOneCriticalBox()
{
    typeInto(table, 3, 0, "10000");
    QCOMPARE(answerer->boxes.size(), 1);
    const SeenBox &box = answerer->boxes.first();
    QCOMPARE(box.icon, QMessageBox::Critical);
    QCOMPARE(box.title, QString("Error"));
    QCOMPARE(box.buttons, QStringList({ "OK" }));
    QCOMPARE(cellText(table, 3, 0), QString());
    QCOMPARE(cellText(table, 3, 1), QString());   // neighbours untouched
}

void CellsTest::typingThroughTheEditor()
{
    table->setCurrentCell(4, 4);
    table->editItem(table->item(4, 4));
    if (!table->item(4, 4)) {
        QTest::keyClick(table, Qt::Key_F2);
    }
    QLineEdit *editor = table->findChild<QLineEdit *>();
    QVERIFY(editor);
    QTest::keyClicks(editor, "12345");
    QTest::keyClick(editor, Qt::Key_Return);
    QVERIFY(answerer->waitForBoxes(1));
    QCOMPARE(answerer->boxes.first().text, BarcodeMessage);
    QCOMPARE(cellText(table, 4, 4), QString());
}

void CellsTest::emptyingACellIsAChange()
{
    {
        const QSignalBlocker quiet(table);
        table->setItem(2, 1, new QTableWidgetItem("Bread"));
    }
    QVERIFY(!window->isTableModified());
    typeInto(table, 2, 1, "");
    QVERIFY(answerer->boxes.isEmpty());
    QVERIFY(window->isTableModified());
}

void CellsTest::markToggles()
{
    clickCell(table, 10, 6);
    QCOMPARE(cellText(table, 10, 6), QString("SEL"));
    QCOMPARE(table->item(10, 6)->foreground().color(), QColor(0, 180, 0, 255));
    QVERIFY(window->isTableModified());
    QCOMPARE(table->item(10, 6)->flags(), Qt::NoItemFlags);

    clickCell(table, 10, 6);
    QCOMPARE(cellText(table, 10, 6), QString());
    QVERIFY(answerer->boxes.isEmpty());
}

void CellsTest::clickOnDataCellMarksNothing()
{
    clickCell(table, 10, 2);
    for (int row = 0; row < 999; ++row)
        QVERIFY(cellText(table, row, 6).isEmpty());
    QVERIFY(!window->isTableModified());
}

QTEST_MAIN(CellsTest)
#include "tst_cells.moc"
