// The POSIX serial backend on a pseudo-terminal served by the simulated scale.

#include "comm.h"
#include "scalefixture.h"
#include "serial.h"

#include <QElapsedTimer>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <sstream>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// A second, plain descriptor on the device, opened before MSerial locks it,
// to look at the terminal's settings from outside.
class Observer
{
public:
    explicit Observer(const std::string &path) : m_fd(::open(path.c_str(), O_RDWR | O_NOCTTY)) {}
    ~Observer() { if (m_fd >= 0) ::close(m_fd); }
    bool isOpen() const { return m_fd >= 0; }
    termios settings() const
    {
        termios t;
        std::memset(&t, 0, sizeof t);
        tcgetattr(m_fd, &t);
        return t;
    }
    bool apply(const termios &t) { return tcsetattr(m_fd, TCSANOW, &t) == 0; }

private:
    int m_fd;
};

bool sameSettings(const termios &a, const termios &b)
{
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag
        && a.c_lflag == b.c_lflag && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0
        && cfgetispeed(&a) == cfgetispeed(&b) && cfgetospeed(&a) == cfgetospeed(&b);
}

bool writeFrame(MSerial &port, unsigned char cmd, const QString &data = QString())
{
    const QByteArray frame = WSerial::buildFrame(cmd, data);
    return port.WriteBytes(reinterpret_cast<const unsigned char *>(frame.constData()),
                           unsigned(frame.size())) == frame.size();
}

qint64 msToRead(MSerial &port, unsigned timeOut, unsigned *got = nullptr)
{
    unsigned char byte = 0;
    QElapsedTimer timer;
    timer.start();
    const unsigned n = port.ReadBytes(&byte, 1, timeOut);
    if (got)
        *got = n;
    return timer.elapsed();
}

} // namespace

class SerialTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void openSetsRawLine();
    void openMissingDevice();
    void configure_data();
    void configure();
    void configureFailureSaysWhy_data();
    void configureFailureSaysWhy();
    void exclusiveOpen();
    void settingsRestoredAfterClose();
    void readTimeOut();
    void readReturnsAsSoonAsComplete();
    void readEndsWhenDeviceGoes();
    void dryRun();
    void trace();

private:
    bool openPort();

    ScalePerTest m_scale;
    MSerial m_port;
    bool m_open = false;
};

void SerialTest::init()
{
    QVERIFY2(m_scale.start(), m_scale.errorText().c_str());
    m_port = MSerial();
    m_open = false;
}

void SerialTest::cleanup()
{
    if (m_open)
        m_port.CloseDevice();
    m_scale.stop();
}

bool SerialTest::openPort()
{
    m_open = m_port.OpenDevice(m_scale->devicePath().c_str());
    return m_open;
}

void SerialTest::openSetsRawLine()
{
    Observer observer(m_scale->devicePath());
    QVERIFY(openPort());
    const termios t = observer.settings();
    QCOMPARE(t.c_cflag & (CSIZE | CSTOPB | PARENB | CREAD | CLOCAL | CRTSCTS),
             tcflag_t(CS8 | CREAD | CLOCAL));
    QCOMPARE(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), tcflag_t(0));
    QCOMPARE(t.c_iflag & (IXON | IXOFF | ICRNL | INLCR | ISTRIP), tcflag_t(0));
    QCOMPARE(t.c_oflag & OPOST, tcflag_t(0));
    QCOMPARE(cfgetospeed(&t), speed_t(B19200));
    // A pseudo-terminal has no modem lines; that is not an error.
    bool cts = true, dcd = true;
    m_port.GetDeviceStatus(cts, dcd);
    QVERIFY(!cts && !dcd);
}

void SerialTest::openMissingDevice()
{
    m_port.theDevice = 1234;
    QVERIFY(!m_port.OpenDevice("/dev/no-such-tarexa-port"));
    QCOMPARE(m_port.LastError(), ENOENT);
    QCOMPARE(m_port.theDevice, 1234);
}

void SerialTest::configure_data()
{
    QTest::addColumn<uint>("baudRate");
    QTest::addColumn<int>("dataBits");
    QTest::addColumn<int>("stopBits");
    QTest::addColumn<int>("parity");
    QTest::addColumn<uint>("wantBaud");
    QTest::addColumn<int>("wantDataBits");
    QTest::addColumn<int>("wantStopBits");
    QTest::addColumn<int>("wantParity");

    QTest::newRow("scale 9600 8N1") << 9600u << 8 << 1 << 0 << 9600u << 8 << 1 << 0;
    QTest::newRow("14400 unknown") << 14400u << 8 << 1 << 0 << 19200u << 8 << 1 << 0;
    QTest::newRow("baud 0") << 0u << 8 << 1 << 0 << 19200u << 8 << 1 << 0;
    QTest::newRow("115200") << 115200u << 8 << 1 << 0 << 115200u << 8 << 1 << 0;
    QTest::newRow("300") << 300u << 8 << 1 << 0 << 300u << 8 << 1 << 0;
    QTest::newRow("7 data bits") << 9600u << 7 << 1 << 0 << 9600u << 7 << 1 << 0;
    QTest::newRow("5 data bits") << 9600u << 5 << 1 << 0 << 9600u << 8 << 1 << 0;
    QTest::newRow("6 data bits") << 9600u << 6 << 1 << 0 << 9600u << 8 << 1 << 0;
    QTest::newRow("2 stop bits") << 9600u << 8 << 2 << 0 << 9600u << 8 << 2 << 0;
    QTest::newRow("stop bits 0") << 9600u << 8 << 0 << 0 << 9600u << 8 << 1 << 0;
    QTest::newRow("stop bits 3") << 9600u << 8 << 3 << 0 << 9600u << 8 << 1 << 0;
    QTest::newRow("odd") << 9600u << 8 << 1 << 1 << 9600u << 8 << 1 << 1;
    QTest::newRow("even") << 9600u << 8 << 1 << 2 << 9600u << 8 << 1 << 2;
    QTest::newRow("parity 3") << 9600u << 8 << 1 << 3 << 9600u << 8 << 1 << 0;
    QTest::newRow("parity 4") << 9600u << 8 << 1 << 4 << 9600u << 8 << 1 << 0;
}

void SerialTest::configure()
{
    QFETCH(uint, baudRate);
    QFETCH(int, dataBits);
    QFETCH(int, stopBits);
    QFETCH(int, parity);
    QFETCH(uint, wantBaud);
    QFETCH(int, wantDataBits);
    QFETCH(int, wantStopBits);
    QFETCH(int, wantParity);

    Observer observer(m_scale->devicePath());
    QVERIFY(openPort());
    // Start from settings that every row changes in some way.
    QVERIFY(m_port.ConfigureDevice(57600, 7, 2, 1, false));
    QVERIFY(m_port.ConfigureDevice(baudRate, uint8_t(dataBits), uint8_t(stopBits),
                                   uint8_t(parity), false));

    const SerialLineSettings mapped = serialLineSettings(baudRate, uint8_t(dataBits),
                                                         uint8_t(stopBits), uint8_t(parity));
    QCOMPARE(mapped.baudRate, uint32_t(wantBaud));
    QCOMPARE(int(mapped.dataBits), wantDataBits);
    QCOMPARE(int(mapped.stopBits), wantStopBits);
    QCOMPARE(int(mapped.parity), wantParity);

    // A pseudo-terminal keeps speed and stop bits but always reports 8 data
    // bits without parity, so only those two can be read back from it.
    uint32_t baud = 0;
    uint8_t bits = 0, stops = 0, par = 9;
    m_port.GetDeviceConfiguration(baud, bits, stops, par);
    QCOMPARE(baud, uint32_t(wantBaud));
    QCOMPARE(int(stops), wantStopBits);
    const termios t = observer.settings();
    QCOMPARE(cfgetospeed(&t), cfgetispeed(&t));
    QCOMPARE(bool(t.c_cflag & CSTOPB), wantStopBits == 2);
    QCOMPARE(t.c_cflag & (CREAD | CLOCAL), tcflag_t(CREAD | CLOCAL));
}

void SerialTest::configureFailureSaysWhy_data()
{
    QTest::addColumn<QString>("path");      // empty: no descriptor at all
    QTest::addColumn<int>("error");
    QTest::newRow("not a terminal") << "/dev/null" << ENOTTY;
    QTest::newRow("no descriptor") << QString() << EBADF;
}

// The reason must be the configuring's own, not that of an earlier call.
void SerialTest::configureFailureSaysWhy()
{
    QFETCH(QString, path);
    QFETCH(int, error);
    QVERIFY(!m_port.OpenDevice("/dev/no-such-tarexa-port"));
    const int fd = path.isEmpty() ? -1 : ::open(path.toLocal8Bit().constData(), O_RDWR);
    QVERIFY(path.isEmpty() || fd >= 0);
    m_port.theDevice = fd;
    const bool configured = m_port.ConfigureDevice(9600, 8, 1, 0, false);
    const int lastError = m_port.LastError();
    if (fd >= 0)
        ::close(fd);
    QVERIFY(!configured);
    QCOMPARE(lastError, error);
}

void SerialTest::exclusiveOpen()
{
    Observer observer(m_scale->devicePath());
    QVERIFY(openPort());
    QVERIFY(m_port.ConfigureDevice(9600, 8, 1, 0, false));
    const termios held = observer.settings();

    MSerial second;
    QVERIFY(!second.OpenDevice(m_scale->devicePath().c_str()));
    QVERIFY2(second.LastError() == EBUSY || second.LastError() == EWOULDBLOCK,
             std::strerror(second.LastError()));
    QCOMPARE(second.theDevice, 0);
    QVERIFY(sameSettings(observer.settings(), held));

    m_port.CloseDevice();
    m_open = false;
    QVERIFY(second.OpenDevice(m_scale->devicePath().c_str()));
    second.CloseDevice();
}

void SerialTest::settingsRestoredAfterClose()
{
    Observer observer(m_scale->devicePath());
    QVERIFY(observer.isOpen());
    termios cooked = observer.settings();
    cooked.c_lflag |= ICANON | ECHO;
    cooked.c_iflag |= ICRNL | IXON;
    cooked.c_oflag |= OPOST | ONLCR;
    cooked.c_cflag = (cooked.c_cflag & ~CSIZE) | CS7 | PARENB | CREAD;
    cfsetispeed(&cooked, B38400);
    cfsetospeed(&cooked, B38400);
    QVERIFY(observer.apply(cooked));
    const termios before = observer.settings();

    QVERIFY(openPort());
    QVERIFY(m_port.ConfigureDevice(9600, 8, 1, 0, false));
    QVERIFY(m_port.ConfigureFlowControl(true));
    QVERIFY(!sameSettings(observer.settings(), before));
    m_port.CloseDevice();
    m_open = false;

    QVERIFY(sameSettings(observer.settings(), before));
}

void SerialTest::readTimeOut()
{
    QVERIFY(openPort());
    unsigned got = 1;
    const qint64 full = msToRead(m_port, 1000000, &got);
    QCOMPARE(got, 0u);
    QVERIFY2(full >= 995 && full < 1500, QByteArray::number(full));
    const qint64 tiny = msToRead(m_port, 1999, &got);
    QCOMPARE(got, 0u);
    QVERIFY2(tiny < 200, QByteArray::number(tiny));
}

void SerialTest::readReturnsAsSoonAsComplete()
{
    QVERIFY(openPort());
    QVERIFY(writeFrame(m_port, 'b'));
    unsigned char reply[16] = {};
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(m_port.ReadBytes(reply, 7, 5000000), 7u);
    QVERIFY2(timer.elapsed() < 2000, QByteArray::number(timer.elapsed()));
    QCOMPARE(reply[0], SOH);
    QCOMPARE(reply[6], ETX);
}

void SerialTest::readEndsWhenDeviceGoes()
{
    ScaleSimOptions options;
    options.vanishAt = 1;
    m_scale->sim().setOptions(options);
    QVERIFY(openPort());
    QVERIFY(writeFrame(m_port, 'b'));
    unsigned got = 1;
    const qint64 elapsed = msToRead(m_port, 5000000, &got);
    QCOMPARE(got, 0u);
    QVERIFY2(elapsed < 2500, QByteArray::number(elapsed));
}

void SerialTest::dryRun()
{
    QVERIFY(openPort());
    m_port.suppressWrite = true;
    const QByteArray frame = WSerial::buildFrame('b', QString());
    QCOMPARE(m_port.WriteBytes(reinterpret_cast<const unsigned char *>(frame.constData()),
                               unsigned(frame.size())), 0);

    // Reads still happen and FlushBytes keeps what is waiting.
    m_port.suppressWrite = false;
    QVERIFY(writeFrame(m_port, 'c'));
    QVERIFY(QTest::qWaitFor([&] { return m_port.ByteWaiting(0); }, 5000));
    m_port.suppressWrite = true;
    m_port.FlushBytes();
    unsigned char reply[16] = {};
    QCOMPARE(m_port.ReadBytes(reply, 7, 1000000), 7u);

    const auto frames = m_scale->sim().receivedFrames();
    QCOMPARE(int(frames.size()), 1);
    QCOMPARE(frames[0], WSerial::buildFrame('c', QString()));
}

void SerialTest::trace()
{
    QVERIFY(openPort());
    std::ostringstream trace;
    m_port.comm_debug = &trace;
    m_port.suppressWrite = true;
    const unsigned char ten[10] = { 0, 1, 2, 3, 4, 5, 6, 0x7f, 0x80, 0xff };
    QCOMPARE(m_port.WriteBytes(ten, 10), 0);
    QCOMPARE(QString::fromStdString(trace.str()),
             QString(" O-0x00 O-0x01 O-0x02 O-0x03 O-0x04 O-0x05 O-0x06 O-0x7f\n"
                     " O-0x80 O-0xff"));

    // A reply's first byte closes the line of the command before it.
    trace.str(std::string());
    m_port.comm_debug_count = 0;
    m_port.suppressWrite = false;
    QVERIFY(writeFrame(m_port, 'b'));
    m_port.sendCommand = true;
    unsigned char reply[16] = {};
    QCOMPARE(m_port.ReadBytes(reply, 7, 1000000), 7u);
    QCOMPARE(QString::fromStdString(trace.str()),
             QString(" O-0x01 O-0x62 O-0x30 O-0x30 O-0x3c O-0x32 O-0x03 I-0x01\n"
                     " I-0x31 I-0x30 I-0x30 I-0x39 I-0x31 I-0x03"));
    QVERIFY(!m_port.sendCommand);
}

QTEST_GUILESS_MAIN(SerialTest)
#include "tst_serial.moc"
