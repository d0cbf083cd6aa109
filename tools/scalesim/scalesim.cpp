#include "scalesim.h"

#include "comm.h"
#include "cp1251.h"

#include <QStringList>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

namespace {

const int MaxPluNumber = 998;
const int MaxFrameSize = 4096;
const int FieldCount = 8;

bool readInt(const QString &text, int low, int high, int &value)
{
    bool ok = false;
    value = text.toInt(&ok);
    return ok && !text.startsWith(QLatin1Char('+')) && value >= low && value <= high;
}

bool isDigit(unsigned char byte)
{
    return byte >= '0' && byte <= '?';
}

QString hexLine(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' '));
}

bool carriesPlu(unsigned char cmd, char status)
{
    return (cmd == 'b' || cmd == 'c') && status == '0';
}

} // namespace

QString replyDataText(const QString &dataText, const ScaleSimOptions &options)
{
    QStringList fields = dataText.split(QLatin1Char('\t'));
    fields.removeLast();    // the empty text after the final TAB
    if (options.replacedField >= 1 && options.replacedField <= fields.size())
        fields[options.replacedField - 1] = QString::fromStdString(options.replacementText);
    if (options.replyFields > 0 && options.replyFields < fields.size())
        fields = fields.mid(0, options.replyFields);
    QString text = fields.join(QLatin1Char('\t'));
    if (!options.lastFieldOpen)
        text += QLatin1Char('\t');
    return text;
}

QString SimPlu::dataText() const
{
    const QStringList fields = { QString::number(number), price, name[0], name[1], name[2],
                                 barcode, QString::number(barType), QString::number(durability) };
    return fields.join(QLatin1Char('\t')) + QLatin1Char('\t');
}

bool SimPlu::fromDataText(const QString &text, SimPlu &plu)
{
    const QStringList fields = text.split(QLatin1Char('\t'));
    if (fields.size() != FieldCount + 1 || !fields.last().isEmpty())
        return false;
    SimPlu parsed;
    bool priceOk = false;
    const double price = fields[1].toDouble(&priceOk);
    if (!readInt(fields[0], 0, MaxPluNumber, parsed.number) || !priceOk || price < 0
        || !readInt(fields[6], 0, 1, parsed.barType)
        || !readInt(fields[7], 0, 255, parsed.durability))
        return false;
    parsed.price = QString::number(price, 'f', 2);
    for (int i = 0; i < 3; ++i)
        parsed.name[i] = fields[2 + i];
    parsed.barcode = fields[5];
    plu = parsed;
    return true;
}

bool FrameReader::feed(unsigned char byte)
{
    if (byte == SOH) {
        m_partial = QByteArray(1, char(SOH));
        return false;
    }
    if (m_partial.isEmpty())
        return false;   // junk between frames
    m_partial += char(byte);
    const int size = int(m_partial.size());
    if ((size == 3 || size == 4) && !isDigit(byte)) {
        m_partial.clear();
        return false;
    }
    if (byte == ETX && partialIsFrame()) {
        m_frame = m_partial;
        m_partial.clear();
        return true;
    }
    if (size > MaxFrameSize)
        m_partial.clear();
    return false;
}

bool FrameReader::partialIsFrame() const
{
    // An ETX inside the data is just data: the frame ends where the length
    // digits and the checksum agree.
    const int size = int(m_partial.size());
    if (size < 7)
        return false;
    return m_partial.mid(2, 2) == frameDigits(static_cast<unsigned char>((size - 7) % 256))
        && m_partial.mid(size - 3, 2) == frameDigits(frameSum(m_partial.left(size - 3)));
}

ScaleSim::ScaleSim(const ScaleSimOptions &options)
    : m_options(options)
{
}

ScaleSim::~ScaleSim()
{
    closeLine();
    for (int fd : m_wake) {
        if (fd >= 0)
            ::close(fd);
    }
    if (!m_linkPath.empty())
        ::unlink(m_linkPath.c_str());
}

bool ScaleSim::fail(const char *what)
{
    m_error = std::string(what) + ": " + std::strerror(errno);
    return false;
}

bool ScaleSim::open(const std::string &linkPath)
{
    if (pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0)
        return fail("pipe");
    if (!openTerminal())
        return false;
    if (!linkPath.empty()) {
        ::unlink(linkPath.c_str());
        if (::symlink(m_slavePath.c_str(), linkPath.c_str()) != 0)
            return fail("symlink");
        m_linkPath = linkPath;
    }
    loadStore();
    const std::string logPath = options().frameLogPath;
    if (!logPath.empty())
        std::ofstream(logPath, std::ios::trunc);
    return true;
}

bool ScaleSim::openTerminal()
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0)
        return fail("posix_openpt");
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0)
        return fail("unlockpt");
    const char *name = ptsname(m_master);
    if (!name)
        return fail("ptsname");
    m_slavePath = name;
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0)
        return fail("open slave");
    termios t;
    if (tcgetattr(m_slave, &t) != 0)
        return fail("tcgetattr");
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    if (tcsetattr(m_slave, TCSANOW, &t) != 0)
        return fail("tcsetattr");
    const int flags = fcntl(m_master, F_GETFL);
    if (flags < 0 || fcntl(m_master, F_SETFL, flags | O_NONBLOCK) != 0)
        return fail("fcntl");
    return true;
}

bool ScaleSim::listenTcp(int port)
{
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_listener < 0)
        return fail("socket");
    const int on = 1;
    setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (::bind(m_listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0)
        return fail("bind");
    if (::listen(m_listener, 4) != 0)
        return fail("listen");
    if (getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &size) != 0)
        return fail("getsockname");
    m_tcpPort = ntohs(address.sin_port);
    return true;
}

void ScaleSim::acceptClient()
{
    const int client = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (client < 0)
        return;
    const int on = 1;
    setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    m_client = client;
}

void ScaleSim::dropClient()
{
    if (m_client >= 0)
        ::close(m_client);
    if (m_replyTo == m_client)
        m_replyTo = -1;
    m_client = -1;
}

void ScaleSim::closeLine()
{
    dropClient();
    for (int *fd : { &m_master, &m_slave, &m_listener }) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}

std::string ScaleSim::devicePath() const
{
    return m_linkPath.empty() ? m_slavePath : m_linkPath;
}

void ScaleSim::stop()
{
    m_stopping = true;
    if (m_wake[1] >= 0) {
        const char byte = 0;
        ssize_t ignored = ::write(m_wake[1], &byte, 1);
        (void)ignored;
    }
}

// The terminal and, with --tcp, one connection at a time; a second waits
// until the first is closed.
void ScaleSim::serve()
{
    Clock::time_point frameStart = Clock::now();
    while (!m_stopping && m_master >= 0) {
        const int network = m_client >= 0 ? m_client : m_listener;
        pollfd p[3] = { { m_master, POLLIN, 0 }, { m_wake[0], POLLIN, 0 }, { network, POLLIN, 0 } };
        const int ready = poll(p, network >= 0 ? 3 : 2, -1);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0 || p[1].revents || (p[0].revents & (POLLERR | POLLNVAL)))
            break;
        if (p[0].revents & POLLIN)
            takeBytes(m_master, frameStart);
        if (network < 0 || !p[2].revents)
            continue;
        if (network == m_listener)
            acceptClient();
        else
            takeBytes(m_client, frameStart);
    }
    saveStore();
}

void ScaleSim::takeBytes(int fd, Clock::time_point &frameStart)
{
    unsigned char buffer[512];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (fd == m_client && n <= 0 && !(n < 0 && (errno == EAGAIN || errno == EINTR))) {
        dropClient();   // the other end closed the connection
        return;
    }
    const Clock::time_point arrival = Clock::now();
    m_replyTo = fd;
    for (ssize_t i = 0; i < n && m_master >= 0; ++i) {
        if (buffer[i] == SOH)
            frameStart = arrival;
        if (m_reader.feed(buffer[i]))
            handleFrame(m_reader.frame(), frameStart);
    }
}

void ScaleSim::handleFrame(const QByteArray &frame, Clock::time_point arrival)
{
    const ScaleSimOptions now = options();
    std::function<void(int)> observer;
    int received = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_frames.push_back(frame);
        observer = m_frameObserver;
        received = int(m_frames.size());
    }
    logFrame(frame);
    if (observer)
        observer(received);
    ++m_commands;
    if (now.vanishAt != 0 && m_commands == now.vanishAt) {
        closeLine();
        return;
    }
    if (now.silentFrom != 0 && m_commands >= now.silentFrom)
        return;

    const unsigned char cmd = static_cast<unsigned char>(frame[1]);
    Reply reply = { '1', QString() };
    if (now.refuseAt != m_commands)
        reply = carryOut(cmd, fromCp1251(frame.mid(4, frame.size() - 7)));
    if (carriesPlu(cmd, reply.status) && !reply.data.isEmpty())
        reply.data = replyDataText(reply.data, now);
    reply.data += QString(now.overlongBy, QLatin1Char('X'));

    QByteArray bytes(now.garbageBeforeReply, '~');
    bytes += QByteArray(now.synBeforeReply, char(SYN));
    bytes += WSerial::buildFrame(static_cast<unsigned char>(reply.status), reply.data);
    // On a real line the command itself takes its transmission time.
    const auto byteTime = std::chrono::microseconds(now.baud > 0 ? 10000000 / now.baud : 0);
    sendReply(bytes, now, arrival + byteTime * frame.size());
}

ScaleSim::Reply ScaleSim::carryOut(unsigned char cmd, const QString &data)
{
    switch (cmd) {
    case 'A': {
        SimPlu plu;
        if (!SimPlu::fromDataText(data, plu))
            return { '1', QString() };
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_plus[plu.number] = plu;
        }
        saveStore();
        return { '0', QString() };
    }
    case 'B':
        return removePlu(data);
    case 'b':
        m_readCursor = -1;
        return nextPlu();
    case 'c':
        return nextPlu();
    default:
        return { '1', QString() };
    }
}

ScaleSim::Reply ScaleSim::nextPlu()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto next = m_plus.upper_bound(m_readCursor);
    if (next == m_plus.end() && m_options.alwaysFound)
        next = m_plus.begin();  // start over: the scale never runs dry
    if (next == m_plus.end())
        return { m_options.alwaysFound ? '0' : '1', QString() };
    m_readCursor = next->first;
    return { '0', next->second.dataText() };
}

ScaleSim::Reply ScaleSim::removePlu(const QString &data)
{
    int number = 0;
    if (!data.endsWith(QLatin1Char('\t')) || data.count(QLatin1Char('\t')) != 1
        || !readInt(data.chopped(1), 0, MaxPluNumber, number))
        return { '1', QString() };
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_plus.erase(number);
    }
    saveStore();
    return { '0', QString() };
}

void ScaleSim::sendReply(const QByteArray &bytes, const ScaleSimOptions &options,
                         Clock::time_point lineFreeAt)
{
    struct Finished
    {
        std::atomic<int> &count;
        ~Finished() { ++count; }
    } finished { m_repliesFinished };

    if (!writePaced(bytes, options, lineFreeAt) || options.repeatAfterMs <= 0)
        return;
    if (waitUntil(Clock::now() + std::chrono::milliseconds(options.repeatAfterMs)))
        writePaced(bytes, options, Clock::now());
}

bool ScaleSim::writePaced(const QByteArray &bytes, const ScaleSimOptions &options,
                          Clock::time_point lineFreeAt)
{
    if (options.baud <= 0 && options.gapMs <= 0)
        return writeAll(bytes.constData(), size_t(bytes.size()));
    const auto byteTime = std::chrono::microseconds(options.baud > 0 ? 10000000 / options.baud : 0);
    Clock::time_point due = std::max(lineFreeAt, Clock::now());
    for (int i = 0; i < bytes.size(); ++i) {
        if (i > 0 && options.gapMs > 0 && (options.gapAfter == 0 || i == options.gapAfter)) {
            if (!waitUntil(Clock::now() + std::chrono::milliseconds(options.gapMs)))
                return false;
            due = std::max(due, Clock::now());
        }
        due += byteTime;
        if (!waitUntil(due) || !writeAll(bytes.constData() + i, 1))
            return false;
    }
    return true;
}

bool ScaleSim::writeAll(const char *bytes, size_t count)
{
    const int fd = m_replyTo >= 0 ? m_replyTo : m_master;
    while (count > 0 && m_master >= 0 && !m_stopping) {
        const ssize_t n = fd == m_client ? ::send(fd, bytes, count, MSG_NOSIGNAL)
                                         : ::write(fd, bytes, count);
        if (n > 0) {
            bytes += n;
            count -= size_t(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        pollfd p[2] = { { fd, POLLOUT, 0 }, { m_wake[0], POLLIN, 0 } };
        if (poll(p, 2, -1) < 0 && errno != EINTR)
            return false;
    }
    return count == 0;
}

bool ScaleSim::waitUntil(Clock::time_point when)
{
    while (!m_stopping) {
        const auto left = when - Clock::now();
        if (left <= Clock::duration::zero())
            return true;
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        const timespec timeout = { time_t(ns / 1000000000), long(ns % 1000000000) };
        pollfd p = { m_wake[0], POLLIN, 0 };
        ppoll(&p, 1, &timeout, nullptr);
    }
    return false;
}

void ScaleSim::logFrame(const QByteArray &frame)
{
    const std::string path = options().frameLogPath;
    if (path.empty())
        return;
    std::ofstream log(path, std::ios::app);
    log << hexLine(frame).toStdString() << '\n';
}

void ScaleSim::loadStore()
{
    const std::string path = options().storePath;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    std::lock_guard<std::mutex> lock(m_mutex);
    while (in && std::getline(in, line)) {
        SimPlu plu;
        if (SimPlu::fromDataText(fromCp1251(QByteArray::fromStdString(line)), plu))
            m_plus[plu.number] = plu;
    }
}

void ScaleSim::saveStore() const
{
    const std::string path = options().storePath;
    if (path.empty())
        return;
    const std::string temporary = path + ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        std::lock_guard<std::mutex> lock(m_mutex);
        for (const auto &entry : m_plus)
            out << toCp1251(entry.second.dataText()).toStdString() << '\n';
        if (!out.flush())
            return;
    }
    std::rename(temporary.c_str(), path.c_str());
}

ScaleSimOptions ScaleSim::options() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_options;
}

void ScaleSim::setOptions(const ScaleSimOptions &options)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_options = options;
}

std::map<int, SimPlu> ScaleSim::plus() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_plus;
}

void ScaleSim::setPlus(const std::map<int, SimPlu> &plus)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_plus = plus;
    }
    saveStore();
}

std::vector<QByteArray> ScaleSim::receivedFrames() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_frames;
}

void ScaleSim::setFrameObserver(std::function<void(int)> observer)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_frameObserver = std::move(observer);
}
