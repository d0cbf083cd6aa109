#include "scalefixture.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

ScaleFixture::ScaleFixture(const ScaleSimOptions &options)
    : m_sim(options)
{
}

ScaleFixture::~ScaleFixture()
{
    stop();
}

bool ScaleFixture::start()
{
    if (!m_sim.open())
        return false;
    m_server = std::thread([this] { m_sim.serve(); });
    return true;
}

void ScaleFixture::stop()
{
    if (!m_server.joinable())
        return;
    m_sim.stop();
    m_server.join();
}

QString ScaleFixture::deviceName() const
{
    return QString::fromStdString(m_sim.devicePath());
}

QByteArray ScaleFixture::commandBytes() const
{
    QByteArray commands;
    for (const QByteArray &frame : m_sim.receivedFrames())
        commands += frame.at(1);
    return commands;
}

bool ScaleFixture::waitForFrames(int count, int timeoutMs)
{
    return QTest::qWaitFor([&] { return int(m_sim.receivedFrames().size()) >= count; },
                           timeoutMs);
}

int descriptorsOn(const std::string &devicePath)
{
    int count = 0;
    const QDir fds("/proc/self/fd");
    for (const QFileInfo &fd : fds.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot))
        if (fd.symLinkTarget() == QString::fromStdString(devicePath))
            ++count;
    return count;
}

bool ScalePerTest::start(const ScaleSimOptions &options)
{
    m_scale = std::make_unique<ScaleFixture>(options);
    return m_scale->start();
}

ScaleTiming quickTiming()
{
    ScaleTiming timing;
    timing.line.pauseAfterExchangeMs = 5;
    timing.line.byteTimeoutMs = 200;
    timing.line.replyBoundMs = 2000;
    timing.line.quietAfterReplyMs = 5;
    timing.settleBeforeProgrammingMs = 5;
    timing.pauseBetweenReadsMs = 5;
    return timing;
}

bool ScaleLine::openOn(ScaleFixture &scale, const ScaleSimOptions &options)
{
    scale.sim().setOptions(options);
    port = WSerial();
    open = port.OpenDevice(scale.devicePath().c_str())
        && port.ConfigureDevice(9600, 8, 1, 0, false);
    return open;
}

void ScaleLine::close()
{
    if (open)
        port.CloseDevice();
    open = false;
}

speed_t lineSpeed(const std::string &path, speed_t set)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
    termios t;
    bool ok = fd >= 0 && tcgetattr(fd, &t) == 0;
    if (ok && set != 0)
        ok = cfsetspeed(&t, set) == 0 && tcsetattr(fd, TCSANOW, &t) == 0 && tcgetattr(fd, &t) == 0;
    if (fd >= 0)
        ::close(fd);
    return ok ? cfgetospeed(&t) : 0;
}

SimPlu plainSimPlu(int number)
{
    SimPlu p;
    p.number = number;
    p.price = "2.00";
    p.name[0] = "PLU " + QString::number(number);
    p.durability = 5;
    return p;
}

SimPlu barcodedSimPlu(int number, const QString &name, const QString &barcode)
{
    SimPlu p;
    p.number = number;
    p.price = "1.50";
    p.name[0] = name;
    p.barcode = barcode;
    p.barType = barcode.isEmpty() ? 0 : 1;
    p.durability = 10;
    return p;
}

SimPlu simPluOf(int number, const PLU_STRING &row)
{
    const PLU typed = typedPlu(number, row);
    SimPlu p;
    p.number = number;
    p.price = QString::number(typed.Price, 'f', 2);
    for (int i = 0; i < 3; ++i)
        p.name[i] = lineText(typed.Name[i]);
    p.barcode = typed.Barcode;
    p.barType = typed.BarType ? 1 : 0;
    p.durability = typed.Durabil;
    return p;
}
