// Hostile input from the keyboard, from files and from the scale: the
// program neither crashes nor hangs nor loses the table; each value is
// refused with its message or kept exactly.
#include "modalanswerer.h"
#include "scalesession.h"
#include "tarexa.h"
#include "testapp.h"

#include <QElapsedTimer>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray Head = "<?xml version=\"1.0\" encoding=\"CP1251\" standalone=\"no\" ?><!DOCTYPE PLU_ML>\n";
const QString NameMessage = "The name must be at most 19 sybols long";

QByteArray repeated(const QByteArray &piece, int times)
{
    QByteArray all;
    all.reserve(piece.size() * times);
    for (int i = 0; i < times; ++i)
        all += piece;
    return all;
}

} // namespace

class RobustnessTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { setUpTestApplication(); }
    void init();
    void cleanup();

    void hugeTypedName();
    void hostileFiles_data();
    void hostileFiles();
    void nulByteInACell();

private:
    void open(const QString &path);

    Tarexa *window = nullptr;
    QTableWidget *table = nullptr;
    ModalAnswerer *answerer = nullptr;
    QTemporaryDir *folder = nullptr;
};

void RobustnessTest::init()
{
    window = new Tarexa;
    table = window->pluTable();
    answerer = new ModalAnswerer;
    folder = new QTemporaryDir;
}

void RobustnessTest::cleanup()
{
    delete answerer;
    delete window;
    delete folder;
}

void RobustnessTest::open(const QString &path)
{
    answerer->chooseFile(path);
    triggerAction(window, "&Open...");
}

void RobustnessTest::hugeTypedName()
{
    typeInto(table, 3, 1, QString(100000, QChar(0x0416)));
    QCOMPARE(answerer->texts(), QStringList(NameMessage));
    QCOMPARE(cellText(table, 3, 1), QString());
}

void RobustnessTest::hostileFiles_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("loads");
    QTest::addColumn<QStringList>("boxes");  // how each box's text begins
    QTest::addColumn<QString>("row1");   // cells 0 to 5 of row 1, joined by "|"

    QTest::newRow("name of 100 000 characters")
        << Head + "<PLU_DataBase><PLU Number=\"1\" Price=\"2\" Name0=\""
               + QByteArray(100000, 'n') + "\" Name1=\"ok\"/></PLU_DataBase>"
        << true
        << QStringList("Part of the file could not be loaded. Items left out: 1.\n\n"
                       "PLU 1 (row 2), Name1: \"" + QString(60, 'n') + QChar(0x2026)
                       + "\" was left out. " + NameMessage + "\n\nCorrect them in the table"
                         " and save, or correct the file and open it again.")
        << "2||ok|||";
    QTest::newRow("300 000 sibling elements")
        << Head + "<PLU_DataBase>" + repeated("<x/>", 300000)
               + "<PLU Number=\"1\" Price=\"3\"/></PLU_DataBase>"
        << true << QStringList("Part of the file could not be loaded. Items left out: 11.\n\n"
                               "Line 2 of the file: the element \"x\" is not a PLU element")
        << "3|||||";
    QTest::newRow("200 000 levels deep")
        << Head + "<PLU_DataBase>" + repeated("<a>", 200000) + repeated("</a>", 200000)
               + "<PLU Number=\"1\" Price=\"4\"/></PLU_DataBase>"
        << true << QStringList("Part of the file could not be loaded. Items left out: 1.\n\n"
                               "Line 2 of the file: the element \"a\" is not a PLU element")
        << "4|||||";
    QTest::newRow("external entity")
        << QByteArray("<?xml version=\"1.0\"?><!DOCTYPE PLU_DataBase [<!ENTITY x SYSTEM "
                      "\"file:///etc/passwd\">]><PLU_DataBase><PLU Number=\"1\" Price=\"1\" "
                      "Name0=\"&x;\"/></PLU_DataBase>")
        << false << QStringList() << "";
    QTest::newRow("parameter entity")
        << QByteArray("<?xml version=\"1.0\"?><!DOCTYPE PLU_DataBase [<!ENTITY % p \"x\"> %p;]>"
                      "<PLU_DataBase/>")
        << false << QStringList() << "";
    QTest::newRow("lone surrogate reference")
        << Head + "<PLU_DataBase><PLU Number=\"1\" Price=\"1\" Name0=\"&#xD800;\"/></PLU_DataBase>"
        << false << QStringList() << "";
    QTest::newRow("NUL byte in an attribute")
        << Head + "<PLU_DataBase><PLU Number=\"1\" Price=\"1\" Name0=\"a" + QByteArray(1, '\0')
               + "b\"/></PLU_DataBase>"
        << false << QStringList() << "";
}

// A file the loader refuses leaves the table as it was; one it takes
// fills the table through the column rules.
void RobustnessTest::hostileFiles()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, loads);
    QFETCH(QStringList, boxes);
    QFETCH(QString, row1);

    typeInto(table, 500, 0, "9.99");
    const QString path = folder->filePath("hostile.xml");
    writeFileBytes(path, file);
    answerer->pressButton(QMessageBox::Yes);   // clear the changed document
    QElapsedTimer timer;
    timer.start();
    open(path);
    QVERIFY2(timer.elapsed() < 10000, QByteArray::number(timer.elapsed()));

    QStringList seen = answerer->texts();
    seen.removeAll("Do you want to clear the current document.");
    QCOMPARE(seen.size(), boxes.size());
    for (int i = 0; i < boxes.size(); ++i)
        QVERIFY2(seen[i].startsWith(boxes[i]), qPrintable(seen[i]));
    if (!loads) {
        QCOMPARE(window->statusBar()->currentMessage(), "Could not read from " + path);
        QCOMPARE(cellText(table, 500, 0), QString("9.99"));
        return;
    }
    QCOMPARE(window->statusBar()->currentMessage(), "File " + path + " loaded");
    QStringList cells;
    for (int col = 0; col < 6; ++col)
        cells << cellText(table, 1, col);
    QCOMPARE(cells.join('|'), row1);
    QCOMPARE(cellText(table, 500, 0), QString());
}

// A NUL typed into a name is kept in the table as it is. XML has no way
// to write it, so a save is refused, naming the cell, and the table kept;
// on the line, like every control character, it goes out as a blank.
void RobustnessTest::nulByteInACell()
{
    const QString name = QString("a") + QChar(0) + "b";
    typeInto(table, 2, 0, "1.00");
    typeInto(table, 2, 1, name);
    QVERIFY(answerer->boxes.isEmpty());
    QCOMPARE(cellText(table, 2, 1), name);

    answerer->chooseFile(folder->filePath("nul.xml"));
    triggerAction(window, "&Save");
    QCOMPARE(window->statusBar()->currentMessage(),
             "Could not write to " + folder->filePath("nul.xml"));
    QVERIFY(!QFile::exists(folder->filePath("nul.xml")));
    QCOMPARE(answerer->texts(),
             QStringList("PLU 2 (row 3), column Name1 holds the character U+0000, which a PLU"
                         " file cannot store. Remove it from that cell and save again."));
    QCOMPARE(cellText(table, 2, 1), name);
    QVERIFY(window->isTableModified());

    ScaleFixture scale;
    QVERIFY2(scale.start(), scale.errorText().c_str());
    window->setDeviceName(scale.deviceName());
    programAnyway(window, table, *answerer);
    QVERIFY2(answerer->boxes.size() == 1, qPrintable(answerer->texts().join('|')));
    QCOMPARE(scale.sim().plus().at(2).name[0], QString("a b"));
}

QTEST_MAIN(RobustnessTest)
#include "tst_robustness.moc"
