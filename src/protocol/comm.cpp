#include "comm.h"
#include "translated.h"
#include "cp1251.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <chrono>
#include <thread>

namespace {

// A reply buffer after collecting, which started all zeros.
ScaleReply replyIn(const ReplyBuffer &buffer, bool ok)
{
    const char *bytes = reinterpret_cast<const char *>(buffer.data());
    ScaleReply reply;
    reply.ok = ok;
    reply.bytes = QByteArray(bytes, int(qstrnlen(bytes, uint(buffer.size()))));
    reply.statusByte = bytes[1];
    return reply;
}

} // namespace

QByteArray frameDigits(unsigned char value)
{
    QByteArray digits(2, '0');
    digits[0] = char('0' + (value >> 4));
    digits[1] = char('0' + (value & 0x0F));
    return digits;
}

unsigned char frameSum(const QByteArray &bytes)
{
    unsigned char sum = 0;
    for (int i = 1; i < bytes.size(); ++i)
        sum = static_cast<unsigned char>(sum + static_cast<unsigned char>(bytes[i]));
    return sum;
}

QString WSerial::checkSum(const QString &str)
{
    return QString::fromLatin1(frameDigits(frameSum(toCp1251(str))));
}

QByteArray WSerial::buildFrame(unsigned char cmd, const QString &data)
{
    // The length digits count bytes, so that they always describe the
    // frame, even for text the code page has to replace.
    const QByteArray dataBytes = toCp1251(data);
    QByteArray frame;
    frame.reserve(dataBytes.size() + 7);
    frame += char(SOH);
    frame += char(cmd);
    frame += frameDigits(static_cast<unsigned char>(dataBytes.size() % 256));
    frame += dataBytes;
    frame += frameDigits(frameSum(frame));
    frame += char(ETX);
    return frame;
}

bool WSerial::sendScaleCmd(unsigned char cmd, const QString &data,
                           ReplyBuffer &answer_buf, int answer_len)
{
    const bool complete = exchangeFrame(cmd, data, answer_buf, answer_len);
    delay(m_timing.pauseAfterExchangeMs);
    return complete;
}

bool WSerial::exchangeFrame(unsigned char cmd, const QString &data,
                            ReplyBuffer &answer_buf, int answer_len)
{
    if (!writeFrame(cmd, data))
        return false;
    return collectReply(answer_buf, answer_len,
                        std::chrono::steady_clock::now()
                            + std::chrono::milliseconds(m_timing.replyBoundMs));
}

bool WSerial::writeFrame(unsigned char cmd, const QString &data)
{
    const QByteArray frame = buildFrame(cmd, data);
    // Whatever is still on the line belongs to an earlier exchange (the
    // tail of a reply cut at its limit, a reply the scale sent twice): a
    // reply is made only of bytes that arrive after its own command.
    FlushBytes();
    const int32_t written = WriteBytes(reinterpret_cast<const unsigned char *>(frame.constData()),
                                       static_cast<unsigned>(frame.size()));
    // A dry run writes nothing, and that is no failure.
    return suppressWrite || written == frame.size();
}

// Each byte may take its time-out, and the whole reply its bound; the waits are
// cut into slices, so that a stop asked for by a signal (which need not
// reach this thread) ends the exchange at most a grace time later, however
// busy the line is. The buffer's last place keeps the zero that ends the
// stored reply: a reply that needs more room than that (a scale that
// streams bytes without an ETX) is cut there, and what it meant cannot be
// told.
bool WSerial::collectReply(ReplyBuffer &answer_buf, int answer_len,
                           std::chrono::steady_clock::time_point deadline, int quietAfterMs,
                           std::chrono::steady_clock::time_point *endedAt)
{
    using namespace std::chrono;
    const int room = int(answer_buf.size()) - 1;
    ReplyCollector collector(answer_buf.data(), std::min(answer_len, room));
    bool complete = true;
    steady_clock::time_point byteDue = steady_clock::now() + milliseconds(m_timing.byteTimeoutMs);
    bool stopping = false;
    while (collector.wantsMore()) {
        const steady_clock::time_point now = steady_clock::now();
        if (!stopping && lineStopRequested()) {
            stopping = true;
            deadline = std::min(deadline, now + milliseconds(StopGraceMs));
        }
        const steady_clock::time_point until = std::min(deadline, byteDue);
        if (until <= now) {
            complete = false;
            break;
        }
        const auto slice = std::min(duration_cast<microseconds>(until - now),
                                    duration_cast<microseconds>(milliseconds(WaitSliceMs)));
        unsigned char byte = 0;
        const unsigned wait = std::max(1000u, static_cast<unsigned>(slice.count()));
        if (ReadBytes(&byte, 1, wait) == 1) {
            collector.feed(byte);
            byteDue = steady_clock::now() + milliseconds(m_timing.byteTimeoutMs);
        } else if (steady_clock::now() - now < microseconds(wait / 2)) {
            // Nothing, and long before the wait was over: the line is gone.
            complete = false;
            break;
        }
    }
    if (endedAt)
        *endedAt = steady_clock::now();
    if (answer_len > room && !collector.ended())
        complete = false;
    if (complete && quietAfterMs > 0 && collector.ended()
        && !onlyCopiesFollow(answer_buf.data(), collector.storedCount(),
                             milliseconds(quietAfterMs)))
        complete = false;
    FlushBytes();
    return complete;
}

// A scale that sends its reply twice changes nothing; one reply followed
// by another that differs means that the first may have been a late answer
// to an earlier frame.
bool WSerial::onlyCopiesFollow(const unsigned char *reply, int length,
                               std::chrono::milliseconds span)
{
    using namespace std::chrono;
    const steady_clock::time_point until = steady_clock::now() + span;
    int expected = 0;
    for (steady_clock::time_point now = steady_clock::now(); now < until;
         now = steady_clock::now()) {
        const auto left = duration_cast<microseconds>(until - now);
        unsigned char byte = 0;
        if (ReadBytes(&byte, 1, std::max(1000u, static_cast<unsigned>(left.count()))) != 1
            || byte == SYN)
            continue;
        if (length == 0 || byte != reply[expected])
            return false;
        expected = (expected + 1) % length;
    }
    return true;
}

ReplyCollector::ReplyCollector(unsigned char *buffer, int limit)
    : m_buffer(buffer), m_limit(limit)
{
}

bool ReplyCollector::feed(unsigned char byte)
{
    if (!wantsMore())
        return false;
    if (byte == SYN) {
        // The scale is busy. A first SYN takes one place of the limit.
        if (m_counted == 0)
            m_counted = 1;
        return wantsMore();
    }
    m_buffer[m_stored++] = byte;
    if (byte == ETX) {
        m_ended = true;
        return false;
    }
    ++m_counted;
    return wantsMore();
}

void delay(int ms)
{
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

namespace {

// Lock-free, so that a signal handler may store it and any thread read it.
std::atomic<int> lineStop{ 0 };
static_assert(std::atomic<int>::is_always_lock_free);

} // namespace

void requestLineStop(int signalNumber) noexcept
{
    int none = 0;
    lineStop.compare_exchange_strong(none, signalNumber);
}

int lineStopRequested() noexcept
{
    return lineStop.load();
}

QString stopSignalName(int signalNumber)
{
    switch (signalNumber) {
    case SIGINT: return QStringLiteral("SIGINT");
    case SIGTERM: return QStringLiteral("SIGTERM");
#ifdef SIGHUP
    case SIGHUP: return QStringLiteral("SIGHUP");
#endif
#ifdef SIGBREAK
    case SIGBREAK: return QStringLiteral("SIGBREAK");
#endif
    default: return QString::number(signalNumber);
    }
}

// Windows takes port names in its 8-bit code page; elsewhere a device is a
// path in the file system's own encoding, so that a link named in Cyrillic
// opens like any other.
std::string devicePathOf(const QString &deviceName)
{
#ifdef Q_OS_WIN
    return serialDevicePath(toCp1251(deviceName).toStdString());
#else
    return serialDevicePath(QFile::encodeName(deviceName).toStdString());
#endif
}

QString devicePathText(const std::string &path)
{
#ifdef Q_OS_WIN
    return fromCp1251(QByteArray::fromStdString(path));
#else
    return QFile::decodeName(QByteArray::fromStdString(path));
#endif
}

QString portIdentity(const QString &deviceName)
{
    const std::string identity = serialPortIdentity(devicePathOf(deviceName));
    return devicePathText(identity);
}

std::optional<QString> presentPortIdentity(const QString &deviceName)
{
#ifndef Q_OS_WIN
    if (!serialIsNetworkName(devicePathOf(deviceName))
        && !QFile::exists(QFile::decodeName(QByteArray::fromStdString(devicePathOf(deviceName)))))
        return std::nullopt;
#endif
    return portIdentity(deviceName);
}

QString networkAddressProblem(const QString &deviceName)
{
    const SerialNetworkAddress address = serialNetworkAddress(deviceName.toStdString());
    switch (address.problem) {
    case SerialNetworkAddress::Fine:
    case SerialNetworkAddress::NotNetwork:
        return QString();
    case SerialNetworkAddress::NoPort:
        return translated(QT_TRANSLATE_NOOP("Tarexa", "%1 has no port number. Write the address "
                                            "as tcp://HOST:PORT or rfc2217://HOST:PORT, with the "
                                            "port the device server listens on."))
            .arg(deviceName);
    case SerialNetworkAddress::BadPort:
        return translated(QT_TRANSLATE_NOOP("Tarexa", "The port number of %1 must be a number "
                                            "from 1 to 65535."))
            .arg(deviceName);
    case SerialNetworkAddress::NoHost:
    case SerialNetworkAddress::BadHost:
        break;
    }
    return translated(QT_TRANSLATE_NOOP("Tarexa", "%1 names no host Tarexa can reach. Write the "
                                        "address as tcp://HOST:PORT or rfc2217://HOST:PORT, with "
                                        "an IPv6 address in brackets, such as "
                                        "tcp://[fd00::5]:4001."))
        .arg(deviceName);
}

QString openFailureReason(const std::string &devicePath, int error)
{
    if (!serialIsBusyError(error))
        return QString::fromLocal8Bit(serialErrorText(error).c_str());
    QStringList users;
    for (const std::string &user : serialPortUsers(devicePath))
        users << QString::fromLocal8Bit(user.c_str());
    return users.isEmpty()
        ? translated(QT_TRANSLATE_NOOP("Tarexa", "in use by another program"))
        : translated(QT_TRANSLATE_NOOP("Tarexa", "in use by another program: %1"))
              .arg(users.join(QLatin1String(", ")));
}

QString openFailureDetails(const std::string &devicePath, int error)
{
    QString details = devicePathText(devicePath) + ": " + openFailureReason(devicePath, error);
    const QString group = QString::fromLocal8Bit(serialDeviceGroup(devicePath).c_str());
    if (serialIsPermissionError(error) && !group.isEmpty() && group != "root") {
        details += "\n\n" + translated(QT_TRANSLATE_NOOP("Tarexa", "Your user account may not use this port. Ask an "
                                        "administrator to add it to the group \"%1\", which owns "
                                        "the port, for example with:\n    sudo usermod -a -G %1 $USER\n"
                                        "then log out and in again.")).arg(group);
    }
    return details;
}

ScalePort::ScalePort(const QString &deviceName, const LineTiming &timing)
{
    m_port.setTiming(timing);
    // Connecting to a network address is bounded as an exchange is.
    m_port.setConnectTimeout(unsigned(timing.replyBoundMs));
    // ... and a stop asked for meanwhile ends it, as it ends an exchange.
    m_port.setStopCheck(lineStopRequested);
    m_failure.path = devicePathOf(deviceName);
    if (!m_port.OpenDevice(m_failure.path.c_str())) {
        m_failure.kind = PortFailure::CannotOpen;
        m_failure.error = m_port.LastError();
        return;
    }
    if (!m_port.ConfigureDevice(9600, 8, 1, 0, false)) {
        m_failure.kind = PortFailure::CannotConfigure;
        m_failure.error = m_port.LastError();
        m_port.CloseDevice();
        return;
    }
    m_open = true;
    m_lineFreeAt = Clock::now();
}

ScalePort::~ScalePort()
{
    close();
}

void ScalePort::close()
{
    if (m_open) {
        waitForTheLine();
        m_port.CloseDevice();
    }
    m_open = false;
}

// A stop asked for meanwhile ends the wait: nothing more will go out.
void ScalePort::waitForTheLine()
{
    const auto slice = std::chrono::milliseconds(WSerial::WaitSliceMs);
    while (!lineStopRequested() && Clock::now() < m_lineFreeAt)
        std::this_thread::sleep_until(std::min(m_lineFreeAt, Clock::now() + slice));
}

void ScalePort::rest(int ms)
{
    m_lineFreeAt += std::chrono::milliseconds(ms);
}

ScaleReply ScalePort::exchange(unsigned char cmd, const QString &data, int limit)
{
    startExchange(cmd, data);
    return finishExchange(limit);
}

void ScalePort::startExchange(unsigned char cmd, const QString &data)
{
    waitForTheLine();
    m_frameSent = !lineStopRequested();
    // The scale cannot act on part of a frame; whether the part went out
    // or none, the device has failed, and no reply is waited for.
    if (m_frameSent && !m_port.writeFrame(cmd, data)) {
        m_frameSent = false;
        m_failure.kind = PortFailure::CannotWrite;
        m_failure.error = m_port.LastError();
    }
    m_replyDeadline = Clock::now() + std::chrono::milliseconds(m_port.timing().replyBoundMs);
}

// The system keeps the bytes that came while the caller was busy, so the
// reply is read as if it had been waited for all along.
ScaleReply ScalePort::finishExchange(int limit)
{
    ReplyBuffer buffer{};
    Clock::time_point ended = Clock::now();
    const bool ok = m_frameSent
        && m_port.collectReply(buffer, limit, m_replyDeadline,
                               m_port.timing().quietAfterReplyMs, &ended);
    // The pause runs from the reply's end: the quiet after it is part of it.
    m_lineFreeAt = ended + std::chrono::milliseconds(m_port.timing().pauseAfterExchangeMs);
    return replyIn(buffer, ok);
}

QString ScaleReply::data() const
{
    return fromCp1251(bytes.mid(4, bytes.size() - 7));
}

QString ScaleReply::dataText() const
{
    return whole() ? data() : fromCp1251(bytes.mid(4));
}

bool ScaleReply::understood() const
{
    if (!ok || bytes.size() < 2 || bytes.at(0) != char(SOH))
        return false;
    if (!whole())
        return true;
    if (bytes.size() < 7)
        return false;
    const QByteArray frame = bytes.left(bytes.size() - 3);
    const int dataLength = int(bytes.size()) - 7;
    return frame.mid(2, 2) == frameDigits(static_cast<unsigned char>(dataLength % 256))
        && bytes.mid(bytes.size() - 3, 2) == frameDigits(frameSum(frame));
}

ScaleReply scaleExchange(WSerial &port, unsigned char cmd, const QString &data, int limit)
{
    ReplyBuffer buffer{};
    const bool ok = port.sendScaleCmd(cmd, data, buffer, limit);
    return replyIn(buffer, ok);
}

QString lineText(const QString &text)
{
    QString line = text.normalized(QString::NormalizationForm_C);
    for (QChar &c : line) {
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    }
    return line;
}

