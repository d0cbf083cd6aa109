// The network backend of MSerial: raw TCP, and RFC 2217 (Telnet with the COM
// Port Control option) for device servers that set their own serial port.
// Only the small part of Telnet that a client of such a server needs.

#include "serial_net.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace {

// Telnet's commands and the options Tarexa agrees to.
const unsigned char IAC = 255;
const unsigned char DONT = 254;
const unsigned char DO = 253;
const unsigned char WONT = 252;
const unsigned char WILL = 251;
const unsigned char SB = 250;
const unsigned char SE = 240;
const unsigned char Binary = 0;
const unsigned char SuppressGoAhead = 3;
const unsigned char ComPort = 44;

// COM Port Control commands from the client; the server answers each with
// the same number plus 100 and the value it took.
const unsigned char SetBaudRate = 1;
const unsigned char SetDataSize = 2;
const unsigned char SetParity = 3;
const unsigned char SetStopSize = 4;
const unsigned char PurgeData = 12;
const unsigned char ServerAnswer = 100;
const unsigned char PurgeBothBuffers = 3;
const std::size_t MaxSubnegotiation = 64;

const std::string TcpScheme = "tcp://";
const std::string TelnetScheme = "rfc2217://";

bool isAgreedOption(unsigned char option)
{
    return option == Binary || option == SuppressGoAhead || option == ComPort;
}

bool startsWithNoCase(const std::string &text, const std::string &prefix)
{
    if (text.size() < prefix.size())
        return false;
    return std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
}

std::string lowerCase(std::string text)
{
    for (char &c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool allDigits(const std::string &text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return c >= '0' && c <= '9';
    });
}

SerialNetworkAddress::Problem portProblem(const std::string &port)
{
    if (port.empty())
        return SerialNetworkAddress::NoPort;
    if (!allDigits(port) || port.size() > 5 || std::atol(port.c_str()) < 1
        || std::atol(port.c_str()) > 65535)
        return SerialNetworkAddress::BadPort;
    return SerialNetworkAddress::Fine;
}

// HOST:PORT, or [IPV6]:PORT.
void splitHostAndPort(const std::string &rest, SerialNetworkAddress &address)
{
    std::string::size_type portStart = std::string::npos;
    if (!rest.empty() && rest[0] == '[') {
        const auto close = rest.find(']');
        if (close == std::string::npos) {
            address.problem = SerialNetworkAddress::BadHost;
            return;
        }
        address.host = rest.substr(1, close - 1);
        if (close + 1 < rest.size() && rest[close + 1] != ':') {
            address.problem = SerialNetworkAddress::BadHost;
            return;
        }
        portStart = close + 1 < rest.size() ? close + 2 : std::string::npos;
    } else {
        const auto colon = rest.find(':');
        address.host = rest.substr(0, colon);
        if (colon != std::string::npos && rest.find(':', colon + 1) != std::string::npos) {
            address.problem = SerialNetworkAddress::BadHost;   // IPv6 without brackets
            return;
        }
        portStart = colon == std::string::npos ? colon : colon + 1;
    }
    address.port = portStart == std::string::npos ? std::string() : rest.substr(portStart);
    if (address.host.empty())
        address.problem = SerialNetworkAddress::NoHost;
    else if (address.host.find_first_of("/ \t") != std::string::npos)
        address.problem = SerialNetworkAddress::BadHost;
    else
        address.problem = portProblem(address.port);
}

std::string comPortCommand(unsigned char command, const std::string &value)
{
    std::string bytes = { char(IAC), char(SB), char(ComPort), char(command) };
    for (char c : value) {
        bytes += c;
        if (static_cast<unsigned char>(c) == IAC)
            bytes += c;
    }
    bytes += { char(IAC), char(SE) };
    return bytes;
}

std::string bigEndian32(uint32_t value)
{
    return { char(value >> 24), char(value >> 16), char(value >> 8), char(value) };
}

char parityCode(uint8_t parity)
{
    switch (parity) {
    case 1: return 2;   // odd
    case 2: return 3;   // even
    default: return 1;  // none
    }
}

// What the server is asked to set, by command, as its answer must repeat it.
std::map<unsigned char, std::string> comPortSettings(const SerialLineSettings &s)
{
    return { { SetBaudRate, bigEndian32(s.baudRate) },
             { SetDataSize, std::string(1, char(s.dataBits)) },
             { SetParity, std::string(1, parityCode(s.parity)) },
             { SetStopSize, std::string(1, char(s.stopBits)) } };
}

std::string escapedData(const unsigned char *bytes, unsigned count)
{
    std::string escaped;
    escaped.reserve(count + 8);
    for (unsigned i = 0; i < count; ++i) {
        escaped += char(bytes[i]);
        if (bytes[i] == IAC)
            escaped += char(IAC);
    }
    return escaped;
}

// Rounded up: a wait with a fraction of a millisecond left waits for it
// instead of polling without a time-out until it has passed.
int millisecondsLeft(std::chrono::steady_clock::time_point deadline)
{
    using namespace std::chrono;
    const auto left = ceil<milliseconds>(deadline - steady_clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

} // namespace

// ---- Names ------------------------------------------------------------------

bool serialIsNetworkName(const std::string &name)
{
    return startsWithNoCase(name, TcpScheme) || startsWithNoCase(name, TelnetScheme);
}

SerialNetworkAddress serialNetworkAddress(const std::string &name)
{
    SerialNetworkAddress address;
    if (!serialIsNetworkName(name))
        return address;
    address.telnet = startsWithNoCase(name, TelnetScheme);
    splitHostAndPort(name.substr(address.telnet ? TelnetScheme.size() : TcpScheme.size()), address);
    return address;
}

std::string serialNetworkIdentity(const std::string &name)
{
    const SerialNetworkAddress address = serialNetworkAddress(name);
    return address.problem == SerialNetworkAddress::Fine ? identityOf(address) : name;
}

std::string identityOf(const SerialNetworkAddress &address)
{
    const std::string host = lowerCase(address.host);
    const bool ipv6 = host.find(':') != std::string::npos;
    return (address.telnet ? TelnetScheme : TcpScheme) + (ipv6 ? "[" + host + "]" : host) + ":"
         + std::to_string(std::atol(address.port.c_str()));
}

std::string netsocket::lockFileName(const std::string &identity)
{
    std::string name;
    for (unsigned char c : identity) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.'
            || c == '-') {
            name += char(c);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "_%02x", c);
            name += hex;
        }
    }
    return name;
}

// ---- The connection ---------------------------------------------------------

NetworkLine::~NetworkLine()
{
    if (m_socket != netsocket::NoSocket)
        netsocket::closeAbruptly(m_socket);
}

int NetworkLine::open(const SerialNetworkAddress &address, unsigned timeoutMs)
{
    if (address.problem != SerialNetworkAddress::Fine)
        return netsocket::protocolError();
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    int error = m_lock.acquire(identityOf(address));
    if (error == 0)
        error = netsocket::connectTo(address.host, address.port, timeoutMs, m_stop, m_socket);
    m_telnet = address.telnet;
    if (error == 0 && m_telnet)
        error = negotiateComPort(deadline);
    if (error != 0) {
        if (m_socket != netsocket::NoSocket)
            netsocket::closeAbruptly(m_socket);
        m_socket = netsocket::NoSocket;
        m_lock.release();
    }
    return error;
}

// The server must agree to COM Port Control before its port can be set; a
// server that says nothing within the time is no RFC 2217 server.
int NetworkLine::negotiateComPort(Clock::time_point deadline)
{
    m_we[ComPort] = Asked;
    m_we[Binary] = Asked;
    m_they[Binary] = Asked;
    const std::string offer = { char(IAC), char(WILL), char(ComPort),
                                char(IAC), char(WILL), char(Binary),
                                char(IAC), char(DO), char(Binary) };
    if (const int error = sendAll(offer, deadline))
        return error;
    if (const int error = awaitServer(deadline, [this] { return m_we[ComPort] != Asked; }))
        return error;
    return m_we[ComPort] == On ? 0 : netsocket::protocolError();
}

int NetworkLine::configure(const SerialLineSettings &settings, unsigned timeoutMs)
{
    if (m_telnet) {
        if (const int error = setServerPort(settings, timeoutMs))
            return error;
    }
    m_settings = settings;
    m_configured = true;
    return 0;
}

// Every setting goes out at once; the server answers each with what it
// took, which must be what was asked.
int NetworkLine::setServerPort(const SerialLineSettings &settings, unsigned timeoutMs)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    const std::map<unsigned char, std::string> asked = comPortSettings(settings);
    std::string commands;
    for (const auto &setting : asked) {
        m_comPortAnswers.erase(setting.first);
        commands += comPortCommand(setting.first, setting.second);
    }
    if (const int error = sendAll(commands, deadline))
        return error;
    if (const int error = awaitServer(deadline, [&] { return comPortAnswered(asked); }))
        return error;
    for (const auto &setting : asked) {
        if (m_comPortAnswers.at(setting.first) != setting.second)
            return netsocket::protocolError();
    }
    return 0;
}

// Receives until the server has said what done() looks for, in slices, so
// that a stop asked for meanwhile ends the wait soon.
int NetworkLine::awaitServer(Clock::time_point deadline, const std::function<bool()> &done)
{
    while (!done()) {
        if (m_stop && m_stop())
            return netsocket::interruptedError();
        const Clock::time_point slice = Clock::now() + std::chrono::milliseconds(netsocket::StopSliceMs);
        if (!receiveBefore(m_stop ? std::min(deadline, slice) : deadline)) {
            if (m_goneError)
                return m_goneError;
            if (Clock::now() >= deadline)
                return netsocket::timedOutError();
        }
    }
    return 0;
}

bool NetworkLine::comPortAnswered(const std::map<unsigned char, std::string> &asked) const
{
    return std::all_of(asked.begin(), asked.end(), [this](const auto &setting) {
        return m_comPortAnswers.count(setting.first) > 0;
    });
}

bool NetworkLine::lineSettings(SerialLineSettings &settings) const
{
    if (m_configured)
        settings = m_settings;
    return m_configured;
}

unsigned NetworkLine::read(unsigned char *bytes, unsigned maxBytes, unsigned timeoutMs)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    sendOwedPurge();
    unsigned got = takeData(bytes, maxBytes);
    while (got < maxBytes && m_goneError == 0 && receiveBefore(deadline))
        got += takeData(bytes + got, maxBytes - got);
    return got;
}

unsigned NetworkLine::takeData(unsigned char *bytes, unsigned maxBytes)
{
    const unsigned count = static_cast<unsigned>(std::min<std::size_t>(maxBytes, m_data.size()));
    std::copy(m_data.begin(), m_data.begin() + count, bytes);
    m_data.erase(0, count);
    return count;
}

int NetworkLine::write(const unsigned char *bytes, unsigned count, unsigned &written,
                       unsigned timeoutMs)
{
    written = 0;
    if (m_goneError != 0)
        return m_goneError;
    const std::string out = m_telnet ? owedPurge() + escapedData(bytes, count)
                                     : std::string(reinterpret_cast<const char *>(bytes), count);
    const int error = sendAll(out, Clock::now() + std::chrono::milliseconds(timeoutMs));
    if (error == 0)
        written = count;
    return error;
}

// What has come is dropped now. The server's purge is owed, and goes out in
// the same segment as the next frame (or before the next read), so the
// server still empties its buffers before it passes that frame on, and a
// stale byte it held cannot be taken as the reply. Sent at once instead,
// right after a reply, it made the client answer the reply's bytes as
// Telnet traffic: Linux then holds back its ACKs, and a server with Nagle
// on (ser2net's default) holds the next reply's bytes for the delayed ACK,
// some 40 ms per exchange. Its answer is read and dropped with the Telnet
// traffic.
void NetworkLine::purge()
{
    m_purgeOwed = m_telnet;
    // Bounded: a server that never stops sending cannot hold the caller.
    for (int round = 0; round < 64 && m_goneError == 0 && receiveBy(Clock::now()); ++round) {
    }
    m_data.clear();
}

std::string NetworkLine::owedPurge()
{
    if (!m_purgeOwed)
        return std::string();
    m_purgeOwed = false;
    return comPortCommand(PurgeData, std::string(1, char(PurgeBothBuffers)));
}

void NetworkLine::close()
{
    if (m_socket != netsocket::NoSocket)
        netsocket::closeGracefully(m_socket, 1000);
    m_socket = netsocket::NoSocket;
    m_lock.release();
}

void NetworkLine::sendOwedPurge()
{
    if (m_purgeOwed && m_goneError == 0)
        sendAll(owedPurge(), Clock::now() + std::chrono::seconds(1));
}

bool NetworkLine::byteWaiting()
{
    sendOwedPurge();
    if (m_data.empty() && m_goneError == 0)
        receiveBy(Clock::now());
    return !m_data.empty();
}

// One receive, waiting until deadline at most; false when nothing came in
// time or the connection ended (m_goneError says why).
bool NetworkLine::receiveBy(Clock::time_point deadline)
{
    for (;;) {
        const int ready = netsocket::waitReady(m_socket, false, millisecondsLeft(deadline));
        if (ready == 0)
            return false;
        unsigned char buffer[4096];
        const long n = ready > 0 ? netsocket::receiveSome(m_socket, buffer, sizeof buffer) : -1;
        if (n > 0) {
            take(buffer, static_cast<std::size_t>(n));
            sendAnswers();
            return true;
        }
        const int error = n == 0 ? netsocket::closedByPeerError() : netsocket::lastError();
        if (n < 0 && netsocket::isTransient(error))
            continue;
        m_goneError = error;
        return false;
    }
}

// As receiveBy, but false once the deadline has passed even while bytes
// keep coming: a server that streams Telnet commands and no data (or never
// agrees) cannot hold a read or the negotiation past its time.
bool NetworkLine::receiveBefore(Clock::time_point deadline)
{
    return Clock::now() < deadline && receiveBy(deadline);
}

void NetworkLine::take(const unsigned char *bytes, std::size_t count)
{
    if (!m_telnet) {
        m_data.append(reinterpret_cast<const char *>(bytes), count);
        return;
    }
    for (std::size_t i = 0; i < count; ++i)
        takeTelnet(bytes[i]);
}

void NetworkLine::takeTelnet(unsigned char byte)
{
    switch (m_state) {
    case Telnet::Data:
        if (byte == IAC)
            m_state = Telnet::Command;
        else
            m_data += char(byte);
        break;
    case Telnet::Command:
        m_state = Telnet::Data;
        if (byte == IAC) {
            m_data += char(IAC);
        } else if (byte >= WILL && byte <= DONT) {
            m_verb = byte;
            m_state = Telnet::Option;
        } else if (byte == SB) {
            m_sub.clear();
            m_state = Telnet::Sub;
        }
        break;  // any other command (NOP, GA, ...) carries nothing
    case Telnet::Option:
        answerOption(m_verb, byte);
        m_state = Telnet::Data;
        break;
    case Telnet::Sub:
        if (byte == IAC)
            m_state = Telnet::SubCommand;
        else
            keepInSubnegotiation(byte);
        break;
    case Telnet::SubCommand:
        if (byte == IAC) {
            keepInSubnegotiation(IAC);
            m_state = Telnet::Sub;
        } else {
            if (byte == SE)
                takeSubnegotiation();
            m_state = Telnet::Data;
        }
        break;
    }
}

// No answer Tarexa reads is longer than a few bytes; the rest of an endless
// subnegotiation is dropped rather than kept.
void NetworkLine::keepInSubnegotiation(unsigned char byte)
{
    if (m_sub.size() < MaxSubnegotiation)
        m_sub += char(byte);
}

// Agrees to binary transfer, no go-aheads and COM Port Control, refuses
// anything else, and answers only a change, so that no answer loops.
void NetworkLine::answerOption(unsigned char verb, unsigned char option)
{
    const bool onTheirSide = verb == WILL || verb == WONT;
    const bool wanted = verb == WILL || verb == DO;
    OptionState &state = onTheirSide ? m_they[option] : m_we[option];
    const unsigned char yes = onTheirSide ? DO : WILL;
    const unsigned char no = onTheirSide ? DONT : WONT;
    if (wanted && isAgreedOption(option)) {
        if (state == Off)
            m_answers += { char(IAC), char(yes), char(option) };
        state = On;
    } else if (wanted) {
        m_answers += { char(IAC), char(no), char(option) };
    } else {
        if (state == On)
            m_answers += { char(IAC), char(no), char(option) };
        state = Off;
    }
}

void NetworkLine::takeSubnegotiation()
{
    if (m_sub.size() < 2 || static_cast<unsigned char>(m_sub[0]) != ComPort)
        return;
    const unsigned char command = static_cast<unsigned char>(m_sub[1]);
    if (command > ServerAnswer)
        m_comPortAnswers[static_cast<unsigned char>(command - ServerAnswer)] = m_sub.substr(2);
}

void NetworkLine::sendAnswers()
{
    if (m_answers.empty() || m_goneError != 0)
        return;
    const std::string answers = m_answers;
    m_answers.clear();
    sendAll(answers, Clock::now() + std::chrono::seconds(1));
}

int NetworkLine::sendAll(const std::string &bytes, Clock::time_point deadline)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const long n = netsocket::sendSome(m_socket,
                                           reinterpret_cast<const unsigned char *>(bytes.data()) + sent,
                                           bytes.size() - sent);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        const int error = netsocket::lastError();
        if (!netsocket::isTransient(error))
            return m_goneError = error;
        const int ready = netsocket::waitReady(m_socket, true, millisecondsLeft(deadline));
        if (ready == 0)
            return netsocket::timedOutError();
        if (ready < 0)
            return m_goneError = netsocket::lastError();
    }
    return 0;
}
