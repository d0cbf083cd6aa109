// A scale that never runs out of PLUs: the read stops after 1000 requests.
// Every request after the first costs 200 ms of the read's own pauses, so
// this one test runs for about 200 seconds.

#include "scalesession.h"
#include "tarexa.h"
#include "testapp.h"

#include <QTest>

class ReadLimitTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { setUpTestApplication(); }
    void thousandRequestsAtMost();
};

void ReadLimitTest::thousandRequestsAtMost()
{
    ScaleSimOptions options;
    options.alwaysFound = true;
    ScaleSession session(options);
    QVERIFY2(session.start(), session.errorText().c_str());
    SimPlu p;
    p.number = 3;
    p.price = "1.00";
    session.sim().setPlus({ { 3, p } });

    session.trigger("&Read");

    QVERIFY(session.answerer().boxes.isEmpty());
    const QByteArray commands = session.commandBytes();
    QCOMPARE(commands.size(), 1000);
    QCOMPARE(commands.count('b'), 1);
    QCOMPARE(commands.at(0), 'b');
    QCOMPARE(session.rowTexts(3), QStringList({ "1.00", "", "", "", "", "0" }));
}

QTEST_MAIN(ReadLimitTest)
#include "tst_readlimit.moc"
