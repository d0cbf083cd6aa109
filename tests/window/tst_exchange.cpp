// One scale exchange through the real serial backend, against the simulated
// scale, and the guard that opens the port for a scale command.

#include "comm.h"
#include "cp1251.h"
#include "modalanswerer.h"
#include "scalefixture.h"
#include "outcomeboxes.h"
#include "tarexa.h"

#include <QElapsedTimer>
#include <QTemporaryFile>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <memory>
#include <sstream>

#include <grp.h>
#include <unistd.h>

namespace {

const QString Row5 = "5\t1.50\tabc\t\t\t0000000000000\t0\t10\t";

// The line's own waits, but another bound on the whole reply.
LineTiming boundedTo(int boundMs)
{
    LineTiming timing;
    timing.replyBoundMs = boundMs;
    return timing;
}

} // namespace

class ExchangeTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void synBeforeReply();
    void gapsBelowASecond();
    void silentScale();
    void scaleThatVanishes();
    void endlessSynIsBounded();
    void boundPassesMidWait_data();
    void boundPassesMidWait();
    void limitZero();
    void overlongReplyIsCut_data();
    void overlongReplyIsCut();
    void pacedLineCostsItsBytes();
    void guardOpensAndCloses();
    void guardReportsOpenFailure();
    void openFailureDetailsNameTheGroup();

private:
    ScalePerTest m_scale;
    ScaleLine m_line;
};

void ExchangeTest::init()
{
    QVERIFY2(m_scale.start(), m_scale.errorText().c_str());
    QVERIFY(m_line.openOn(*m_scale));
}

void ExchangeTest::cleanup()
{
    m_line.close();
    m_scale.stop();
}

void ExchangeTest::synBeforeReply()
{
    ScaleSimOptions options;
    options.synBeforeReply = 3;
    m_scale->sim().setOptions(options);
    const ScaleReply reply = scaleExchange(m_line.port, 'A', Row5, 7);
    QVERIFY(reply.ok);
    QCOMPARE(reply.bytes, WSerial::buildFrame('0', QString()).left(6)); // the limit cut the ETX
}

void ExchangeTest::gapsBelowASecond()
{
    ScaleSimOptions options;
    options.gapMs = 60;
    options.synBeforeReply = 2;
    m_scale->sim().setOptions(options);
    const ScaleReply slow = scaleExchange(m_line.port, 'b');
    QVERIFY(slow.ok);       // gaps below 1000 ms, all well within the 10 s bound
    QCOMPARE(slow.bytes, WSerial::buildFrame('1', QString()));
    m_line.port.setTiming(boundedTo(300));
    QVERIFY(!scaleExchange(m_line.port, 'b').ok);   // 9 bytes: over 300 ms
}

void ExchangeTest::silentScale()
{
    ScaleSimOptions options;
    options.silentFrom = 1;
    m_scale->sim().setOptions(options);
    QElapsedTimer timer;
    timer.start();
    const ScaleReply reply = scaleExchange(m_line.port, 'b');
    const qint64 elapsed = timer.elapsed();
    QVERIFY(!reply.ok);
    QVERIFY(reply.bytes.isEmpty());
    QVERIFY2(elapsed >= 1090 && elapsed < 1700, QByteArray::number(elapsed));
}

void ExchangeTest::scaleThatVanishes()
{
    ScaleSimOptions options;
    options.vanishAt = 2;
    m_scale->sim().setOptions(options);
    QVERIFY(scaleExchange(m_line.port, 'b').ok);
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!scaleExchange(m_line.port, 'b').ok);
    QVERIFY2(timer.elapsed() < 900, QByteArray::number(timer.elapsed()));
}

void ExchangeTest::endlessSynIsBounded()
{
    ScaleSimOptions options;
    options.synBeforeReply = 100000;
    options.gapMs = 20;
    m_scale->sim().setOptions(options);
    QElapsedTimer timer;
    timer.start();
    m_line.port.setTiming(boundedTo(400));
    const ScaleReply reply = scaleExchange(m_line.port, 'b');
    const qint64 elapsed = timer.elapsed();
    QVERIFY(!reply.ok);
    QVERIFY(reply.bytes.isEmpty());
    QVERIFY2(elapsed >= 490 && elapsed < 1400, QByteArray::number(elapsed));
    QCOMPARE(LineTiming().replyBoundMs, 10000);
}

void ExchangeTest::boundPassesMidWait_data()
{
    QTest::addColumn<int>("syn");
    QTest::addColumn<int>("gapMs");
    QTest::addColumn<int>("gapAfter");
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("boundMs");
    // A SYN every half millisecond for a second: the bound passes while
    // one is awaited, and that one comes just after it.
    QTest::newRow("SYN stream across the bound") << 2000 << 0 << 0 << 19200 << 300;
    QTest::newRow("SYN stream with gaps") << 1000 << 70 << 0 << 0 << 300;
    // One SYN, then a long silence that outlasts the bound.
    QTest::newRow("SYN, then silence") << 1 << 3000 << 1 << 0 << 300;
}

// Once the exchange's bound has passed, even in the middle of waiting for
// a byte, the exchange ends; it never waits on with a wrapped-around time.
void ExchangeTest::boundPassesMidWait()
{
    QFETCH(int, syn);
    QFETCH(int, gapMs);
    QFETCH(int, gapAfter);
    QFETCH(int, baud);
    QFETCH(int, boundMs);
    ScaleSimOptions options;
    options.baud = baud;
    options.synBeforeReply = syn;
    options.gapMs = gapMs;
    options.gapAfter = gapAfter;
    m_scale->sim().setOptions(options);
    QElapsedTimer timer;
    timer.start();
    m_line.port.setTiming(boundedTo(boundMs));
    const ScaleReply reply = scaleExchange(m_line.port, 'b');
    const qint64 elapsed = timer.elapsed();
    QVERIFY(!reply.ok);
    QVERIFY2(elapsed < boundMs + 900, QByteArray::number(elapsed));
}

void ExchangeTest::limitZero()
{
    std::ostringstream trace;
    m_line.port.comm_debug = &trace;
    ReplyBuffer buffer{};
    QElapsedTimer timer;
    timer.start();
    QVERIFY(m_line.port.sendScaleCmd('b', QString(), buffer, 0));
    QVERIFY(timer.elapsed() >= 99);
    QCOMPARE(QString::fromStdString(trace.str()),
             QString(" O-0x01 O-0x62 O-0x30 O-0x30 O-0x3c O-0x32 O-0x03"));
    QCOMPARE(buffer[0], static_cast<unsigned char>(0));
}

void ExchangeTest::overlongReplyIsCut_data()
{
    QTest::addColumn<int>("limit");
    QTest::addColumn<int>("overlongBy");
    QTest::addColumn<bool>("taken");

    QTest::newRow("cut at its limit, taken as it stands") << 200 << 400 << true;
    // Asked for more than the reply buffer holds: the reply is cut at the
    // buffer's end, and a reply that did not fit is not understood.
    QTest::newRow("longer than the buffer") << 1000 << 600 << false;
}

void ExchangeTest::overlongReplyIsCut()
{
    QFETCH(int, limit);
    QFETCH(int, overlongBy);
    QFETCH(bool, taken);

    QCOMPARE(scaleExchange(m_line.port, 'A', Row5, 7).status(), '0');
    ScaleSimOptions options;
    options.overlongBy = overlongBy;
    m_scale->sim().setOptions(options);
    const ScaleReply cut = scaleExchange(m_line.port, 'b', QString(), limit);
    QCOMPARE(cut.understood(), taken);
    if (taken) {
        QCOMPARE(cut.bytes.size(), limit);
        QCOMPARE(cut.status(), '0');
        QCOMPARE(cut.bytes.mid(4, Row5.size()), Row5.toLatin1());
    }

    // The purge dropped the rest: the next reply starts clean.
    m_scale->sim().setOptions(ScaleSimOptions());
    QCOMPARE(scaleExchange(m_line.port, 'c').bytes, WSerial::buildFrame('1', QString()));
}

void ExchangeTest::pacedLineCostsItsBytes()
{
    ScaleSimOptions options;
    options.baud = 9600;
    m_scale->sim().setOptions(options);
    const QString data = QString(200, 'x');
    QElapsedTimer timer;
    timer.start();
    const ScaleReply reply = scaleExchange(m_line.port, 'A', data, 7);
    const qint64 elapsed = timer.elapsed();
    QVERIFY(reply.ok);
    // 207 command bytes and 7 reply bytes at about 1.04 ms each, then 100 ms.
    QVERIFY2(elapsed >= 100 + 214 * 10000 / 9600 - 5, QByteArray::number(elapsed));
}

void ExchangeTest::guardOpensAndCloses()
{
    m_line.close();
    ModalAnswerer answerer;
    {
        ScalePort guard(m_scale->deviceName());
        QVERIFY(guard.isOpen());
        uint32_t baud = 0;
        uint8_t bits = 0, stops = 0, parity = 9;
        guard.port().GetDeviceConfiguration(baud, bits, stops, parity);
        QCOMPARE(baud, uint32_t(9600));
        QCOMPARE(int(stops), 1);
        QCOMPARE(int(parity), 0);
        QVERIFY(scaleExchange(guard.port(), 'b').ok);
        ScalePort second(m_scale->deviceName());  // the port is held
        QVERIFY(!second.isOpen());
        QCOMPARE(second.failure().kind, PortFailure::CannotOpen);
        showPortFailure(nullptr, m_scale->deviceName(), second.failure());
    }
    QCOMPARE(answerer.texts(), QStringList("Could not open communication device "
                                           + m_scale->deviceName() + "."));
    ScalePort again(m_scale->deviceName());
    QVERIFY(again.isOpen());
}

void ExchangeTest::guardReportsOpenFailure()
{
    ModalAnswerer answerer;
    const QString name = QString("ttyNoSuchPortЖ");
    {
        ScalePort guard(name);
        QVERIFY(!guard.isOpen());
        QCOMPARE(guard.failure().error, ENOENT);
        showPortFailure(nullptr, name, guard.failure());
    }
    QCOMPARE(answerer.boxes.size(), 1);
    QCOMPARE(answerer.boxes[0].icon, QMessageBox::Critical);
    QCOMPARE(answerer.boxes[0].title, QString("Error"));
    QCOMPARE(answerer.boxes[0].text, "Could not open communication device " + name + ".");
    QCOMPARE(answerer.boxes[0].detailedText,
             "/dev/" + name + ": " + QString::fromLocal8Bit(std::strerror(ENOENT)));
}

// The usual first-day problem: a USB adapter owned by a group the user is
// not in. The details name that group; other failures give only the reason.
void ExchangeTest::openFailureDetailsNameTheGroup()
{
    const group *dialout = getgrnam("dialout");
    if (!dialout)
        QSKIP("this machine has no dialout group");
    QTemporaryFile device;
    QVERIFY(device.open());
    QCOMPARE(::chown(device.fileName().toLocal8Bit().constData(), uid_t(-1), dialout->gr_gid), 0);

    const QString denied = openFailureDetails(QFile::encodeName(device.fileName()).toStdString(), EACCES);
    QVERIFY2(denied.startsWith(device.fileName() + ": "
                               + QString::fromLocal8Bit(std::strerror(EACCES))), qPrintable(denied));
    QVERIFY2(denied.contains("\"dialout\"") && denied.contains("usermod -a -G dialout"),
             qPrintable(denied));

    const QString missing = openFailureDetails("/dev/ttyUSB77", ENOENT);
    QCOMPARE(missing, "/dev/ttyUSB77: " + QString::fromLocal8Bit(std::strerror(ENOENT)));
}

QTEST_MAIN(ExchangeTest)
#include "tst_exchange.moc"
