// Scales on the network: raw TCP and RFC 2217 through Debian's ser2net in
// front of the simulated scale's pseudo-terminal, compared byte for byte
// with the same commands on the local device; the server's port as the
// negotiation leaves it; the faults of a network; three network scales side
// by side; and the addresses a scale may be given.

#include "allscales.h"
#include "net_socket.h"
#include "plutable.h"
#include "scalefixture.h"
#include "scalelist.h"
#include "scalestore.h"
#include "ser2netfixture.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <memory>
#include <thread>

#include <arpa/inet.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

namespace {

class SilentProgress : public ScaleProgress
{
public:
    void setValue(int) override {}
    bool cancelled() override { return false; }
};

class SilentScalesProgress : public ScalesProgress
{
public:
    void setValue(int, int) override {}
    bool cancelled() override { return false; }
};

// Names with "я", byte 0xFF in Windows-1251, which Telnet must double.
PluTable shopTable()
{
    PluTable table;
    const QStringList names = { "Мясо пряное", "Яблоки", "Клюква", "Сыр \"Ярославский\"" };
    for (int row = 1; row <= names.size(); ++row) {
        table.setText(row, PriceColumn, QString::number(row) + ".50");
        table.setText(row, Name1Column, names.at(row - 1));
        table.setText(row, Name2Column, "вкусно и я");
    }
    return table;
}

// One of each command, as a shop would run them: program the table, read
// it back, delete row 2, then Program Changes of a new price for row 3.
// Returns the names read back.
QStringList runEveryCommand(const QString &device, const QString &storePath)
{
    SilentProgress progress;
    PluTable table = shopTable();
    QStringList namesRead;
    if (!programPlus(device, table, progress, quickTiming()).succeeded())
        return { "program failed" };
    QList<PLU_STRING> plus;
    if (!readPlus(device, plus, progress, quickTiming()).succeeded())
        return { "read failed" };
    for (const PLU_STRING &plu : plus)
        namesRead << plu.Name[0] + "|" + plu.Name[1];
    if (!deletePlus(device, [](int row) { return row == 2; }, progress, quickTiming()).succeeded())
        return { "delete failed" };
    ScaleStore store(storePath);
    PLU_STRING deleted = table.row(2);
    if (!store.replaceSnapshot(device, { table.row(1), table.row(3), table.row(4) }))
        return { "no record" };
    table.setText(3, PriceColumn, "9.99");
    table.setText(2, PriceColumn, QString());
    const std::optional<QList<ScalePlan>> plans = planChanges(table, { { "Shop", device } }, store);
    SilentScalesProgress scalesProgress;
    const QList<ScaleResult> results =
        programChangesToScales(table, *plans, "shop.xml", scalesProgress, storePath, quickTiming());
    if (results.size() != 1 || !results.first().succeeded() || results.first().outcome.accepted != 1)
        return { "program changes failed" };
    return namesRead;
}

// The pseudo-terminal's line settings, through a descriptor of the test's own.
bool lineSettingsOf(const std::string &path, termios &t)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    const bool ok = fd >= 0 && tcgetattr(fd, &t) == 0;
    if (fd >= 0)
        ::close(fd);
    return ok;
}

// A server that takes connections (the kernel does, into its backlog) and
// never says a word.
class SilentServer
{
public:
    SilentServer()
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (::bind(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0
            && ::listen(m_fd, 8) == 0
            && getsockname(m_fd, reinterpret_cast<sockaddr *>(&address), &size) == 0)
            m_port = ntohs(address.sin_port);
    }
    ~SilentServer() { ::close(m_fd); }
    int port() const { return m_port; }
    int descriptor() const { return m_fd; }

private:
    int m_fd = -1;
    int m_port = 0;
};

// A server that takes one connection and, instead of agreeing to anything,
// starts a Telnet subnegotiation that never ends, as fast as the line
// takes it, until the client goes.
class FloodingServer
{
public:
    FloodingServer()
        : m_listening(), m_port(m_listening.port())
    {
        m_thread = std::thread([this] { flood(); });
    }
    ~FloodingServer()
    {
        ::shutdown(m_listening.descriptor(), SHUT_RDWR);
        m_thread.join();
    }
    int port() const { return m_port; }

private:
    void flood()
    {
        const int client = ::accept(m_listening.descriptor(), nullptr, nullptr);
        if (client < 0)
            return;
        const std::string start = "\xff\xfa\x2c";
        const std::string endless(4096, 'x');
        bool sending = ::send(client, start.data(), start.size(), MSG_NOSIGNAL) > 0;
        while (sending)
            sending = ::send(client, endless.data(), endless.size(), MSG_NOSIGNAL) > 0;
        ::close(client);
    }

    SilentServer m_listening;
    int m_port;
    std::thread m_thread;
};

} // namespace

class NetworkTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void addresses_data();
    void addresses();
    void malformedAddressesRefused_data();
    void malformedAddressesRefused();

    void commandsAsOnTheLocalDevice_data();
    void commandsAsOnTheLocalDevice();
    void copyInThePauseIsPurged_data();
    void copyInThePauseIsPurged();
    void negotiationSetsTheServersPort();
    void oneAddressOneProcessAtATime();
    void lockNameTakenByAnotherUser();
    void faults_data();
    void faults();
    void serverStopsMidTransfer_data();
    void serverStopsMidTransfer();
    void threeNetworkScalesSideBySide();

private:
    QString storePath() const { return m_dir->filePath("scales.sqlite"); }
    // ser2net in front of the scale, living until the test function ends.
    Ser2netFixture &serverFor(ScaleFixture &scale);

    std::unique_ptr<QTemporaryDir> m_dir;
    ScalePerTest m_scale;
    std::vector<std::unique_ptr<ScaleFixture>> m_moreScales;
    std::vector<std::unique_ptr<Ser2netFixture>> m_servers;
};

void NetworkTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY2(m_scale.start(), m_scale.errorText().c_str());
}

void NetworkTest::cleanup()
{
    m_servers.clear();
    m_moreScales.clear();
    m_scale.stop();
}

Ser2netFixture &NetworkTest::serverFor(ScaleFixture &scale)
{
    m_servers.push_back(std::make_unique<Ser2netFixture>(scale.devicePath()));
    if (!m_servers.back()->start())
        QTest::qFail(m_servers.back()->errorText().c_str(), __FILE__, __LINE__);
    return *m_servers.back();
}

void NetworkTest::addresses_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("problem");
    QTest::addColumn<QString>("identity");

    QTest::newRow("raw") << "tcp://Scale-1.Shop.lan:4001" << int(SerialNetworkAddress::Fine)
                         << "tcp://scale-1.shop.lan:4001";
    QTest::newRow("rfc2217, scheme in capitals") << "RFC2217://10.0.0.7:04001"
                                                 << int(SerialNetworkAddress::Fine)
                                                 << "rfc2217://10.0.0.7:4001";
    QTest::newRow("IPv6") << "tcp://[FD00::5]:2000" << int(SerialNetworkAddress::Fine)
                          << "tcp://[fd00::5]:2000";
    QTest::newRow("no port") << "tcp://scale" << int(SerialNetworkAddress::NoPort)
                             << "tcp://scale";
    QTest::newRow("empty port") << "tcp://scale:" << int(SerialNetworkAddress::NoPort)
                                << "tcp://scale:";
    QTest::newRow("port 0") << "tcp://scale:0" << int(SerialNetworkAddress::BadPort)
                            << "tcp://scale:0";
    QTest::newRow("port 65536") << "rfc2217://scale:65536" << int(SerialNetworkAddress::BadPort)
                                << "rfc2217://scale:65536";
    QTest::newRow("port not a number") << "tcp://scale:telnet" << int(SerialNetworkAddress::BadPort)
                                       << "tcp://scale:telnet";
    QTest::newRow("no host") << "tcp://:4001" << int(SerialNetworkAddress::NoHost)
                             << "tcp://:4001";
    QTest::newRow("IPv6 without brackets") << "tcp://fd00::5:4001"
                                           << int(SerialNetworkAddress::BadHost)
                                           << "tcp://fd00::5:4001";
    QTest::newRow("local port") << "ttyUSB0" << int(SerialNetworkAddress::NotNetwork)
                                << "/dev/ttyUSB0";
}

void NetworkTest::addresses()
{
    QFETCH(QString, name);
    QFETCH(int, problem);
    QCOMPARE(int(serialNetworkAddress(name.toStdString()).problem), problem);
    if (problem != int(SerialNetworkAddress::NotNetwork))
        QTEST(portIdentity(name), "identity");
}

void NetworkTest::malformedAddressesRefused_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("refusal");

    QTest::newRow("sound") << "rfc2217://Shop-Server:4001" << QString();
    QTest::newRow("missing port")
        << "tcp://shop-server"
        << "tcp://shop-server has no port number. Write the address as tcp://HOST:PORT or "
           "rfc2217://HOST:PORT, with the port the device server listens on.";
    QTest::newRow("port out of range")
        << "rfc2217://shop-server:70000"
        << "The port number of rfc2217://shop-server:70000 must be a number from 1 to 65535.";
    QTest::newRow("no host")
        << "tcp://:4001"
        << "tcp://:4001 names no host Tarexa can reach. Write the address as tcp://HOST:PORT or "
           "rfc2217://HOST:PORT, with an IPv6 address in brackets, such as tcp://[fd00::5]:4001.";
}

// The Scales dialog and tarexa-cli scales add both go through the list.
void NetworkTest::malformedAddressesRefused()
{
    QFETCH(QString, device);
    ScaleList list;
    QTEST(list.add("Deli", device), "refusal");
    QTEST(list.setDevice(list.current().name, device), "refusal");
}

void NetworkTest::commandsAsOnTheLocalDevice_data()
{
    QTest::addColumn<bool>("telnet");
    QTest::newRow("tcp://") << false;
    QTest::newRow("rfc2217://") << true;
}

void NetworkTest::commandsAsOnTheLocalDevice()
{
    QFETCH(bool, telnet);
    const QStringList localNames = runEveryCommand(m_scale->deviceName(), storePath());
    const std::vector<QByteArray> localFrames = m_scale->sim().receivedFrames();
    const std::map<int, SimPlu> localHeld = m_scale->sim().plus();
    QVERIFY(localNames.join(' ').contains("Мясо пряное|вкусно и я"));

    QVERIFY2(m_scale.start(), m_scale.errorText().c_str());
    Ser2netFixture &server = serverFor(*m_scale);
    const QString address = telnet ? server.telnetAddress() : server.rawAddress();
    QCOMPARE(runEveryCommand(address, storePath()), localNames);
    QCOMPARE(m_scale->sim().receivedFrames(), localFrames);
    const std::map<int, SimPlu> held = m_scale->sim().plus();
    QCOMPARE(held.size(), localHeld.size());
    for (const auto &plu : held)
        QCOMPARE(plu.second.dataText(), localHeld.at(plu.first).dataText());
}

void NetworkTest::copyInThePauseIsPurged_data()
{
    commandsAsOnTheLocalDevice_data();
}

// The scale sends every reply again while the line rests between two
// exchanges. The purge before each frame drops the copy, on the server and
// on the way, so each request of a read gets its own PLU: without it the
// copy would be taken for the next reply, and the next PLU would follow it
// as a second reply.
void NetworkTest::copyInThePauseIsPurged()
{
    QFETCH(bool, telnet);
    ScaleSimOptions repeating;
    repeating.repeatAfterMs = 150;
    m_scale->sim().setOptions(repeating);
    std::map<int, SimPlu> held;
    for (int number : { 4, 7, 9 }) {
        SimPlu p;
        p.number = number;
        p.price = "1.25";
        p.name[0] = "Яблоки " + QString::number(number);
        held[number] = p;
    }
    m_scale->sim().setPlus(held);
    Ser2netFixture &server = serverFor(*m_scale);
    ScaleTiming timing = quickTiming();
    timing.line.pauseAfterExchangeMs = 400;     // the copy comes in its middle
    timing.pauseBetweenReadsMs = 0;
    SilentProgress progress;
    QList<PLU_STRING> plus;
    const ScaleOutcome outcome = readPlus(telnet ? server.telnetAddress() : server.rawAddress(),
                                          plus, progress, timing);
    QVERIFY2(outcome.succeeded(), qPrintable(QString::number(outcome.kind)));
    QCOMPARE(plus.size(), 3);
    QCOMPARE(plus.at(2).Name[0], QString("Яблоки 9"));
}

void NetworkTest::negotiationSetsTheServersPort()
{
    Ser2netFixture &server = serverFor(*m_scale);
    MSerial port;
    QVERIFY(port.OpenDevice(server.telnetAddress().toStdString().c_str()));
    termios t;
    QTRY_VERIFY(lineSettingsOf(m_scale->devicePath(), t) && cfgetospeed(&t) == B1200);
    QVERIFY(port.ConfigureDevice(9600, 8, 1, 0, false));
    QVERIFY(lineSettingsOf(m_scale->devicePath(), t));
    QCOMPARE(cfgetospeed(&t), speed_t(B9600));
    QCOMPARE(cfgetispeed(&t), speed_t(B9600));
    QCOMPARE(t.c_cflag & CSIZE, tcflag_t(CS8));
    QCOMPARE(t.c_cflag & (PARENB | CSTOPB), tcflag_t(0));
    port.CloseDevice();
}

// As with the lock of a local port, a second Tarexa process (here a second
// port object) cannot use an address while the first has it, whatever the
// case of its host.
void NetworkTest::oneAddressOneProcessAtATime()
{
    Ser2netFixture &server = serverFor(*m_scale);
    const QString address = QString(server.rawAddress()).replace("127.0.0.1", "localhost");
    ScalePort first(address, quickTiming().line);
    QVERIFY(first.isOpen());
    ScalePort second(QString(address).replace("localhost", "LocalHost"), quickTiming().line);
    QVERIFY(!second.isOpen());
    QCOMPARE(openFailureReason(second.failure().path, second.failure().error),
             QString("in use by another program"));
    first.close();
    ScalePort third(address, quickTiming().line);
    QVERIFY(third.isOpen());
}

// The turn-taking lock lives in /tmp, where anyone may have put a pipe or a
// link at its name first: opening neither waits on the pipe nor creates the
// link's target.
void NetworkTest::lockNameTakenByAnotherUser()
{
    const std::string address = "tcp://127.0.0.1:1";
    const QString lock = QString::fromStdString(
        "/tmp/tarexa-" + netsocket::lockFileName(serialPortIdentity(address)) + ".lock");
    QTemporaryDir dir;
    const QString target = dir.filePath("made-by-tarexa");
    QFile::remove(lock);
    QVERIFY(::mkfifo(lock.toLocal8Bit().constData(), 0600) == 0);
    QElapsedTimer clock;
    clock.start();
    ScalePort fifo(QString::fromStdString(address), quickTiming().line);
    QVERIFY(!fifo.isOpen());
    QVERIFY(clock.elapsed() < 5000);
    QVERIFY(QFile::remove(lock));

    QVERIFY(QFile::link(target, lock));
    ScalePort link(QString::fromStdString(address), quickTiming().line);
    QVERIFY(!link.isOpen());
    QVERIFY(!QFile::exists(target));
    QVERIFY(QFile::remove(lock));
}

void NetworkTest::faults_data()
{
    // %1: a port nothing listens on, %2: a silent one, %3: a flooding one
    QTest::addColumn<QString>("device");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("reason");

    QTest::newRow("refused") << "tcp://127.0.0.1:%1" << int(ScaleOutcome::PortFailed)
                             << QString::fromLocal8Bit(std::strerror(ECONNREFUSED));
    QTest::newRow("refused, rfc2217") << "rfc2217://127.0.0.1:%1" << int(ScaleOutcome::PortFailed)
                                      << QString::fromLocal8Bit(std::strerror(ECONNREFUSED));
    QTest::newRow("name that does not resolve")
        << "rfc2217://no-such-scale.invalid:4001" << int(ScaleOutcome::PortFailed)
        << QString::fromLocal8Bit(gai_strerror(EAI_NONAME));
    QTest::newRow("silent server, rfc2217") << "rfc2217://127.0.0.1:%2"
                                            << int(ScaleOutcome::PortFailed)
                                            << QString::fromLocal8Bit(std::strerror(ETIMEDOUT));
    QTest::newRow("server that never ends a subnegotiation, rfc2217")
        << "rfc2217://127.0.0.1:%3" << int(ScaleOutcome::PortFailed)
        << QString::fromLocal8Bit(std::strerror(ETIMEDOUT));
    QTest::newRow("silent server, raw") << "tcp://127.0.0.1:%2" << int(ScaleOutcome::NoReply)
                                        << QString();
}

// Each fault is the usual port failure, with the system's reason after the
// address, or no reply; and none keeps the command past its bound.
void NetworkTest::faults()
{
    QFETCH(QString, device);
    QFETCH(int, kind);
    SilentServer silent;
    QVERIFY(silent.port() != 0);
    FloodingServer flooding;
    QVERIFY(flooding.port() != 0);
    device.replace("%1", QString::number(freeLocalPort()))
        .replace("%2", QString::number(silent.port()))
        .replace("%3", QString::number(flooding.port()));
    SilentProgress progress;
    QList<PLU_STRING> plus;
    QElapsedTimer timer;
    timer.start();
    const ScaleOutcome outcome = readPlus(device, plus, progress, quickTiming());
    QCOMPARE(int(outcome.kind), kind);
    QVERIFY(timer.elapsed() < quickTiming().line.replyBoundMs + 3000);
    if (kind == ScaleOutcome::PortFailed) {
        QFETCH(QString, reason);
        QCOMPARE(outcome.port.kind, PortFailure::CannotOpen);
        QCOMPARE(openFailureDetails(outcome.port.path, outcome.port.error), device + ": " + reason);
    }
}

void NetworkTest::serverStopsMidTransfer_data()
{
    commandsAsOnTheLocalDevice_data();
}

// ser2net killed in the middle of programming: the connection ends, and the
// command ends with it, as no reply or as a port failure with the reason.
void NetworkTest::serverStopsMidTransfer()
{
    QFETCH(bool, telnet);
    Ser2netFixture &server = serverFor(*m_scale);
    m_scale->sim().setFrameObserver([&server](int frames) {
        if (frames == 3)
            server.kill();
    });
    PluTable table;
    for (int row = 1; row <= 20; ++row)
        table.setText(row, PriceColumn, "1.00");
    SilentProgress progress;
    QElapsedTimer timer;
    timer.start();
    const ScaleOutcome outcome = programPlus(telnet ? server.telnetAddress() : server.rawAddress(),
                                             table, progress, quickTiming());
    QVERIFY(timer.elapsed() < 2 * quickTiming().line.replyBoundMs + 3000);
    QVERIFY2(outcome.kind == ScaleOutcome::NoReply
                 || (outcome.kind == ScaleOutcome::PortFailed
                     && outcome.port.kind == PortFailure::CannotWrite),
             qPrintable(QString::number(outcome.kind)));
    QVERIFY(outcome.accepted < 20);
    if (outcome.kind == ScaleOutcome::PortFailed)
        QVERIFY(!QString::fromStdString(serialErrorText(outcome.port.error)).isEmpty());
}

void NetworkTest::threeNetworkScalesSideBySide()
{
    QList<ScaleEntry> scales;
    ScaleStore store(storePath());
    QVERIFY2(store.isUsable(), qPrintable(store.error()));
    std::vector<ScaleFixture *> sims = { &*m_scale };
    for (int i = 0; i < 2; ++i) {
        m_moreScales.push_back(std::make_unique<ScaleFixture>());
        QVERIFY(m_moreScales.back()->start());
        sims.push_back(m_moreScales.back().get());
    }
    for (int i = 0; i < 3; ++i) {
        Ser2netFixture &server = serverFor(*sims[size_t(i)]);
        const QString address = i == 1 ? server.rawAddress() : server.telnetAddress();
        scales.append({ "Scale " + QString::number(i + 1), address });
        QVERIFY(store.replaceSnapshot(address, {}));
    }
    const PluTable table = shopTable();
    const std::optional<QList<ScalePlan>> plans = planChanges(table, scales, store);
    QVERIFY(plans);
    SilentScalesProgress progress;
    const QList<ScaleResult> results =
        programChangesToScales(table, *plans, "shop.xml", progress, storePath(), quickTiming());
    QCOMPARE(results.size(), 3);
    for (int i = 0; i < 3; ++i) {
        QVERIFY2(results[i].succeeded(), qPrintable(AllScalesText::resultLine(results[i])));
        QCOMPARE(results[i].outcome.accepted, table.rowsInUse().size());
        const std::map<int, SimPlu> held = sims[size_t(i)]->sim().plus();
        QCOMPARE(int(held.size()), table.rowsInUse().size());
        QCOMPARE(held.at(1).name[0], QString("Мясо пряное"));
    }
}

QTEST_GUILESS_MAIN(NetworkTest)
#include "tst_network.moc"
