// PLU files: the bytes a save writes, what a load makes of a file, and the
// files a load must refuse without touching the document. Every file goes
// through the real window and the real file dialogs.
#include "modalanswerer.h"
#include "tarexa.h"
#include "testapp.h"

#include <QFile>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

const QByteArray Head =
    "<?xml version=\"1.0\" encoding=\"CP1251\" standalone=\"no\" ?><!DOCTYPE PLU_ML>\n";

QByteArray pluFile(const QByteArray &elements)
{
    return Head + "<PLU_DataBase>\n" + elements + "</PLU_DataBase>\n";
}

const QString LoadProblem = "Part of the file could not be loaded. Items left out: %1.";
const QString LoadAdvice = "Correct them in the table and save, or correct the file and open it again.";

QString rowCells(QTableWidget *table, int row)
{
    QStringList cells;
    for (int col = 0; col < 6; ++col)
        cells << cellText(table, row, col);
    return cells.join('|');
}

int filledRows(QTableWidget *table)
{
    int count = 0;
    for (int row = 0; row < table->rowCount(); ++row)
        count += rowCells(table, row) != "|||||";
    return count;
}

} // namespace

class XmlTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { setUpTestApplication(); }
    void init();
    void cleanup();

    void exampleFile();
    void emptyTableFile();
    void roundTrip_data();
    void roundTrip();
    void savingTwiceGivesTheSameBytes();
    void loading_data();
    void loading();
    void overlongNameGivesOneBox();
    void numbersLeftOut_data();
    void numbersLeftOut();
    void refusedValuesGiveOneBox();
    void refusedFileChangesNothing_data();
    void refusedFileChangesNothing();

private:
    void saveAs(const QString &path);
    void open(const QString &path);
    void fillRow(int row, const QStringList &cells);
    QString path(const QString &name) const { return folder->filePath(name); }

    Tarexa *window = nullptr;
    QTableWidget *table = nullptr;
    ModalAnswerer *answerer = nullptr;
    QTemporaryDir *folder = nullptr;
};

void XmlTest::init()
{
    window = new Tarexa;
    table = window->pluTable();
    answerer = new ModalAnswerer;
    folder = new QTemporaryDir;
}

void XmlTest::cleanup()
{
    delete answerer;
    delete window;
    delete folder;
}

// Save with no file name yet: the save dialog answers with path.
void XmlTest::saveAs(const QString &path)
{
    QVERIFY(window->currentFileName().isEmpty());
    answerer->chooseFile(path);
    triggerAction(window, "&Save");
}

// Open when nothing is unsaved, so no question comes first.
void XmlTest::open(const QString &path)
{
    answerer->chooseFile(path);
    triggerAction(window, "&Open...");
}

void XmlTest::fillRow(int row, const QStringList &cells)
{
    for (int col = 0; col < cells.size(); ++col)
        typeInto(table, row, col, cells[col]);
}

void XmlTest::exampleFile()
{
    fillRow(0, { "1.50", "Apples", "", "", "", "3" });
    fillRow(5, { "12", "Bread", "White", "", "4600000000017", "2" });
    fillRow(7, { "", "no price, not saved" });
    saveAs(path("example.xml"));

    QCOMPARE(fileBytes(path("example.xml")),
             pluFile(" <PLU Number=\"0\" Price=\"1.50\" Name0=\"Apples\" Name1=\"\" Name2=\"\""
                     " Barcode=\"\" Durability=\"3\"/>\n"
                     " <PLU Number=\"5\" Price=\"12\" Name0=\"Bread\" Name1=\"White\" Name2=\"\""
                     " Barcode=\"4600000000017\" Durability=\"2\"/>\n"));
    QVERIFY(answerer->boxes.isEmpty());
}

void XmlTest::emptyTableFile()
{
    saveAs(path("empty.xml"));
    QCOMPARE(fileBytes(path("empty.xml")), Head + "<PLU_DataBase/>\n");
    QVERIFY(!window->isTableModified());

    open(path("empty.xml"));
    QCOMPARE(window->statusBar()->currentMessage(), "File " + path("empty.xml") + " loaded");
    QCOMPARE(filledRows(table), 0);
    QVERIFY(!window->isTableModified());    // nothing was filled
}

void XmlTest::roundTrip_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("written");    // how the name appears in the file

    QTest::newRow("cyrillic") << QString::fromUtf8("Хлеб ржаной") << QByteArray("\xd5\xeb\xe5\xe1 \xf0\xe6\xe0\xed\xee\xe9");
    QTest::newRow("ampersand") << "Salt & pepper" << QByteArray("Salt &amp; pepper");
    QTest::newRow("less than") << "<100 g>" << QByteArray("&lt;100 g>");
    QTest::newRow("double quote") << "\"Best\" 'tea'" << QByteArray("&quot;Best&quot; 'tea'");
    QTest::newRow("outside cp1251") << QString::fromUtf8("Crème brûlée") << QByteArray("Cr&#232;me br&#251;l&#233;e");
    QTest::newRow("outside the BMP") << QString::fromUtf8("Tea \U0001F375") << QByteArray("Tea &#127861;");
    QTest::newRow("tab") << "a\tb" << QByteArray("a&#9;b");
    QTest::newRow("line breaks") << "a\nb\r\nc" << QByteArray("a&#10;b&#13;&#10;c");
    QTest::newRow("blanks kept") << "  two  " << QByteArray("\"  two  \"");
}

void XmlTest::roundTrip()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, written);

    fillRow(0, { "0", name, name, name, "4600000000017", "255" });
    fillRow(998, { "9999.99", "", "", name });
    fillRow(500, { "5" });
    saveAs(path("trip.xml"));
    QVERIFY(fileBytes(path("trip.xml")).contains(written));

    QStringList before;
    for (int row = 0; row < table->rowCount(); ++row)
        before << rowCells(table, row);
    answerer->pressButton(QMessageBox::Yes);    // clear the current document
    triggerAction(window, "&New");
    open(path("trip.xml"));

    QStringList after;
    for (int row = 0; row < table->rowCount(); ++row)
        after << rowCells(table, row);
    QCOMPARE(after, before);
    QCOMPARE(answerer->boxes.size(), 1);        // only the New question
}

void XmlTest::savingTwiceGivesTheSameBytes()
{
    for (int row = 0; row < 999; row += 7)
        fillRow(row, { QString::number(row), "Name", QString::fromUtf8("Имя"), "x", "", "1" });
    saveAs(path("twice.xml"));
    const QByteArray first = fileBytes(path("twice.xml"));
    typeInto(table, 1, 1, "");          // a change that is not saved
    triggerAction(window, "&Save");
    QCOMPARE(fileBytes(path("twice.xml")), first);
}

void XmlTest::loading_data()
{
    QTest::addColumn<QByteArray>("elements");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("cells");     // the row's six cells, joined by '|'
    QTest::addColumn<int>("rows");          // rows with any cell filled
    QTest::addColumn<bool>("passedOver");   // whether elements were said to be left out

    QTest::newRow("998 is the last row") << QByteArray("<PLU Number=\"998\" Price=\"1\"/>")
        << 998 << "1|||||" << 1 << false;
    QTest::newRow("0 is the first row") << QByteArray("<PLU Number=\"0\" Price=\"1\"/>")
        << 0 << "1|||||" << 1 << false;
    QTest::newRow("missing price")
        << QByteArray("<PLU Number=\"4\" Name0=\"a\" Durability=\"5\"/>")
        << 4 << "|a||||5" << 1 << false;
    QTest::newRow("reordered and extra attributes")
        << QByteArray("<PLU Extra=\"x\" Durability=\"9\" Barcode=\"4600000000017\" Name2=\"c\""
                      " Name1=\"b\" Name0=\"a\" Price=\"7.5\" Number=\"12\"/>")
        << 12 << "7.5|a|b|c|4600000000017|9" << 1 << false;
    QTest::newRow("nested PLU not loaded")
        << QByteArray("<Group><PLU Number=\"4\" Price=\"1\"/></Group>") << 4 << "|||||" << 0 << true;
    QTest::newRow("other elements, text and comments skipped")
        << QByteArray("text<!-- note --><plu Number=\"1\" Price=\"1\"/><PLU Number=\"2\" Price=\"3\"/>")
        << 2 << "3|||||" << 1 << true;
    QTest::newRow("references and Cyrillic")
        << QByteArray("<PLU Number=\"1\" Price=\"1\" Name0=\"&#252;&amp;\xc0\"/>")
        << 1 << QString::fromUtf8("1|ü&А||||") << 1 << false;
    QByteArray deep = "<PLU Number=\"6\" Price=\"1\">";
    for (int i = 0; i < 20000; ++i)
        deep += "<a>";
    for (int i = 0; i < 20000; ++i)
        deep += "</a>";
    QTest::newRow("deep tree below a PLU") << deep + "</PLU>" << 6 << "1|||||" << 1 << false;
}

void XmlTest::loading()
{
    QFETCH(QByteArray, elements);
    QFETCH(int, row);
    QFETCH(QString, cells);
    QFETCH(int, rows);

    table->item(20, 6)->setText("SEL");     // marks go with the old table
    writeFileBytes(path("in.xml"), pluFile(elements));
    answerer->pressButton(QMessageBox::Yes);
    open(path("in.xml"));

    QCOMPARE(window->currentFileName(), path("in.xml"));
    QCOMPARE(rowCells(table, row), cells);
    QCOMPARE(filledRows(table), rows);
    QCOMPARE(cellText(table, 20, 6), QString());
    QCOMPARE(answerer->texts().first(), "Do you want to clear the current document.");
    // An element another program may have meant as a PLU is named.
    QFETCH(bool, passedOver);
    QCOMPARE(answerer->texts().size(), passedOver ? 2 : 1);
    if (passedOver)
        QVERIFY2(answerer->boxes.last().text.contains("is not a PLU element directly under"),
                 qPrintable(answerer->boxes.last().text));
}

void XmlTest::overlongNameGivesOneBox()
{
    writeFileBytes(path("long.xml"),
                   pluFile("<PLU Number=\"2\" Price=\"3\" Name0=\"" + QByteArray(20, 'n')
                           + "\" Name1=\"ok\" Durability=\"4\"/>"));
    open(path("long.xml"));
    const QString line = "PLU 2 (row 3), Name1: \"nnnnnnnnnnnnnnnnnnnn\" was left out."
                         " The name must be at most 19 sybols long";
    QCOMPARE(answerer->texts(),
             QStringList(LoadProblem.arg(1) + "\n\n" + line + "\n\n" + LoadAdvice));
    QCOMPARE(answerer->boxes.first().detailedText, line);
    QCOMPARE(rowCells(table, 2), QString("3||ok|||4"));
    QVERIFY(window->isTableModified());
}

void XmlTest::numbersLeftOut_data()
{
    QTest::addColumn<QByteArray>("number");     // the Number attribute, or absent when null
    QTest::addColumn<QString>("line");          // the box's line for the element

    const QString notPlu = "PLU element 1 of the file, Number \"%1\": not a PLU number from"
                           " 0 to 998; the element was left out.";
    const QStringList numbers = { "abc", "", "5.0", "0x5", "+5", " 5", "32768", "65537",
                                  "99999999999", "999", "1000", "-1", "-0x1" };
    for (const QString &number : numbers)
        QTest::newRow(qPrintable("\"" + number + "\"")) << number.toLatin1() << notPlu.arg(number);
    QTest::newRow("full-width digits") << QByteArray("&#xFF15;")
                                       << notPlu.arg(QString(QChar(0xFF15)));
    QTest::newRow("absent") << QByteArray() << notPlu.arg("");
    QTest::newRow("same number twice, first kept") << QByteArray("7")
        << "PLU element 2 of the file, Number \"7\": an earlier element has this number;"
           " the element was left out.";
}

// An element that names no PLU, or one already loaded, is left out and
// listed; it never lands in row 0 nor replaces an earlier element.
void XmlTest::numbersLeftOut()
{
    QFETCH(QByteArray, number);
    QFETCH(QString, line);

    const QByteArray attribute = number.isNull() ? QByteArray() : "Number=\"" + number + "\" ";
    writeFileBytes(path("numbers.xml"),
                   pluFile("<PLU " + attribute + "Price=\"1\" Name0=\"odd\"/>"
                           "<PLU Number=\"7\" Price=\"2\" Name0=\"seven\"/>"));
    open(path("numbers.xml"));

    QCOMPARE(filledRows(table), 1);
    QCOMPARE(rowCells(table, 7), number == "7" ? QString("1|odd||||") : QString("2|seven||||"));
    QCOMPARE(answerer->boxes.size(), 1);
    const SeenBox box = answerer->boxes.first();
    QCOMPARE(box.icon, QMessageBox::Critical);
    QCOMPARE(box.title, QString("Error"));
    QCOMPARE(box.text, LoadProblem.arg(1) + "\n\n" + line + "\n\n" + LoadAdvice);
    QCOMPARE(box.detailedText, line);
    QCOMPARE(window->currentFileName(), path("numbers.xml"));
}

// However many values a file holds that the columns refuse, loading it
// shows one box that counts and lists them; the rest of each row loads.
void XmlTest::refusedValuesGiveOneBox()
{
    QByteArray elements;
    for (int row = 0; row < 40; ++row)
        elements += "<PLU Number=\"" + QByteArray::number(row) + "\" Price=\"1,5\" Name0=\"n\"/>";
    elements += "<PLU Number=\"50\" Price=\"2\" Barcode=\"123\" Durability=\"256\"/>"
                "<PLU Number=\"60\" Price=\"3\"/>";
    writeFileBytes(path("refused.xml"), pluFile(elements));
    open(path("refused.xml"));

    QCOMPARE(answerer->boxes.size(), 1);
    const SeenBox box = answerer->boxes.first();
    QCOMPARE(box.icon, QMessageBox::Critical);
    QCOMPARE(box.title, QString("Error"));
    QVERIFY2(box.text.startsWith(LoadProblem.arg(42) + "\n\n"), qPrintable(box.text));
    QVERIFY2(box.text.endsWith("Show Details lists all of them.\n\n" + LoadAdvice), qPrintable(box.text));
    const QStringList lines = box.detailedText.split('\n');
    QCOMPARE(lines.size(), 42);
    QCOMPARE(lines.first(), QString("PLU 0 (row 1), Price: \"1,5\" was left out. The value must be"
                                    " in range [0.00 - 9999.99] This PLU will not be saved or"
                                    " programmed until it has a price."));
    QCOMPARE(rowCells(table, 39), QString("|n||||"));
    QCOMPARE(rowCells(table, 50), QString("2|||||"));
    QCOMPARE(rowCells(table, 60), QString("3|||||"));
    QVERIFY(window->isTableModified());
    QCOMPARE(window->statusBar()->currentMessage(), "File " + path("refused.xml") + " loaded");
}

void XmlTest::refusedFileChangesNothing_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint64>("sparseSize");     // > 0: a file of this size, all zeros; < 0: a FIFO

    const QByteArray good = pluFile("<PLU Number=\"1\" Price=\"1\"/>");
    QTest::newRow("wrong-case root") << QByteArray(Head + "<plu_database/>\n") << qint64(0);
    QTest::newRow("root PLU") << QByteArray(Head + "<PLU Number=\"1\" Price=\"1\"/>\n") << qint64(0);
    QTest::newRow("truncated") << good.left(good.size() - 8) << qint64(0);
    QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << qint64(0);
    QTest::newRow("empty") << QByteArray() << qint64(0);
    QTest::newRow("control character reference")
        << pluFile("<PLU Number=\"1\" Price=\"1\" Name0=\"&#1;\"/>") << qint64(0);
    QTest::newRow("undeclared entity") << pluFile("<PLU Number=\"1\" Price=\"&x;\"/>") << qint64(0);
    QByteArray laughs = "<?xml version=\"1.0\"?><!DOCTYPE PLU_DataBase [<!ENTITY a \"aaaaaaaaaa\">";
    for (char c = 'b'; c <= 'j'; ++c)
        laughs += QByteArray("<!ENTITY ") + c + " \"" + (QByteArray("&") + char(c - 1) + ";").repeated(10) + "\">";
    QTest::newRow("entity expansion")
        << laughs + "]><PLU_DataBase><PLU Number=\"1\" Price=\"1\" Name0=\"&j;\"/></PLU_DataBase>"
        << qint64(0);
    QTest::newRow("one small entity")
        << QByteArray("<!DOCTYPE PLU_DataBase [<!ENTITY p \"1\">]><PLU_DataBase><PLU Price=\"&p;\"/></PLU_DataBase>")
        << qint64(0);
    QTest::newRow("over 16 MiB") << QByteArray() << qint64(16 * 1024 * 1024 + 1);
    QTest::newRow("FIFO no one writes to") << QByteArray() << qint64(-1);
}

// A file that cannot be loaded leaves table, marks, name, title and flag as
// they were, so a later Save still writes to the file the document came from.
void XmlTest::refusedFileChangesNothing()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, sparseSize);

    fillRow(3, { "4.25", "Kept" });
    saveAs(path("kept.xml"));
    table->item(8, 6)->setText("SEL");
    QVERIFY(window->isTableModified());
    const QString badPath = path("bad.xml");
    if (sparseSize < 0)
        QVERIFY(mkfifo(QFile::encodeName(badPath).constData(), 0600) == 0);
    else
        writeFileBytes(badPath, bytes);
    if (sparseSize > 0) {
        QFile sparse(badPath);
        QVERIFY(sparse.resize(sparseSize));
    }

    answerer->pressButton(QMessageBox::Yes);
    open(badPath);

    QCOMPARE(window->statusBar()->currentMessage(), "Could not read from " + badPath);
    QCOMPARE(rowCells(table, 3), QString("4.25|Kept||||"));
    QCOMPARE(cellText(table, 8, 6), QString("SEL"));
    QCOMPARE(window->currentFileName(), path("kept.xml"));
    QCOMPARE(window->windowTitle(), path("kept.xml"));
    QVERIFY(window->isTableModified());
    QCOMPARE(answerer->boxes.size(), 1);        // the clear question, nothing more
}

QTEST_MAIN(XmlTest)
#include "tst_xml.moc"
