// Deleting the marked rows' PLUs in the simulated scale through the real
// serial backend on a pseudo-terminal.

#include "scalesession.h"
#include "tarexa.h"
#include "testapp.h"

#include <QElapsedTimer>
#include <QTableWidget>
#include <QTest>

#include <memory>

namespace {

std::map<int, SimPlu> simPlus(const QList<int> &numbers)
{
    std::map<int, SimPlu> plus;
    for (int n : numbers) {
        plus[n].number = n;
        plus[n].price = "1.00";
    }
    return plus;
}

QList<int> numbers(const std::map<int, SimPlu> &plus)
{
    QList<int> result;
    for (const auto &entry : plus)
        result << entry.first;
    return result;
}

} // namespace

class DeleteTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { setUpTestApplication(); }
    void init();
    void cleanup();

    void deletesMarkedRows();
    void noMarks();
    void noScale();
    void failures_data();
    void failures();
    void cancelDuringExchange();

private:
    void start(const ScaleSimOptions &options = ScaleSimOptions());
    void mark(const QList<int> &rows);

    std::unique_ptr<ScaleSession> m_session;
};

void DeleteTest::init()
{
    start();
}

void DeleteTest::cleanup()
{
    m_session.reset();
}

void DeleteTest::start(const ScaleSimOptions &options)
{
    m_session.reset(new ScaleSession(options));
    QVERIFY2(m_session->start(), m_session->errorText().c_str());
    m_session->sim().setPlus(simPlus({ 3, 5, 10, 20 }));
}

void DeleteTest::mark(const QList<int> &rows)
{
    for (int row : rows)
        m_session->clickCell(row, 6);
}

void DeleteTest::deletesMarkedRows()
{
    typeInto(m_session->table(), 10, 0, "4.00");
    mark({ 10, 3 });    // row 3 holds nothing in the table: marked all the same
    const bool modified = m_session->window()->isTableModified();

    m_session->trigger("&Delete");

    QVERIFY(m_session->answerer().boxes.isEmpty());
    const auto frames = m_session->frames();
    QCOMPARE(int(frames.size()), 2);
    QCOMPARE(frames[0], QByteArray::fromHex("01 42 30 32 33 09 3E 30 03"));
    QCOMPARE(frames[1], WSerial::buildFrame('B', "10\t"));
    QCOMPARE(numbers(m_session->sim().plus()), QList<int>({ 5, 20 }));

    // The document is left as it was, marks included.
    QCOMPARE(cellText(m_session->table(), 10, 0), QString("4.00"));
    QCOMPARE(cellText(m_session->table(), 3, 6), QString("SEL"));
    QCOMPARE(cellText(m_session->table(), 10, 6), QString("SEL"));
    QCOMPARE(m_session->window()->isTableModified(), modified);

    const SeenProgress &progress = m_session->progress();
    QVERIFY(progress.seen);
    QCOMPARE(progress.label, QString("Deleting.."));
    QCOMPARE(progress.cancelText, QString("Cancel"));
    QCOMPARE(progress.minimum, 0);
    QCOMPARE(progress.maximum, 999);
    QCOMPARE(progress.minimumDuration, 4000);  // the toolkit's default
    QVERIFY(!progress.modal);
    QCOMPARE(progress.modality, Qt::NonModal);
    QVERIFY(progress.overWindow);
    QCOMPARE(progress.values.last(), 998);
}

void DeleteTest::noMarks()
{
    m_session->trigger("&Delete");
    QVERIFY(m_session->answerer().boxes.isEmpty());
    QVERIFY(m_session->frames().empty());
}

void DeleteTest::noScale()
{
    m_session->window()->setDeviceName("/nonexistent/ttyTarexa");
    m_session->trigger("&Delete");
    QCOMPARE(m_session->answerer().texts(),
             QStringList("Could not open communication device /nonexistent/ttyTarexa."));
}

void DeleteTest::failures_data()
{
    QTest::addColumn<int>("refuseAt");
    QTest::addColumn<int>("silentFrom");
    QTest::addColumn<QString>("message");

    QTest::newRow("first refused") << 1 << 0 << "Bad data format.";
    QTest::newRow("silent") << 0 << 1 << "Communication error.";
}

// The first of two marked rows fails: the second is not sent, and the port
// is closed, so deleting again works.
void DeleteTest::failures()
{
    QFETCH(int, refuseAt);
    QFETCH(int, silentFrom);
    QFETCH(QString, message);
    ScaleSimOptions options;
    options.refuseAt = refuseAt;
    options.silentFrom = silentFrom;
    start(options);
    mark({ 3, 10 });

    QElapsedTimer timer;
    timer.start();
    m_session->trigger("&Delete");
    const qint64 elapsed = timer.elapsed();

    const auto &boxes = m_session->answerer().boxes;
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].icon, QMessageBox::Critical);
    QCOMPARE(boxes[0].title, QString("Error"));
    QCOMPARE(boxes[0].text, message);
    QCOMPARE(int(m_session->frames().size()), 1);
    QCOMPARE(numbers(m_session->sim().plus()), QList<int>({ 3, 5, 10, 20 }));
    if (silentFrom)
        QVERIFY2(elapsed >= 1100 && elapsed < 2000, QByteArray::number(elapsed));

    m_session->sim().setOptions(ScaleSimOptions());
    m_session->trigger("&Delete");
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(numbers(m_session->sim().plus()), QList<int>({ 5, 20 }));
}

void DeleteTest::cancelDuringExchange()
{
    mark({ 3, 10, 20 });
    m_session->cancelAtFrame(1);
    m_session->trigger("&Delete");

    QVERIFY(m_session->answerer().boxes.isEmpty());
    QCOMPARE(int(m_session->frames().size()), 1);
    QCOMPARE(numbers(m_session->sim().plus()), QList<int>({ 5, 10, 20 }));
}

QTEST_MAIN(DeleteTest)
#include "tst_delete.moc"
