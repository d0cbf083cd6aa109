// Programming the table into the simulated scale through the real serial
// backend on a pseudo-terminal.

#include "cp1251.h"
#include "scalesession.h"
#include "scalecommands.h"
#include "tarexa.h"
#include "testapp.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTableWidget>
#include <QTest>

#include <memory>

namespace {

const QString Milk = QString("Молоко");
const QString Fat = QString("Жирность 3,2%");

QString field(const QByteArray &frame, int n)
{
    const QString data = fromCp1251(frame.mid(4, frame.size() - 7));
    return data.split('\t').value(n - 1);
}

} // namespace

class ProgramTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { setUpTestApplication(); }
    void init();
    void cleanup();

    void programsFilledRows();
    void writtenFormsOfNumbers();
    void emptyTable();
    void noScaleBeforeEmptyList();
    void failures_data();
    void failures();
    void cancelDuringExchange();
    void namesCannotShiftFields_data();
    void namesCannotShiftFields();
    void deviceNamedInCyrillic();

private:
    void start(const ScaleSimOptions &options = ScaleSimOptions());
    void fill(int row, const QStringList &texts);
    void fillRows(int count);

    std::unique_ptr<ScaleSession> m_session;
};

void ProgramTest::init()
{
    start();
}

void ProgramTest::cleanup()
{
    m_session.reset();
}

void ProgramTest::start(const ScaleSimOptions &options)
{
    m_session.reset(new ScaleSession(options));
    QVERIFY2(m_session->start(), m_session->errorText().c_str());
}

void ProgramTest::fill(int row, const QStringList &texts)
{
    for (int col = 0; col < texts.size(); ++col)
        typeInto(m_session->table(), row, col, texts[col]);
}

void ProgramTest::fillRows(int count)
{
    for (int row = 0; row < count; ++row)
        fill(10 + row, { QString::number(row + 1) });
}

void ProgramTest::programsFilledRows()
{
    fill(5, { "1.5", "abc", "", "", "", "10" });
    fill(0, { "0" });
    fill(998, { "9999.99", Milk, Fat, "№1", "4600000000003", "255" });
    fill(7, { "", "no price", "is", "not sent", "4600000000010", "3" });
    plu[7].Number = 7;

    programAnyway(m_session->window(), m_session->table(), m_session->answerer());

    QVERIFY(m_session->answerer().boxes.isEmpty());
    const auto frames = m_session->frames();
    QCOMPARE(int(frames.size()), 3);
    QCOMPARE(frames[0], WSerial::buildFrame('A', "0\t0.00\t\t\t\t0000000000000\t0\t0\t"));
    QCOMPARE(frames[1], QByteArray::fromHex("01 41 32 30 35 09 31 2E 35 30 09 61 62 63 09 09 09 "
                                            "30 30 30 30 30 30 30 30 30 30 30 30 30 09 30 09 "
                                            "31 30 09 30 3B 03"));
    QCOMPARE(frames[2], WSerial::buildFrame('A', "998\t9999.99\t" + Milk + "\t" + Fat
                                                 + "\t№1\t4600000000003\t1\t255\t"));
    QVERIFY(frames[2].contains("\xCC\xEE\xEB\xEE\xEA\xEE"));   // Молоко in Windows-1251

    const auto stored = m_session->sim().plus();
    QCOMPARE(int(stored.size()), 3);
    QCOMPARE(stored.at(5).price, QString("1.50"));
    QCOMPARE(stored.at(998).name[0], Milk);
    QCOMPARE(stored.at(998).name[2], QString("№1"));

    const SeenProgress &progress = m_session->progress();
    QVERIFY(progress.seen);
    QCOMPARE(progress.label, QString("Programming to Weigh Scale.."));
    QCOMPARE(progress.cancelText, QString("Cancel"));
    QCOMPARE(progress.minimum, 0);
    QCOMPARE(progress.maximum, 3);
    QCOMPARE(progress.minimumDuration, 0);
    QVERIFY(!progress.modal);
    QCOMPARE(progress.modality, Qt::NonModal);
    QVERIFY(progress.overWindow);
    QCOMPARE(progress.values, QList<int>({ 0, 1, 2 }));

    QCOMPARE(plu[7].Number, qint16(-1));
    QCOMPARE(plu[5].Number, qint16(5));
    QCOMPARE(plu[5].Price, 1.5);
    QCOMPARE(plu[5].Barcode, QString("0000000000000"));
    QVERIFY(!plu[5].BarType);
    QCOMPARE(int(plu[998].Durabil), 255);
    QVERIFY(plu[998].BarType);
    QCOMPARE(plu[1].Number, qint16(-1));

    // The document is left as it was.
    QCOMPARE(cellText(m_session->table(), 5, 0), QString("1.5"));
    QVERIFY(m_session->window()->isTableModified());
}

// Every written form the cells accept goes out with a point and two decimals.
void ProgramTest::writtenFormsOfNumbers()
{
    const QList<QStringList> forms = {
        // price, durability, price sent, durability sent
        { "2", "", "2.00", "0" },
        { "12.5", "7", "12.50", "7" },
        { "0.05", "0", "0.05", "0" },
        { ".5", "255", "0.50", "255" },
        { "007.10", "007", "7.10", "7" },
        { "9999.99", "1", "9999.99", "1" },
        { "1.005", "256", "0.00", "0" },    // refused by the cells: both emptied
    };
    for (int i = 0; i < forms.size(); ++i)
        fill(i, { forms[i][0], "", "", "", "", forms[i][1] });
    // Only the last row's values are refused; its price cell is then empty.
    QCOMPARE(m_session->answerer().boxes.size(), 2);
    m_session->answerer().boxes.clear();

    programAnyway(m_session->window(), m_session->table(), m_session->answerer());

    QVERIFY(m_session->answerer().boxes.isEmpty());
    const auto frames = m_session->frames();
    QCOMPARE(int(frames.size()), forms.size() - 1);
    for (int i = 0; i < int(frames.size()); ++i) {
        QCOMPARE(field(frames[i], 2), forms[i][2]);
        QCOMPARE(field(frames[i], 8), forms[i][3]);
    }
}

void ProgramTest::emptyTable()
{
    fill(3, { "", "a name but no price" });
    programAnyway(m_session->window(), m_session->table(), m_session->answerer());
    const auto &boxes = m_session->answerer().boxes;
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].icon, QMessageBox::Critical);
    QCOMPARE(boxes[0].title, QString("Error"));
    QCOMPARE(boxes[0].text, QString("The list is empty"));
    QCOMPARE(boxes[0].buttons, QStringList("OK"));
    QVERIFY(m_session->frames().empty());
    QCOMPARE(plu[3].Number, qint16(-1));
    QVERIFY(!m_session->progress().seen);
}

void ProgramTest::noScaleBeforeEmptyList()
{
    m_session->window()->setDeviceName("/nonexistent/ttyTarexa");
    programAnyway(m_session->window(), m_session->table(), m_session->answerer());
    QCOMPARE(m_session->answerer().texts(),
             QStringList("Could not open communication device /nonexistent/ttyTarexa."));
}

void ProgramTest::failures_data()
{
    QTest::addColumn<int>("refuseAt");
    QTest::addColumn<int>("silentFrom");
    QTest::addColumn<QString>("message");

    QTest::newRow("third refused") << 3 << 0 << "Bad data format.";
    QTest::newRow("silent after the second") << 0 << 3 << "Communication error.";
}

// Two PLUs are programmed, the third fails, the fourth is never sent; the
// port is closed, so programming again works.
void ProgramTest::failures()
{
    QFETCH(int, refuseAt);
    QFETCH(int, silentFrom);
    QFETCH(QString, message);

    ScaleSimOptions options;
    options.refuseAt = refuseAt;
    options.silentFrom = silentFrom;
    start(options);
    fillRows(4);

    QElapsedTimer timer;
    timer.start();
    programAnyway(m_session->window(), m_session->table(), m_session->answerer());
    const qint64 elapsed = timer.elapsed();

    const auto &boxes = m_session->answerer().boxes;
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].icon, QMessageBox::Critical);
    QCOMPARE(boxes[0].title, QString("Error"));
    QCOMPARE(boxes[0].text, message);
    QCOMPARE(int(m_session->frames().size()), 3);
    QCOMPARE(int(m_session->sim().plus().size()), 2);
    QCOMPARE(m_session->progress().values, QList<int>({ 0, 1 }));
    if (silentFrom) {
        // 500 ms settling, three exchanges of 100 ms, one second of silence.
        QVERIFY2(elapsed >= 1800 && elapsed < 3000, QByteArray::number(elapsed));
    }

    m_session->sim().setOptions(ScaleSimOptions());
    programAnyway(m_session->window(), m_session->table(), m_session->answerer());
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(int(m_session->sim().plus().size()), 4);
}

void ProgramTest::cancelDuringExchange()
{
    fillRows(4);
    m_session->cancelAtFrame(2);
    programAnyway(m_session->window(), m_session->table(), m_session->answerer());

    QVERIFY(m_session->answerer().boxes.isEmpty());
    QCOMPARE(int(m_session->frames().size()), 2);
    QCOMPARE(int(m_session->sim().plus().size()), 2);
    QCOMPARE(m_session->progress().values, QList<int>({ 0, 1 }));
    for (int row = 10; row < 14; ++row)     // every filled row was copied all the same
        QCOMPARE(plu[row].Number, qint16(row));
}

void ProgramTest::namesCannotShiftFields_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("stored");
    QTest::newRow("pasted TAB") << "a\tb" << "a b";
    QTest::newRow("line break") << "a\r\nb" << "a  b";
    QTest::newRow("characters the code page lacks")
        << QString::fromUcs4(U"Crème \U0001F34E Ω") << "Cr?me ? ?";
}

// Whatever a name holds, the frame keeps its eight fields: the scale stores
// the barcode and durability where they belong.
void ProgramTest::namesCannotShiftFields()
{
    QFETCH(QString, name);
    QFETCH(QString, stored);
    fill(4, { "1.50", name, "", "", "4600000000017", "10" });
    programAnyway(m_session->window(), m_session->table(), m_session->answerer());

    QVERIFY(m_session->answerer().boxes.isEmpty());
    const SimPlu plu = m_session->sim().plus().at(4);
    QCOMPARE(plu.name[0], stored);
    QCOMPARE(plu.barcode, QString("4600000000017"));
    QCOMPARE(plu.barType, 1);
    QCOMPARE(plu.durability, 10);
}

// A device path is a file name: it opens in the file system's encoding.
void ProgramTest::deviceNamedInCyrillic()
{
    QTemporaryDir folder;
    const QString link = folder.filePath("весы");
    QVERIFY(QFile::link(m_session->scale().deviceName(), link));
    m_session->window()->setDeviceName(link);
    fill(2, { "3.00" });
    programAnyway(m_session->window(), m_session->table(), m_session->answerer());
    QCOMPARE(m_session->answerer().texts(), QStringList());
    QVERIFY(m_session->sim().plus().count(2));
}

QTEST_MAIN(ProgramTest)
#include "tst_program.moc"
