// Winsock for the network line.

#include "net_socket.h"

#include <algorithm>
#include <chrono>

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

namespace netsocket {

namespace {

using Clock = std::chrono::steady_clock;

SOCKET handleOf(Socket socket)
{
    return static_cast<SOCKET>(socket);
}

// Rounded up: with a fraction of a millisecond left, a wait waits for it
// instead of polling without a time-out until it has passed.
int millisecondsLeft(Clock::time_point deadline)
{
    using namespace std::chrono;
    const auto left = ceil<milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Winsock is started once for the process and left running.
int startWinsock()
{
    static const int started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data);
    }();
    return started;
}

bool makeNonBlocking(SOCKET s)
{
    u_long on = 1;
    return ioctlsocket(s, FIONBIO, &on) == 0;
}

// Waits for the connection in slices, so that a stop is seen soon: 1 when
// it is made or failed (the exception set says which), 0 when the time ran
// out, -1 on failure, -2 when stop said so.
int awaitConnection(SOCKET s, Clock::time_point deadline, StopCheck stop, fd_set &failed)
{
    for (;;) {
        if (stop && stop())
            return -2;
        const int left = millisecondsLeft(deadline);
        const int ms = stop ? std::min(left, StopSliceMs) : left;
        fd_set writable;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(s, &writable);
        FD_SET(s, &failed);
        timeval timeout = { ms / 1000, (ms % 1000) * 1000 };
        const int ready = select(0, nullptr, &writable, &failed, &timeout);
        if (ready != 0 || Clock::now() >= deadline)
            return ready;
    }
}

// One address: a non-blocking connect, waited for until deadline. A failed
// connect shows in the exception set, its reason in SO_ERROR.
int connectOne(const addrinfo &address, Clock::time_point deadline, StopCheck stop, SOCKET &s)
{
    s = ::socket(address.ai_family, address.ai_socktype, address.ai_protocol);
    if (s == INVALID_SOCKET || !makeNonBlocking(s))
        return WSAGetLastError();
    if (::connect(s, address.ai_addr, static_cast<int>(address.ai_addrlen)) == 0)
        return 0;
    if (WSAGetLastError() != WSAEWOULDBLOCK)
        return WSAGetLastError();
    fd_set failed;
    const int ready = awaitConnection(s, deadline, stop, failed);
    if (ready == -2)
        return WSAEINTR;
    if (ready == 0)
        return WSAETIMEDOUT;
    if (ready < 0)
        return WSAGetLastError();
    int error = 0;
    int size = sizeof error;
    if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char *>(&error), &size) != 0)
        return WSAGetLastError();
    return FD_ISSET(s, &failed) && error == 0 ? WSAECONNREFUSED : error;
}

} // namespace

int connectTo(const std::string &host, const std::string &port, unsigned timeoutMs,
              StopCheck stop, Socket &connected)
{
    if (const int error = startWinsock())
        return error;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    addrinfo hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo *found = nullptr;
    if (const int code = getaddrinfo(host.c_str(), port.c_str(), &hints, &found))
        return code;
    int error = WSAETIMEDOUT;
    for (const addrinfo *a = found; a; a = a->ai_next) {
        SOCKET s = INVALID_SOCKET;
        error = connectOne(*a, deadline, stop, s);
        if (error == 0) {
            const BOOL on = TRUE;
            setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char *>(&on), sizeof on);
            connected = static_cast<Socket>(s);
            break;
        }
        if (s != INVALID_SOCKET)
            closesocket(s);
        if (Clock::now() >= deadline || error == WSAEINTR)
            break;
    }
    freeaddrinfo(found);
    return error;
}

int waitReady(Socket socket, bool forWriting, int ms)
{
    fd_set ready, failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(handleOf(socket), &ready);
    FD_SET(handleOf(socket), &failed);
    timeval timeout = { ms / 1000, (ms % 1000) * 1000 };
    const int n = forWriting ? select(0, nullptr, &ready, &failed, &timeout)
                             : select(0, &ready, nullptr, &failed, &timeout);
    return n > 0 ? 1 : n == 0 ? 0 : -1;
}

long receiveSome(Socket socket, unsigned char *bytes, std::size_t size)
{
    return ::recv(handleOf(socket), reinterpret_cast<char *>(bytes), static_cast<int>(size), 0);
}

long sendSome(Socket socket, const unsigned char *bytes, std::size_t size)
{
    return ::send(handleOf(socket), reinterpret_cast<const char *>(bytes), static_cast<int>(size), 0);
}

int lastError()
{
    return WSAGetLastError();
}

bool isTransient(int error)
{
    return error == WSAEWOULDBLOCK || error == WSAEINTR;
}

void closeGracefully(Socket socket, unsigned lingerMs)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(lingerMs);
    if (::shutdown(handleOf(socket), SD_SEND) == 0) {
        char rest[512];
        while (waitReady(socket, false, millisecondsLeft(deadline)) > 0) {
            const int n = ::recv(handleOf(socket), rest, sizeof rest, 0);
            if (n == 0 || (n < 0 && !isTransient(WSAGetLastError())))
                break;
        }
    }
    closesocket(handleOf(socket));
}

void closeAbruptly(Socket socket)
{
    closesocket(handleOf(socket));
}

int timedOutError()
{
    return WSAETIMEDOUT;
}

int interruptedError()
{
    return WSAEINTR;
}

int protocolError()
{
    return ERROR_BAD_NET_RESP;
}

int closedByPeerError()
{
    return WSAECONNRESET;
}

// A file in the temporary folder that only one process can have open: a
// second gets a sharing violation, which reads as a port in use.
int AddressLock::acquire(const std::string &identity)
{
    release();
    char folder[MAX_PATH + 1] = {};
    if (GetTempPathA(sizeof folder, folder) == 0)
        return 0;
    const std::string path = std::string(folder) + "tarexa-" + lockFileName(identity) + ".lock";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const int error = static_cast<int>(GetLastError());
        return error == ERROR_SHARING_VIOLATION ? error : 0;
    }
    m_handle = reinterpret_cast<std::intptr_t>(file);
    return 0;
}

void AddressLock::release()
{
    if (m_handle != -1)
        CloseHandle(reinterpret_cast<HANDLE>(m_handle));
    m_handle = -1;
}

} // namespace netsocket
