// The window's CSV export and import, the Find field and the check before
// programming, driven through the real dialogs against the simulated scale.

#include "findfilter.h"
#include "scalesession.h"
#include "tarexa.h"
#include "testapp.h"

#include <QDialog>
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

// Presses the button of the dialog with this text (mnemonics ignored).
std::function<void(QWidget *)> press(const QString &text)
{
    return [text](QWidget *dialog) {
        for (QPushButton *button : dialog->findChildren<QPushButton *>()) {
            if (button->text().remove(QLatin1Char('&')) == text) {
                button->click();
                return;
            }
        }
        static_cast<QDialog *>(dialog)->reject();
    };
}

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

    QTest::newRow("replace") << "Replace the table" << 1 << QString() << QString() << QString();
    QTest::newRow("update") << "Update only these PLUs" << 0 << "9" << "SEL" << "@doc.xml";
    QTest::newRow("cancel") << "Cancel" << 0 << "9" << "SEL" << "@doc.xml";
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
    answerer.handleWith(press(choice));
    answerer.pressButton("No");     // do not save the changes
    m_session->trigger("Import CSV...");

    QCOMPARE(int(answerer.boxes.size()), unsavedQuestions);
    QTableWidget *table = m_session->table();
    const bool changed = choice != "Cancel";
    QCOMPARE(cellText(table, 1, Name1Column), QString(changed ? "Tea" : "Old"));
    QCOMPARE(cellText(table, 2, PriceColumn), QString(changed ? "3.00" : ""));
    QTEST(cellText(table, 5, PriceColumn), "row5Price");
    QTEST(cellText(table, 1, PLU_MARK_COLUMN), "row1Mark");
    QCOMPARE(m_session->window()->currentFileName(), fileName);
    QVERIFY(m_session->window()->isTableModified());
}

void CsvCommandsTest::exportThenImportGivesTheSameTable()
{
    fill(0, { "0.50", "Чай", "", "", "4600000000008", "30" });
    fill(17, { "12", "Сыр \"Ламбер\"", "=1+1", "a;b", "", "" });
    fill(998, { "9999.99", "", "", "x", "", "255" });
    QStringList exported;
    for (int row : { 0, 17, 998 })
        exported << m_session->rowTexts(row).join('|');

    ModalAnswerer &answerer = m_session->answerer();
    answerer.chooseFile(path("out.csv"));
    m_session->trigger("Export CSV...");
    QVERIFY(QFile::exists(path("out.csv")));

    answerer.chooseFile(path("out.csv"));
    answerer.handleWith(press("Replace the table"));
    answerer.pressButton("No");
    m_session->trigger("Import CSV...");
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
        press(answer)(dialog);
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
