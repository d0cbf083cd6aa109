#ifndef SERIAL_NET_H
#define SERIAL_NET_H

// The network backend of MSerial: a TCP connection to a device server or a
// scale with a network interface, raw or with RFC 2217 (Telnet's COM Port
// Control option). Only serial.cpp and the two local backends use it.

#include "net_socket.h"
#include "serial.h"

#include <array>
#include <chrono>
#include <functional>
#include <map>
#include <string>

// serialPortIdentity of a network address: the scheme and the host in lower
// case, the port as a plain number.
std::string serialNetworkIdentity(const std::string &name);
std::string identityOf(const SerialNetworkAddress &address);

// One open connection. Every operation returns the system's error code, or
// 0 when it worked; reads return what came.
class NetworkLine
{
public:
    NetworkLine() = default;
    ~NetworkLine();
    NetworkLine(const NetworkLine &) = delete;
    NetworkLine &operator=(const NetworkLine &) = delete;

    // Waits of the connect and of the server's answers ask stop between
    // slices, and end with netsocket::interruptedError() when it says so.
    void setStopCheck(netsocket::StopCheck stop) { m_stop = stop; }
    int open(const SerialNetworkAddress &address, unsigned timeoutMs);
    // RFC 2217: has the server set its port so, and checks its answers. A
    // raw connection has no port to set, and takes any settings.
    int configure(const SerialLineSettings &settings, unsigned timeoutMs);
    unsigned read(unsigned char *bytes, unsigned maxBytes, unsigned timeoutMs);
    int write(const unsigned char *bytes, unsigned count, unsigned &written, unsigned timeoutMs);
    // Drops what has come and not been read; RFC 2217 also has the server
    // purge both of its buffers before it passes on the next write, or
    // before the next read.
    void purge();
    void close();
    bool byteWaiting();
    // The settings last configured; false before any.
    bool lineSettings(SerialLineSettings &settings) const;

private:
    using Clock = std::chrono::steady_clock;
    enum class Telnet { Data, Command, Option, Sub, SubCommand };
    enum OptionState : unsigned char { Off, Asked, On };

    bool receiveBy(Clock::time_point deadline);
    bool receiveBefore(Clock::time_point deadline);
    void keepInSubnegotiation(unsigned char byte);
    void take(const unsigned char *bytes, std::size_t count);
    void takeTelnet(unsigned char byte);
    void answerOption(unsigned char verb, unsigned char option);
    void takeSubnegotiation();
    int sendAll(const std::string &bytes, Clock::time_point deadline);
    std::string owedPurge();
    void sendOwedPurge();
    void sendAnswers();
    unsigned takeData(unsigned char *bytes, unsigned maxBytes);
    int negotiateComPort(Clock::time_point deadline);
    int setServerPort(const SerialLineSettings &settings, unsigned timeoutMs);
    bool comPortAnswered(const std::map<unsigned char, std::string> &asked) const;
    int awaitServer(Clock::time_point deadline, const std::function<bool()> &done);

    netsocket::Socket m_socket = netsocket::NoSocket;
    netsocket::AddressLock m_lock;
    netsocket::StopCheck m_stop = nullptr;
    bool m_telnet = false;
    int m_goneError = 0;            // the peer ended the connection: why
    std::string m_data;             // received and not yet read
    std::string m_answers;          // Telnet answers still to send
    Telnet m_state = Telnet::Data;
    unsigned char m_verb = 0;
    std::string m_sub;
    std::array<OptionState, 256> m_we{};    // options this side does
    std::array<OptionState, 256> m_they{};  // options the server does
    std::map<unsigned char, std::string> m_comPortAnswers;  // by command
    SerialLineSettings m_settings{};
    bool m_configured = false;
    bool m_purgeOwed = false;       // RFC 2217: the server's purge is still to send
};

#endif // SERIAL_NET_H
