// The window's CSV export and import, the Find field and the check before
// programming, driven through the real dialogs against the simulated scale.

#include "findfilter.h"
#include "scalesession.h"
#include "tarexa.h"
#include "testapp.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const char *const ImportFile = "Number;Price;Name1;Barcode\r\n"
                               "1;2.00;Tea;\r\n"
                               "2;3.00;Coffee;\r\n";

} // namespace

class CsvCommandsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { setUpTestApplication(); }
    void init();
    void cleanup() { m_session.reset(); }

    void importReplacesOrUpdates_data();
    void importReplacesOrUpdates();
    void exportThenImportGivesTheSameTable_data();
    void exportThenImportGivesTheSameTable();
    void findingsAskBeforeProgramming_data();
    void findingsAskBeforeProgramming();
    void rowsHiddenByFindAreSavedAndProgrammed();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    void writeFile(const QString &name, const QByteArray &bytes);
    void fill(int row, const QStringList &texts);

    std::unique_ptr<ScaleSession> m_session;
    QTemporaryDir m_dir;
};

void CsvCommandsTest::init()
{
    QVERIFY(m_dir.isValid());
    m_session = std::make_unique<ScaleSession>();
    QVERIFY2(m_session->start(), m_session->errorText().c_str());
}

void CsvCommandsTest::writeFile(const QString &name, const QByteArray &bytes)
{
    QFile file(path(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

void CsvCommandsTest::fill(int row, const QStringList &texts)
{
    for (int col = 0; col < texts.size(); ++col)
        typeInto(m_session->table(), row, col, texts[col]);
}

// Replace asks about the unsaved table first and leaves only the file's
// rows, unmarked, untitled; Update changes the file's PLUs and nothing else.
void CsvCommandsTest::importReplacesOrUpdates_data()
{
    QTest::addColumn<QString>("choice");
    QTest::addColumn<int>("unsavedQuestions");
    QTest::addColumn<QString>("row5Price");
    QTest::addColumn<QString>("row1Mark");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("changed");

    QTest::newRow("replace") << "Replace the table" << 1 << QString() << QString() << QString()
                             << true;
    QTest::newRow("update") << "Update only these PLUs" << 0 << "9" << "SEL" << "@doc.xml" << true;
    QTest::newRow("cancel") << "Cancel" << 0 << "9" << "SEL" << "@doc.xml" << false;
    // Escape in "Do you want to save the changes?" backs out: nothing is lost.
    QTest::newRow("replace, Escape in the save question")
        << "Replace the table" << 1 << "9" << "SEL" << "@doc.xml" << false;
}

void CsvCommandsTest::importReplacesOrUpdates()
{
    QFETCH(QString, choice);
    QFETCH(int, unsavedQuestions);
    QFETCH(QString, fileName);
    if (fileName.startsWith('@'))
        fileName = path(fileName.mid(1));
    writeFile("doc.xml", "<PLU_DataBase><PLU Number=\"1\" Price=\"1\" Name0=\"Old\"/>"
                         "<PLU Number=\"5\" Price=\"9\"/></PLU_DataBase>");
    writeFile("in.csv", ImportFile);
    ModalAnswerer &answerer = m_session->answerer();
    answerer.chooseFile(path("doc.xml"));
    m_session->trigger("&Open...");
    m_session->clickCell(1, PLU_MARK_COLUMN);
    fill(7, { "4" });     // the document now holds unsaved changes

    answerer.chooseFile(path("in.csv"));
    answerer.handleWith(pressDialogButton(choice));
    QFETCH(bool, changed);
    if (!QByteArray(QTest::currentDataTag()).contains("Escape"))
        answerer.pressButton("No");     // do not save the changes
    m_session->trigger("&Import...");

    QCOMPARE(int(answerer.boxes.size()), unsavedQuestions);
    if (unsavedQuestions)
        QCOMPARE(answerer.boxes.first().escapeButton, QString("Cancel"));
    QTableWidget *table = m_session->table();
    QCOMPARE(cellText(table, 1, Name1Column), QString(changed ? "Tea" : "Old"));
    QCOMPARE(cellText(table, 2, PriceColumn), QString(changed ? "3.00" : ""));
    QTEST(cellText(table, 5, PriceColumn), "row5Price");
    QTEST(cellText(table, 1, PLU_MARK_COLUMN), "row1Mark");
    QCOMPARE(m_session->window()->currentFileName(), fileName);
    QVERIFY(m_session->window()->isTableModified());
}

// Both kinds of export, a name typed without its suffix getting the one of
// the chosen type, and the import reading each back.
void CsvCommandsTest::exportThenImportGivesTheSameTable_data()
{
    QTest::addColumn<QString>("typed");     // with the dialog's first type, .xlsx
    QTest::addColumn<QString>("written");

    QTest::newRow("CSV by its name") << "out.csv" << "out.csv";
    QTest::newRow("no suffix: the chosen type's") << "out" << "out.xlsx";
    QTest::newRow("xlsx in capitals") << "out.XLSX" << "out.XLSX";
}

void CsvCommandsTest::exportThenImportGivesTheSameTable()
{
    QFETCH(QString, typed);
    QFETCH(QString, written);
    for (const QString &earlier : QDir(m_dir.path()).entryList({ "out*" }, QDir::Files))
        QVERIFY(QFile::remove(path(earlier)));
    fill(0, { "0.50", "Чай", "", "", "4600000000008", "30" });
    // A workbook holds prices as numbers, which come back with two decimals.
    fill(17, { "12.00", "Сыр \"Ламбер\"", "=1+1", "a;b", "", "" });
    fill(998, { "9999.99", "", "", "x", "", "255" });
    QStringList exported;
    for (int row : { 0, 17, 998 })
        exported << m_session->rowTexts(row).join('|');

    ModalAnswerer &answerer = m_session->answerer();
    answerer.chooseFile(path(typed));
    m_session->trigger("&Export...");
    QCOMPARE(QDir(m_dir.path()).entryList({ "out*" }, QDir::Files), QStringList { written });
    const QByteArray bytes = fileBytes(path(written));
    QCOMPARE(bytes.startsWith("PK"), written.endsWith(".xlsx", Qt::CaseInsensitive));

    answerer.chooseFile(path(written));
    answerer.handleWith(pressDialogButton("Replace the table"));
    answerer.pressButton("No");
    m_session->trigger("&Import...");
    QStringList imported;
    for (int row : { 0, 17, 998 })
        imported << m_session->rowTexts(row).join('|');
    QCOMPARE(imported, exported);
}

// A shared barcode is a finding: No leaves the port alone, Yes programs.
void CsvCommandsTest::findingsAskBeforeProgramming_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("frames");
    QTest::newRow("no") << "No" << 0;
    QTest::newRow("yes") << "Yes" << 2;
}

void CsvCommandsTest::findingsAskBeforeProgramming()
{
    QFETCH(QString, answer);
    fill(1, { "1", "A", "", "", "4600000000008" });
    fill(2, { "2", "B", "", "", "4600000000008" });
    QString askedWith;
    m_session->answerer().handleWith([&askedWith, answer](QWidget *dialog) {
        askedWith = dialog->windowTitle();
        pressDialogButton(answer)(dialog);
    });
    m_session->trigger("&Program");
    QCOMPARE(askedWith, QString("Program"));
    QTEST(int(m_session->frames().size()), "frames");
    QCOMPARE(m_session->progress().seen, answer == "Yes");
}

void CsvCommandsTest::rowsHiddenByFindAreSavedAndProgrammed()
{
    fill(3, { "1", "Молоко" });
    fill(4, { "2", "Хлеб" });
    auto *find = m_session->window()->findChild<FindField *>();
    QVERIFY(find);
    find->setText(QString("мол"));
    QVERIFY(m_session->table()->isRowHidden(4));
    QVERIFY(!m_session->table()->isRowHidden(3));
    auto *shownRows = m_session->window()->findChild<QLabel *>("shownRows");
    QVERIFY(shownRows);
    QCOMPARE(shownRows->text(), shownRowsText(1));

    m_session->answerer().chooseFile(path("saved.xml"));
    m_session->trigger("&Save");
    QFile saved(path("saved.xml"));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QVERIFY(saved.readAll().contains("Number=\"4\""));

    m_session->trigger("&Program");
    QCOMPARE(int(m_session->sim().plus().size()), 2);
    QCOMPARE(cellText(m_session->table(), 4, Name1Column), QString("Хлеб"));
}

QTEST_MAIN(CsvCommandsTest)
#include "tst_csvcommands.moc"
