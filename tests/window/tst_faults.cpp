// The scale misbehaving on the line: each fault ends the command with the
// message the user is owed, the port closed, and a window that still works.
#include "scalesession.h"
#include "tarexa.h"
#include "testapp.h"

#include <QElapsedTimer>
#include <QTableWidget>
#include <QTest>

#include <memory>

namespace {

enum Command { Program, Read };

} // namespace

Q_DECLARE_METATYPE(ScaleSimOptions)

class FaultsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { setUpTestApplication(); }
    void cleanup() { m_session.reset(); }

    void faults_data();
    void faults();
    void deviceVanishesMidTransfer();

private:
    void start(const ScaleSimOptions &options);
    void fillThreeRows();
    void storeThreePlus();
    void checkWindowStillWorks();

    std::unique_ptr<ScaleSession> m_session;
};

void FaultsTest::start(const ScaleSimOptions &options)
{
    m_session.reset(new ScaleSession(options));
    QVERIFY2(m_session->start(), m_session->errorText().c_str());
}

void FaultsTest::fillThreeRows()
{
    for (int row : { 3, 4, 9 })
        typeInto(m_session->table(), row, 0, QString::number(row) + ".25");
}

void FaultsTest::storeThreePlus()
{
    std::map<int, SimPlu> plus;
    for (int n : { 3, 4, 9 }) {
        SimPlu p;
        p.number = n;
        p.price = QString::number(n) + ".25";
        p.name[0] = "PLU " + QString::number(n);
        plus[n] = p;
    }
    m_session->sim().setPlus(plus);
}

// A fault must not leave the program in a state the next command suffers
// from: with the scale behaving again, programming works at once.
void FaultsTest::checkWindowStillWorks()
{
    // A reply given up on may still be on its way: let it end first.
    const int received = int(m_session->frames().size());
    QVERIFY(QTest::qWaitFor([&] { return m_session->sim().repliesFinished() >= received; }, 3000));
    m_session->sim().setOptions(ScaleSimOptions());
    const int boxesBefore = int(m_session->answerer().boxes.size());
    const size_t framesBefore = m_session->frames().size();
    typeInto(m_session->table(), 20, 0, "1.00");
    programAnyway(m_session->window(), m_session->table(), m_session->answerer());
    QCOMPARE(int(m_session->answerer().boxes.size()), boxesBefore);
    QVERIFY(m_session->frames().size() > framesBefore);
    QVERIFY(m_session->sim().plus().count(20));
}

// One fault for each message box a fault can end in, or for none; the
// engine's own tests run every fault of the line, and what each ends as.
void FaultsTest::faults_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<ScaleSimOptions>("options");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<int>("storedOrRead");   // PLUs in the scale, or rows read

    ScaleSimOptions overlong;
    overlong.overlongBy = 400;
    QTest::newRow("reply longer than its limit") << int(Read) << overlong << QStringList() << 3;

    ScaleSimOptions garbage;
    garbage.garbageBeforeReply = 6;
    QTest::newRow("garbage before SOH, read") << int(Read) << garbage
                                              << QStringList("Communication error.") << 0;

    ScaleSimOptions lastRefused;
    lastRefused.refuseAt = 3;
    QTest::newRow("last PLU refused") << int(Program) << lastRefused
                                      << QStringList("Bad data format.") << 2;
}

void FaultsTest::faults()
{
    QFETCH(int, command);
    QFETCH(ScaleSimOptions, options);
    QFETCH(QStringList, messages);
    QFETCH(int, storedOrRead);

    start(options);
    const std::string device = m_session->scale().devicePath();
    const int baseline = descriptorsOn(device);
    if (command == Program) {
        fillThreeRows();
        programAnyway(m_session->window(), m_session->table(), m_session->answerer());
    } else {
        storeThreePlus();
        m_session->trigger("&Read");
    }

    QCOMPARE(m_session->answerer().texts(), messages);
    QCOMPARE(descriptorsOn(device), baseline);
    if (command == Program) {
        QCOMPARE(int(m_session->sim().plus().size()), storedOrRead);
    } else {
        int rows = 0;
        for (int row = 0; row < PLU_COUNT; ++row)
            rows += m_session->isEmptyRow(row) ? 0 : 1;
        QCOMPARE(rows, storedOrRead);
        if (rows)
            QCOMPARE(m_session->rowTexts(9).mid(0, 2), QStringList({ "9.25", "PLU 9" }));
    }
    checkWindowStillWorks();
}

// The simulator closes its side of the line in the middle of programming:
// every read fails at once, and the command must give up promptly rather
// than spin or hang.
void FaultsTest::deviceVanishesMidTransfer()
{
    ScaleSimOptions vanish;
    vanish.vanishAt = 2;
    start(vanish);
    fillThreeRows();

    QElapsedTimer timer;
    timer.start();
    programAnyway(m_session->window(), m_session->table(), m_session->answerer());
    QVERIFY2(timer.elapsed() < 2500, QByteArray::number(timer.elapsed()));

    QCOMPARE(m_session->answerer().texts(), QStringList("Communication error."));
    QCOMPARE(int(m_session->sim().plus().size()), 1);
    QCOMPARE(descriptorsOn(m_session->scale().devicePath()), 0);

    // Still a working window: a value is held to its rule and refused.
    typeInto(m_session->table(), 30, 5, "256");
    QCOMPARE(m_session->answerer().texts().last(), QString("The value must be in range [0 - 255]"));
    programAnyway(m_session->window(), m_session->table(), m_session->answerer());
    QCOMPARE(m_session->answerer().texts().last().left(35), QString("Could not open communication device"));
}

QTEST_MAIN(FaultsTest)
#include "tst_faults.moc"
