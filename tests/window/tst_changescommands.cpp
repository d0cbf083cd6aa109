// The window's Program Changes, Compare with Scale and Transfer History
// against the simulated scale: what each sends, asks and shows.

#include "comparedialog.h"
#include "historydialog.h"
#include "plu.h"
#include "scalesession.h"
#include "scalestore.h"
#include "tarexa.h"
#include "testapp.h"

#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <memory>

namespace {

int treeItemCount(const QTreeWidget *view)
{
    int count = 0;
    for (int i = 0; i < view->topLevelItemCount(); ++i)
        count += 1 + view->topLevelItem(i)->childCount();
    return count;
}

} // namespace

class ChangesCommandsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { setUpTestApplication(); }
    void init();
    void cleanup() { m_session.reset(); }
    void withoutAnyRecordAsksFirst();
    void afterProgramSendsOnlyWhatChanged();
    void afterReadSendsOnlyWhatDiffers_data();
    void afterReadSendsOnlyWhatDiffers();
    void refusedPriceIsNeverOfferedForDeletion();
    void compareListsTheDifferences();
    void historyShowsTheTransfers();

private:
    int frameCount() { return int(m_session->frames().size()); }
    void readTheScale();

    std::unique_ptr<ScaleSession> m_session;
};

void ChangesCommandsTest::init()
{
    m_session = std::make_unique<ScaleSession>();
    QVERIFY2(m_session->start(), m_session->errorText().c_str());
    m_session->sim().setPlus({ { 1, plainSimPlu(1) }, { 2, plainSimPlu(2) }, { 3, plainSimPlu(3) } });
}

void ChangesCommandsTest::readTheScale()
{
    m_session->trigger("&Read");
    QCOMPARE(m_session->rowTexts(3).value(PriceColumn), QString("2.00"));
}

// Terminal names come back: a record forgotten is what a port never
// programmed or read looks like.
void ChangesCommandsTest::withoutAnyRecordAsksFirst()
{
    QVERIFY(ScaleStore().forget(m_session->window()->deviceName()));
    typeInto(m_session->table(), 4, PriceColumn, "1.00");
    m_session->answerer().pressButton(QMessageBox::Cancel);

    m_session->trigger("Program C&hanges");

    QCOMPARE(m_session->answerer().boxes.size(), 1);
    const SeenBox &box = m_session->answerer().boxes.first();
    QVERIFY2(box.buttons.contains("Compare") && box.buttons.contains("Program All"),
             qPrintable(box.buttons.join('|')));
    QCOMPARE(frameCount(), 0);
}

// A full Program makes every PLU of the table known, so Program Changes
// needs no read after it; the scale is asked for its first PLU, then only
// the changed row goes. Only part of the scale being known, no PLU is
// offered for deletion.
void ChangesCommandsTest::afterProgramSendsOnlyWhatChanged()
{
    m_session->sim().setPlus({});
    QVERIFY(ScaleStore().forget(m_session->window()->deviceName()));
    for (int row : { 4, 5 })
        typeInto(m_session->table(), row, PriceColumn, "1.00");
    m_session->trigger("&Program");
    const int before = frameCount();
    typeInto(m_session->table(), 5, PriceColumn, "3.00");
    typeInto(m_session->table(), 4, PriceColumn, QString());

    m_session->trigger("Program C&hanges");

    QCOMPARE(m_session->commandBytes().mid(before), QByteArray("bA"));
    QCOMPARE(m_session->sim().plus().at(5).price, QString("3.00"));
    QVERIFY(m_session->sim().plus().count(4));
    QVERIFY(m_session->answerer().boxes.isEmpty());
}

void ChangesCommandsTest::afterReadSendsOnlyWhatDiffers_data()
{
    QTest::addColumn<QString>("newPrice2");      // empty: PLU 2 left as it is
    QTest::addColumn<bool>("dropRow3");
    QTest::addColumn<QString>("deleteAnswer");  // empty: no question expected
    QTest::addColumn<int>("frames");            // after the request for the first PLU
    QTest::addColumn<bool>("scaleHolds3");

    QTest::newRow("one changed") << "9.99" << false << QString() << 1 << true;
    QTest::newRow("missing kept") << "9.99" << true << "No" << 1 << true;
    QTest::newRow("missing deleted") << "9.99" << true << "Yes" << 2 << false;
    QTest::newRow("only missing, kept") << QString() << true << "No" << 0 << true;
    QTest::newRow("nothing") << QString() << false << QString() << 0 << true;
}

void ChangesCommandsTest::afterReadSendsOnlyWhatDiffers()
{
    QFETCH(QString, newPrice2);
    QFETCH(bool, dropRow3);
    QFETCH(QString, deleteAnswer);
    readTheScale();
    const int before = frameCount();
    m_session->answerer().boxes.clear();
    if (!newPrice2.isEmpty())
        typeInto(m_session->table(), 2, PriceColumn, newPrice2);
    if (dropRow3)
        typeInto(m_session->table(), 3, PriceColumn, QString());
    if (!deleteAnswer.isEmpty())
        m_session->answerer().pressButton(deleteAnswer == "Yes" ? QMessageBox::Yes : QMessageBox::No);

    m_session->trigger("Program C&hanges");

    QCOMPARE(m_session->commandBytes().at(before), 'b');
    QTEST(frameCount() - before - 1, "frames");
    QTEST(m_session->sim().plus().count(3) == 1, "scaleHolds3");
    if (!newPrice2.isEmpty())
        QCOMPARE(m_session->sim().plus().at(2).price, newPrice2);
    const QStringList texts = m_session->answerer().texts();
    if (frameCount() == before + 1)
        QVERIFY2(texts.join('|').contains("nothing was sent"), qPrintable(texts.join('|')));
    else
        QVERIFY2(texts.size() == (deleteAnswer.isEmpty() ? 0 : 1), qPrintable(texts.join('|')));
}

// The file gives PLU 3 a price with a comma, which its column refuses: the
// row is not in use, but Program Changes must not offer to delete PLU 3.
void ChangesCommandsTest::refusedPriceIsNeverOfferedForDeletion()
{
    readTheScale();
    QTemporaryDir dir;
    const QString file = dir.filePath("prices.xml");
    writeFileBytes(file, "<PLU_DataBase><PLU Number=\"1\" Price=\"2.00\" Name0=\"PLU 1\"/>"
                         "<PLU Number=\"2\" Price=\"2.00\" Name0=\"PLU 2\"/>"
                         "<PLU Number=\"3\" Price=\"2,50\" Name0=\"PLU 3\"/></PLU_DataBase>");
    m_session->answerer().pressButton(QMessageBox::Yes);   // clear what was read
    m_session->answerer().chooseFile(file);
    m_session->answerer().pressButton(QMessageBox::Ok);    // the refusal
    m_session->trigger("&Open...");
    QVERIFY(m_session->rowTexts(3).value(PriceColumn).isEmpty());
    m_session->answerer().boxes.clear();

    m_session->trigger("Program C&hanges");

    for (const SeenBox &box : std::as_const(m_session->answerer().boxes))
        QVERIFY2(!box.text.contains("The scale holds PLUs that the table does not"),
                 qPrintable(box.text));
    QVERIFY(m_session->sim().plus().count(3));
}

// Compare reads the scale and leaves the table alone.
void ChangesCommandsTest::compareListsTheDifferences()
{
    typeInto(m_session->table(), 1, PriceColumn, "5.00");
    int listed = -1;
    m_session->answerer().handleWith([&listed](QWidget *dialog) {
        if (auto *compare = qobject_cast<CompareDialog *>(dialog))
            listed = treeItemCount(compare->differencesView());
        static_cast<QDialog *>(dialog)->reject();
    });

    m_session->trigger("&Compare with Scale");

    // PLU 1 differs in its price and more fields; 2 and 3 are only on the scale.
    QVERIFY2(listed >= 4, qPrintable(QString::number(listed)));
    QCOMPARE(m_session->rowTexts(1).value(PriceColumn), QString("5.00"));
    QVERIFY(m_session->isEmptyRow(2));
}

void ChangesCommandsTest::historyShowsTheTransfers()
{
    readTheScale();
    const QString device = m_session->window()->deviceName();
    QStringList shown;
    m_session->answerer().handleWith([&shown](QWidget *dialog) {
        if (auto *history = qobject_cast<TransferHistoryDialog *>(dialog)) {
            const QTreeWidget *view = history->transfersView();
            for (int i = 0; i < view->topLevelItemCount(); ++i) {
                QStringList columns;
                for (int c = 0; c < view->columnCount(); ++c)
                    columns << view->topLevelItem(i)->text(c);
                shown << columns.join('|');
            }
        }
        static_cast<QDialog *>(dialog)->reject();
    });

    m_session->trigger("&Transfer History");

    const QString readOfThisDevice = commandName(ScaleCommand::Read);
    bool found = false;
    for (const QString &line : shown)
        found = found || (line.contains(device) && line.contains(readOfThisDevice));
    QVERIFY2(found, qPrintable(shown.join('\n')));
}

QTEST_MAIN(ChangesCommandsTest)
#include "tst_changescommands.moc"
